// Divisibility kernels behind firstDividingIndex: one row each in the kernel table, the processor's best chosen once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/Candidates.h"

namespace teilomat {

// A kernel's entry point, with firstDividingIndex's contract (below).
using KernelEntry = std::uint64_t (*)(uint128 n, std::uint64_t from, std::uint64_t to);

// One way of testing a run of candidates, as a row of the kernel table
// (KernelTable.cpp, the one place that lists the kernels). The scalar
// kernels divide one candidate at a time with the processor's integer
// division and run everywhere; the vector kernels divide in double
// precision, several candidates per instruction, each in a file of its
// processor compiled with function target attributes, so that the program
// itself stays plain x86-64 or aarch64. The wheel kernels skip the
// candidates with a prime factor 5, 7, 11 or 13 from 30030 on; the
// reference kernels ("-full") test every candidate, one division per
// candidate or vector, and stay as what the faster ones are measured and
// checked against.
struct DivisorKernel {
  const char* name;               // as TEILOMAT_KERNEL names it
  KernelEntry entry;              // null where this build is for another architecture
  bool (*processorRuns)();        // whether this processor has the instructions (asked only with an entry)
  bool reference;                 // tests every candidate: exact without firstDividingIndex's precondition
  int rank;                       // the processor's choice is the supported kernel of highest rank; 0: only on request
  std::uint64_t chunkCandidates;  // candidates per chunk of a split run (ParallelSearch.h)

  // Whether this build and this processor can run the kernel.
  bool supported() const { return entry != nullptr && processorRuns(); }
};

// Every kernel, in the order of the table (and of the names in a warning).
std::span<const DivisorKernel> divisorKernels();
// The kernel of that name ("scalar", "avx2", "avx512", "avx2-full",
// "avx512-full", "scalar-full", "neon", "neon-full"), or null.
const DivisorKernel* kernelNamed(std::string_view name);
// The supported kernel of highest rank.
const DivisorKernel& bestKernel();
// The kernel for a request such as the value of TEILOMAT_KERNEL: the
// requested one when it is known and supported, otherwise the best one, with
// the reason in `warning` (left empty when the request is honoured or null).
const DivisorKernel& kernelForRequest(const char* request, std::string& warning);

// The kernel firstDividingIndex uses. Chosen once, on first use, from
// TEILOMAT_KERNEL (a kernel's name; an unknown or unsupported value is
// ignored with a warning on stderr) and else from the processor: AVX-512,
// AVX2 or scalar on x86-64, NEON on aarch64, scalar elsewhere.
const DivisorKernel& activeKernel();
// Switches the kernel (tests, benchmarks) to a row of the table. Returns
// false and keeps the current one when the kernel is not supported. Safe
// beside threads that are dividing: each run keeps the kernel it started with.
bool forceKernel(const DivisorKernel& kernel);

// The index of the first candidate in [from, to] that divides n, or 0.
// Precondition: no candidate below `from` divides n (the engine tests the
// candidates in order, so it always holds there). The wheel kernels rely on
// it: they skip a candidate with a prime factor p of 5, 7, 11 or 13, which
// divides n only if p does, and p is either below `from` or tested first.
// Strictly, the answer is exact whenever none of 5, 7, 11, 13 below
// candidateAt(from) divides n; otherwise it is 0 or the index of some
// dividing candidate in the run, never of a non-divisor, so runs tested in
// parallel still combine to the exact answer by taking the smallest hit.
// The index is always the one in the full sequence. Runs the active kernel.
// The vector kernels run the double-precision test only where it is proven
// exact (every candidate below 2^49) and for runs long enough to pay;
// anything else they hand to the scalar kernel of their kind (wheel or
// full). n < 2^96, 1 <= from <= to, candidates < 2^63. Pure: any number of
// threads may call it at once.
std::uint64_t firstDividingIndex(uint128 n, std::uint64_t from, std::uint64_t to);

// The scalar kernels (DivisorKernelsScalar.cpp), which the vector kernels
// hand short runs to: one native 64-bit (or two-step 128-by-64-bit)
// remainder per candidate, over the wheel or the full sequence.
std::uint64_t firstDividingIndexScalar(uint128 n, std::uint64_t from, std::uint64_t to);
std::uint64_t firstDividingIndexScalarFull(uint128 n, std::uint64_t from, std::uint64_t to);

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
