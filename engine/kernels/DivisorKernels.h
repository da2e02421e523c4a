// Divisibility kernels behind firstDividingIndex: scalar, AVX2, AVX-512 and NEON, chosen at run time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Candidates.h"

namespace teilomat {

// The ways of testing a run of candidates. Scalar divides one candidate at a
// time with the processor's integer division and runs everywhere. The vector
// variants divide in double precision, several candidates per instruction: on
// x86-64 AVX2 and AVX-512, compiled with function target attributes so that
// the program itself stays plain x86-64 and runs on processors that have
// neither extension; on aarch64 NEON, which every such processor has. Scalar,
// Avx2, Avx512 and Neon skip the candidates with a prime factor 5, 7, 11 or
// 13 from 30030 on (a wheel), the vector ones dividing a round ahead; the
// *Full variants test every candidate, one division per candidate or vector,
// and stay as the reference the faster ones are measured and checked against.
enum class KernelVariant { Scalar, Avx2, Avx512, Avx2Full, Avx512Full, ScalarFull, Neon, NeonFull };

// "scalar", "avx2", "avx512", "avx2-full", "avx512-full", "scalar-full", "neon", "neon-full"
const char* kernelName(KernelVariant variant);
std::optional<KernelVariant> kernelNamed(std::string_view name);

// Whether this processor (and this build) can run the variant.
bool kernelSupported(KernelVariant variant);
// The fastest supported variant.
KernelVariant bestKernel();
// The variant for a request such as the value of TEILOMAT_KERNEL: the
// requested one when it is known and supported, otherwise the best one, with
// the reason in `warning` (left empty when the request is honoured or null).
KernelVariant kernelForRequest(const char* request, std::string& warning);

// The variant firstDividingIndex uses. Chosen on first use from
// TEILOMAT_KERNEL (a kernelName; an unknown or unsupported value is ignored
// with a warning on stderr) and else from the processor: AVX-512, AVX2 or
// scalar on x86-64, NEON on aarch64, scalar elsewhere.
KernelVariant activeKernel();
// Switches the variant (tests, benchmarks). Returns false and keeps the
// current one when the processor lacks it. Safe beside threads that are
// dividing: each run keeps the variant it started with.
bool forceKernel(KernelVariant variant);

// The index of the first candidate in [from, to] that divides n, or 0.
// Precondition: no candidate below `from` divides n (the engine tests the
// candidates in order, so it always holds there). The wheel kernels rely on
// it: they skip a candidate with a prime factor p of 5, 7, 11 or 13, which
// divides n only if p does, and p is either below `from` or tested first.
// Strictly, the answer is exact whenever none of 5, 7, 11, 13 below
// candidateAt(from) divides n; otherwise it is 0 or the index of some
// dividing candidate in the run, never of a non-divisor, so runs tested in
// parallel still combine to the exact answer by taking the smallest hit.
// The index is always the one in the full sequence. Runs the active variant:
// AVX-512, AVX2 or NEON blocks of exact double-precision tests where the
// processor has them, native 64-bit (or two-step 128-by-64-bit) remainders
// otherwise and for short runs. n < 2^96, 1 <= from <= to, candidates < 2^63. Pure:
// any number of threads may call it at once.
std::uint64_t firstDividingIndex(uint128 n, std::uint64_t from, std::uint64_t to);

// The kernels, with firstDividingIndex's contract; the *Full kernels are
// exact without the precondition. The vector kernels run the double-precision
// test only where it is proven exact (every candidate below 2^49) and for runs
// long enough to pay; anything else they hand to the scalar kernel of their
// kind (wheel or full). Calling a vector kernel that kernelSupported() denies
// is undefined (illegal instruction); on another architecture the names stand
// for the scalar kernel of their kind.
std::uint64_t firstDividingIndexScalar(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexScalarFull(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx512(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx2Full(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexAvx512Full(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexNeon(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexNeonFull(uint128 n, std::uint64_t from, std::uint64_t to);

namespace kernel_detail {

// Shorter runs go to the scalar kernel: setting up the vectors costs about
// as much as a dozen scalar divisions.
constexpr std::uint64_t kMinVectorRun = 16;
// Candidates stay below 2^49 up to this index (3 * index - 1 < 2^49), the
// limit of the limb-split test; the masked lanes of a last round reach at
// most two wheel periods beyond the last candidate, still far below 2^53.
constexpr std::uint64_t kMaxVectorIndex = ((std::uint64_t{1} << 49) - 1) / 3;
// n up to this value is divided directly: a whole quotient is exact.
constexpr uint128 kDirectLimit = uint128{1} << 53;

inline bool vectorPays(std::uint64_t from, std::uint64_t to) {
  return to - from + 1 >= kMinVectorRun && to <= kMaxVectorIndex;
}

}  // namespace kernel_detail

}  // namespace teilomat
