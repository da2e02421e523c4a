// The trial-division engine: quiet remainder loops between percent steps and event passes.
#include "primes/TrialDivision.h"

#include <algorithm>

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

std::uint64_t nextPercentChange(double bound, std::uint64_t i, double percent, std::uint64_t last) {
  const double target = (percent + 1.0) * bound / 100.0;
  std::uint64_t j = target >= static_cast<double>(candidateAt(last))
                        ? last
                        : candidatesUpTo(static_cast<std::uint64_t>(std::max(target, 3.0)));
  j = std::clamp<std::uint64_t>(j, i + 1, last + 1);
  while (j > i + 1 && percentAt(bound, candidateAt(j - 1)) > percent) --j;
  while (j <= last && percentAt(bound, candidateAt(j)) <= percent) ++j;
  return j;
}

std::uint64_t firstDividingIndex(uint128 n, std::uint64_t from, std::uint64_t to) {
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

TrialOutcome trialDivide(uint128 n, double bound, double& shownPercent, TrialProgress& progress,
                         PlatformServices& services) {
  const std::uint64_t last = lastCandidateIndex(bound);
  std::uint64_t nextChange = 1;  // the first candidate always compares its percent
  std::uint64_t i = 1;
  for (;;) {
    // Candidate i carries an event: a percent step, a due event pass, or both.
    if (i == nextChange) {
      const double percent = percentAt(bound, candidateAt(i));
      if (percent != shownPercent) {
        progress.percentChanged(percent, i);
        shownPercent = percent;
      }
      nextChange = nextPercentChange(bound, i, percent, last);
    }
    services.offerEventPass();
    if (firstDividingIndex(n, i, i) != 0) return {candidateAt(i), i};
    if (i == last) return {0, i};
    ++i;

    // The quiet stretch up to the next event.
    const std::uint64_t quietEnd =
        std::min({nextChange, last + 1, i + services.offersBeforePass() - 1});  // exclusive
    if (quietEnd > i) {
      if (const std::uint64_t hit = firstDividingIndex(n, i, quietEnd - 1)) {
        services.skipOffers(hit - i + 1);
        return {candidateAt(hit), hit};
      }
      services.skipOffers(quietEnd - i);
      i = quietEnd;
      if (i == last + 1) return {0, last};
    }
  }
}

}  // namespace teilomat
