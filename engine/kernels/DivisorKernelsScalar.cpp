// The scalar kernels: one native remainder per candidate, over the 30030 wheel or the full sequence.
#include <algorithm>

#include "engine/kernels/CandidateWheel.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

// r = (high * 2^64 + low) mod d for high < d: one hardware division on
// x86-64; elsewhere the compiler's 128-bit remainder (a library call).
inline std::uint64_t remainder128(std::uint64_t high, std::uint64_t low, std::uint64_t d) {
#if defined(__x86_64__)
  std::uint64_t quotient, remainder;
  asm("divq %4" : "=a"(quotient), "=d"(remainder) : "a"(low), "d"(high), "rm"(d) : "cc");
  (void)quotient;
  return remainder;
#else
  return static_cast<std::uint64_t>(((static_cast<uint128>(high) << 64) | low) % d);
#endif
}

// The candidate after d (d >= 5): 6k-1 -> 6k+1 -> 6k+5.
inline std::uint64_t stepAfter(std::uint64_t d) { return d % 6 == 5 ? 2 : 4; }

// Walks the candidates with indexes from..to and returns the first index
// whose candidate satisfies `divides`, or 0.
template <class Divides>
inline std::uint64_t scanCandidates(std::uint64_t from, std::uint64_t to, Divides divides) {
  if (from == 1) {
    if (divides(std::uint64_t{3})) return 1;
    if (to == 1) return 0;
    from = 2;
  }
  std::uint64_t d = candidateAt(from);
  std::uint64_t step = stepAfter(d);
  for (std::uint64_t i = from; i <= to; ++i) {
    if (divides(d)) return i;
    d += step;
    step = 6 - step;
  }
  return 0;
}

// The full sequence below the first wheel block, then the candidates coprime
// to 30030, stepped through by the wheel's gaps: 5760 divisions per 10010
// candidates. A hit reports its full-sequence index.
template <class Divides>
inline std::uint64_t scanWheel(std::uint64_t from, std::uint64_t to, Divides divides) {
  const CandidateWheel& wheel = CandidateWheel::instance();
  const CandidateWheel::Split split = wheel.split(from, to);
  if (split.hasHead())
    if (const std::uint64_t hit = scanCandidates(split.headFrom, split.headTo, divides)) return hit;
  if (!split.hasWheel()) return 0;
  const std::uint8_t* gaps = wheel.gaps();
  std::uint64_t d = wheel.valueAt(split.firstPosition);
  std::uint64_t k = split.firstPosition % CandidateWheel::kResidues;
  // Block by block, so that the inner loop has nothing but the step.
  for (std::uint64_t left = split.lastPosition - split.firstPosition + 1; left != 0; k = 0) {
    const std::uint64_t end = std::min(CandidateWheel::kResidues, k + left);
    left -= end - k;
    for (; k < end; ++k) {
      if (divides(d)) return candidatesUpTo(d);
      d += gaps[k];
    }
  }
  return 0;
}

// Runs `scan` with the cheapest exact remainder test for n: one 64-bit
// division below 2^64, two above.
template <class Scan>
inline std::uint64_t withRemainderTest(uint128 n, Scan scan) {
  if (n >> 64 == 0) {
    const auto n64 = static_cast<std::uint64_t>(n);
    return scan([n64](std::uint64_t d) { return n64 % d == 0; });
  }
  const auto high = static_cast<std::uint64_t>(n >> 64);  // below 2^32
  const auto low = static_cast<std::uint64_t>(n);
  // high % d is high itself for every candidate above 2^32: no division then.
  return scan([high, low](std::uint64_t d) { return remainder128(high < d ? high : high % d, low, d) == 0; });
}

}  // namespace

// Cost per candidate of the full sequence, far from the start, on a 2.6 GHz
// x86-64 core: about 1.3 ns just above 2^64 and 1.9 ns near 2^96, 1.75 times
// less than the full-sequence kernel (BM_KernelSlice_*/scalar, 5760 divisions
// per 10010 candidates).
std::uint64_t firstDividingIndexScalar(uint128 n, std::uint64_t from, std::uint64_t to) {
  return withRemainderTest(n, [from, to](auto divides) { return scanWheel(from, to, divides); });
}

std::uint64_t firstDividingIndexScalarFull(uint128 n, std::uint64_t from, std::uint64_t to) {
  return withRemainderTest(n, [from, to](auto divides) { return scanCandidates(from, to, divides); });
}

}  // namespace teilomat
