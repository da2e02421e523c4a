// The steps a trial division shows, percent steps and event-pass offers, in the order of a one-candidate loop.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/TrialRun.h"

namespace teilomat {

// The smallest index j > i whose percent exceeds `percent` (the percent at
// i), or last + 1 when none up to `last` does. Cost: a few percent
// evaluations around an estimate.
std::uint64_t nextPercentChange(double bound, std::uint64_t i, double percent, std::uint64_t last);

// The percent steps of one run, reported in order up to a candidate known
// not to divide n (or the run's last): the first candidate always compares
// its percent with the one shown; later steps are found ahead.
class PercentSteps {
 public:
  explicit PercentSteps(const TrialRun& run)
      : bound_(run.bound), last_(run.lastIndex()), shown_(run.shownPercent), progress_(run.progress) {}

  // Reports every step at an index up to `index`.
  void writeThrough(std::uint64_t index);

 private:
  const double bound_;
  const std::uint64_t last_;
  double& shown_;
  TrialProgress& progress_;
  std::uint64_t nextChange_ = 1;
};

// The run's candidates on the calling thread, with its percent steps and
// offers; find(from, to) answers the first dividing index in [from, to] or
// 0, and is asked in increasing order only.
//
// A stretch runs from one due event pass to the next. Its divisions go to
// find() in one call, and the percent steps inside it are reported
// afterwards, in order, up to the hit or the stretch's end: no pass comes
// between them, so the window sees the same sequence as from a loop that
// takes one candidate at a time, while the kernels get long runs.
template <class Find>
TrialOutcome walkCandidates(const TrialRun& run, Find find) {
  const std::uint64_t last = run.lastIndex();
  EventPump& events = run.events;
  PercentSteps steps(run);
  for (std::uint64_t i = 1;;) {
    // Candidate i: its percent, the offer that may run a pass, its division.
    steps.writeThrough(i);
    events.offerEventPass();
    if (find(i, i) != 0) return {candidateAt(i), i};
    if (i == last) return {0, i};
    ++i;

    // The quiet stretch up to the next due pass (exclusive).
    const std::uint64_t quietEnd = std::min(last + 1, i + events.offersBeforePass() - 1);
    if (quietEnd > i) {
      const std::uint64_t hit = find(i, quietEnd - 1);
      steps.writeThrough(hit != 0 ? hit : quietEnd - 1);
      events.skipOffers((hit != 0 ? hit : quietEnd - 1) - i + 1);
      if (hit != 0) return {candidateAt(hit), hit};
      i = quietEnd;
      if (i == last + 1) return {0, last};
    }
  }
}

}  // namespace teilomat
