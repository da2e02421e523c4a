// The kernel table: every divisibility kernel in one row, the one place that lists them.
//
// A new kernel is a row here and a file of its own (DivisorKernels<Name>.cpp)
// that defines its entry point, in namespace teilomat, and, for instructions
// not every processor of its architecture has, its processor test. CMake
// compiles the kernel files of the architecture it builds for
// (engine/CMakeLists.txt) and names it here (TEILOMAT_KERNELS_X86_64,
// TEILOMAT_KERNELS_AARCH64): the rows of the other architectures keep their
// names, so that a request for one is refused as unsupported rather than
// unknown, and have no entry.
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

#if defined(TEILOMAT_KERNELS_X86_64)
#define TEILOMAT_ON_X86_64(entry, processorTest) entry, processorTest
#else
#define TEILOMAT_ON_X86_64(entry, processorTest) nullptr, nullptr
#endif
#if defined(TEILOMAT_KERNELS_AARCH64)
#define TEILOMAT_ON_AARCH64(entry, processorTest) entry, processorTest
#else
#define TEILOMAT_ON_AARCH64(entry, processorTest) nullptr, nullptr
#endif

bool everyProcessor() { return true; }

}  // namespace

// The entry points and processor tests, each defined in its kernel's file.
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx2Full(uint128 n, std::uint64_t from, std::uint64_t to);
bool processorHasAvx2();  // and FMA
std::uint64_t firstDividingIndexAvx512(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx512Full(uint128 n, std::uint64_t from, std::uint64_t to);
bool processorHasAvx512();  // F, DQ and VL
std::uint64_t firstDividingIndexNeon(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexNeonFull(uint128 n, std::uint64_t from, std::uint64_t to);

namespace {

// Candidates per chunk of a split run (ParallelSearch.h). One thread's work
// per chunk, from BM_KernelSlice_* (runs of 2^22 candidates, n near 2^64 and
// near 2^96, an x86-64 server core): avx512 0.06 ms, avx2 0.12 ms, scalar
// 0.11 to 0.15 ms; the references avx512-full 0.12 ms, avx2-full 0.45 ms,
// scalar-full 1.5 to 2 ms.
constexpr std::uint64_t kScalarChunk = std::uint64_t{1} << 16;
constexpr std::uint64_t kVectorChunk = std::uint64_t{1} << 19;

// Rows in the order of the names in the warning about an unknown request.
constexpr DivisorKernel kKernels[] = {
    // name         entry point, processor test                                          reference rank chunk
    {"scalar", firstDividingIndexScalar, everyProcessor, false, 1, kScalarChunk},
    {"avx2", TEILOMAT_ON_X86_64(firstDividingIndexAvx2, processorHasAvx2), false, 3, kVectorChunk},
    {"avx512", TEILOMAT_ON_X86_64(firstDividingIndexAvx512, processorHasAvx512), false, 4, kVectorChunk},
    {"avx2-full", TEILOMAT_ON_X86_64(firstDividingIndexAvx2Full, processorHasAvx2), true, 0, kVectorChunk},
    {"avx512-full", TEILOMAT_ON_X86_64(firstDividingIndexAvx512Full, processorHasAvx512), true, 0, kVectorChunk},
    {"scalar-full", firstDividingIndexScalarFull, everyProcessor, true, 0, kVectorChunk},
    // NEON belongs to every aarch64 processor.
    {"neon", TEILOMAT_ON_AARCH64(firstDividingIndexNeon, everyProcessor), false, 2, kVectorChunk},
    {"neon-full", TEILOMAT_ON_AARCH64(firstDividingIndexNeonFull, everyProcessor), true, 0, kVectorChunk},
};

}  // namespace

std::span<const DivisorKernel> divisorKernels() { return kKernels; }

}  // namespace teilomat
