// The trial-division engine: candidates 3, 5, 7, 11, 13, ... up to the first one past the bound.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/Candidates.h"
#include "engine/EventPump.h"

namespace teilomat {

// The progress percentage exactly as the captions define it: the quotient
// bound / d first, then 100 divided by it, then truncation. Non-decreasing
// in d, since each correctly rounded step is monotonic.
inline double percentAt(double bound, std::uint64_t d) {
  return std::trunc(100.0 / (bound / static_cast<double>(d)));
}
// The smallest index j > i whose percent exceeds `percent` (the percent at
// i), or last + 1 when none up to `last` does. Cost: a few percent
// evaluations around an estimate.
std::uint64_t nextPercentChange(double bound, std::uint64_t i, double percent, std::uint64_t last);

// Receives the progress steps of one trial division.
class TrialProgress {
 public:
  virtual ~TrialProgress() = default;
  // The percent at candidate `index` differs from the one shown last: write
  // the caption. Called before that candidate's event pass and division.
  virtual void percentChanged(double percent, std::uint64_t index) = 0;
};

// The percent steps of one run, reported in order up to a candidate known
// not to divide n (or the run's last): the first candidate always compares
// its percent with the one shown; later steps are found ahead.
class PercentSteps {
 public:
  PercentSteps(double bound, std::uint64_t last, double& shownPercent, TrialProgress& progress)
      : bound_(bound), last_(last), shown_(shownPercent), progress_(progress) {}

  // Reports every step at an index up to `index`.
  void writeThrough(std::uint64_t index);

 private:
  const double bound_;
  const std::uint64_t last_;
  double& shown_;
  TrialProgress& progress_;
  std::uint64_t nextChange_ = 1;
};

struct TrialOutcome {
  std::uint64_t divisor = 0;  // the smallest candidate dividing n; 0 when none up to the last
  std::uint64_t count = 0;    // candidates tested, the last one included
};

// Trial-divides n by the candidates in order, up to and including the first
// candidate above `bound`, as every command does: per candidate the percent
// (reported through `progress` when it differs from `shownPercent`, which is
// updated), then one offer of an event pass, then the divisibility test.
// Event passes are found ahead, so that the stretches between them run as
// one kernel call, and the percent steps inside a stretch are reported after
// it in order (no pass comes between them): no allocation, no string, no
// DecimalNumber per candidate. Event passes may run nested commands; the
// engine keeps only its own locals. n >= 2, n < 2^96, 2 <= bound < 2^49.
//
// With a pump that passes by the clock, more than one worker thread and a
// long run, the candidates are split over the workers (ParallelSearch.h):
// the same outcome and percent steps, event passes between the window
// thread's chunks instead of by the countdown.
TrialOutcome trialDivide(uint128 n, double bound, double& shownPercent, TrialProgress& progress,
                         EventPump& events);

// The same steps for a trial division whose outcome is already known:
// `hitIndex` is the index of the first candidate dividing n, or 0 when none
// up to the last does. Reports the same percent steps and makes the same
// event-pass offers as trialDivide, without dividing.
TrialOutcome replayTrialDivision(std::uint64_t hitIndex, double bound, double& shownPercent,
                                 TrialProgress& progress, EventPump& events);

}  // namespace teilomat
