// The trial-division engine: one kernel run per stretch between event passes, percent steps reported after it.
#include "engine/TrialDivision.h"

#include <algorithm>

#include "engine/ParallelSearch.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {

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

void PercentSteps::writeThrough(std::uint64_t index) {
  while (nextChange_ <= index && nextChange_ <= last_) {
    const double percent = percentAt(bound_, candidateAt(nextChange_));
    if (percent != shown_) {
      progress_.percentChanged(percent, nextChange_);
      shown_ = percent;
    }
    nextChange_ = nextPercentChange(bound_, nextChange_, percent, last_);
  }
}

namespace {

// The candidate loop with its percent steps and offers; find(from, to)
// answers the first dividing index in [from, to] or 0, and is asked in
// increasing order only.
//
// A stretch runs from one due event pass to the next. Its divisions go to
// find() in one call, and the percent steps inside it are reported
// afterwards, in order, up to the hit or the stretch's end: no pass comes
// between them, so the window sees the same sequence as from a loop that
// takes one candidate at a time, while the kernels get long runs.
template <class Find>
TrialOutcome walkCandidates(double bound, double& shownPercent, TrialProgress& progress, EventPump& events,
                            Find find) {
  const std::uint64_t last = lastCandidateIndex(bound);
  PercentSteps steps(bound, last, shownPercent, progress);
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

}  // namespace

TrialOutcome trialDivide(uint128 n, double bound, double& shownPercent, TrialProgress& progress,
                         EventPump& events) {
  if (events.passesByClock() && splitPays(lastCandidateIndex(bound)))
    return parallelTrialDivide(n, bound, shownPercent, progress, events);
  return walkCandidates(bound, shownPercent, progress, events,
                        [n](std::uint64_t from, std::uint64_t to) { return firstDividingIndex(n, from, to); });
}

TrialOutcome replayTrialDivision(std::uint64_t hitIndex, double bound, double& shownPercent,
                                 TrialProgress& progress, EventPump& events) {
  return walkCandidates(bound, shownPercent, progress, events, [hitIndex](std::uint64_t from, std::uint64_t to) {
    return hitIndex >= from && hitIndex <= to ? hitIndex : 0;
  });
}

}  // namespace teilomat
