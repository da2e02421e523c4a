// One trial division as a command asks for it: the number, its bound, and where its percent steps and event passes go.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/Candidates.h"
#include "engine/EventPump.h"

namespace teilomat {

// The progress percentage exactly as the captions define it: the quotient
// bound / d first, then 100 divided by it, then truncation. Non-decreasing
// in d, since each correctly rounded step is monotonic.
inline double percentAt(double bound, std::uint64_t d) { return std::trunc(100.0 / (bound / static_cast<double>(d))); }

// Receives the progress steps of one trial division.
class TrialProgress {
 public:
  virtual ~TrialProgress() = default;
  // The percent at candidate `index` differs from the one shown last: write
  // the caption. Called before that candidate's event pass and division.
  virtual void percentChanged(double percent, std::uint64_t index) = 0;
};

struct TrialOutcome {
  std::uint64_t divisor = 0;  // the smallest candidate dividing n; 0 when none up to the last
  std::uint64_t count = 0;    // candidates tested, the last one included
};

// A trial division of n by the candidates in order, up to and including the
// first candidate above `bound`. Its percent steps go to `progress` when they
// differ from `shownPercent`, which they update (a search carries it from
// number to number); its event-pass offers go to `events`. The references
// must outlive the run. n >= 2, n < 2^96, 2 <= bound < 2^49, whole.
struct TrialRun {
  uint128 n;
  double bound;
  double& shownPercent;
  TrialProgress& progress;
  EventPump& events;

  // The index of the last candidate tested when none divides n.
  std::uint64_t lastIndex() const { return lastCandidateIndex(bound); }
};

}  // namespace teilomat
