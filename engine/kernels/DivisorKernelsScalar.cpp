// The scalar kernel: one native remainder per candidate, exact for every n below 2^128.
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

// r = (high * 2^64 + low) mod d for high < d: one hardware division.
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

}  // namespace

// Cost: about 1.7 ns per candidate below 2^64 (one divq), about 5 ns above (two).
std::uint64_t firstDividingIndexScalar(uint128 n, std::uint64_t from, std::uint64_t to) {
  if (n >> 64 == 0) {
    const auto n64 = static_cast<std::uint64_t>(n);
    return scanCandidates(from, to, [n64](std::uint64_t d) { return n64 % d == 0; });
  }
  const auto high = static_cast<std::uint64_t>(n >> 64);  // below 2^32
  const auto low = static_cast<std::uint64_t>(n);
  return scanCandidates(from, to, [high, low](std::uint64_t d) {
    return remainder128(high % d, low, d) == 0;
  });
}

}  // namespace teilomat
