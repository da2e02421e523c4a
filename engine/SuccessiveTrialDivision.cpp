// Trial division of one number after another: the choice between dividing ahead, splitting and one thread.
#include "engine/SuccessiveTrialDivision.h"

#include <algorithm>

#include "engine/ParallelSearch.h"
#include "engine/TrialDivision.h"
#include "engine/TrialSteps.h"
#include "engine/WorkerThreads.h"

namespace teilomat {
namespace {

// The steps of a trial division whose outcome is known: `hitIndex` is the
// index of the first candidate dividing n, or 0 when none up to the last
// does. The same percent steps and event-pass offers as trialDivide, without
// dividing.
TrialOutcome replayTrialDivision(const TrialRun& run, std::uint64_t hitIndex) {
  return walkCandidates(run, [hitIndex](std::uint64_t from, std::uint64_t to) {
    return hitIndex >= from && hitIndex <= to ? hitIndex : 0;
  });
}

}  // namespace

TrialOutcome SuccessiveTrialDivision::divide(uint128 m, double bound) {
  const TrialRun run{m, bound, shownPercent_, progress_, events_};
  const std::optional<std::uint64_t> hit = hitAhead(m, run.lastIndex());
  return hit ? replayTrialDivision(run, *hit) : trialDivide(run);
}

std::optional<std::uint64_t> SuccessiveTrialDivision::hitAhead(uint128 m, std::uint64_t last) {
  if (m >= aheadFirst_ && (m - aheadFirst_) / 2 < ahead_.size()) return ahead_[(m - aheadFirst_) / 2];
  const auto threads = static_cast<std::size_t>(workerThreadCount());
  // A run long enough to split goes through trialDivide when the pump lets
  // it split: a search then has its prime sooner than one thread would.
  if (threads < 2 || last > kMaxAheadCandidates || (events_.passesByClock() && splitPays(last))) return std::nullopt;

  // Odd numbers from m up to lastNumber_: at least 1, since m <= lastNumber_.
  const uint128 oddsLeft = (lastNumber_ - m) / 2 + 1;
  batch_ = std::min(batch_ == 0 ? 2 * threads : 2 * batch_, kMaxBatchPerThread * threads);
  const auto size = static_cast<std::size_t>(std::min<uint128>(batch_, oddsLeft));
  ahead_.assign(size, 0);
  aheadFirst_ = m;
  try {
    firstHitsOfOddNumbers(m, ahead_, events_);
  } catch (...) {
    ahead_.clear();
    throw;
  }
  return ahead_[0];
}

}  // namespace teilomat
