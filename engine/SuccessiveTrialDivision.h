// Trial division of one number after another: each divided ahead on every thread, split over them, or in turn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/TrialRun.h"

namespace teilomat {

// The trial divisions of rising odd numbers, as the next-prime search and
// the range listing ask for them; the percent shown is carried from number
// to number. Each number gets the outcome and the steps (percent steps,
// event-pass offers) of trialDivide, and the engine chooses how the worker
// threads share the work:
//
// With more than one worker thread, the numbers whose trial division is
// short (at most kMaxAheadCandidates candidates, and too few to split when
// the pump passes by the clock) are divided ahead in batches on every
// thread, and each one's steps are then replayed in order on the window's
// thread: the window sees exactly the sequence of one thread. A batch
// starts small and doubles up to kMaxBatchPerThread numbers per thread, so
// a search that stops at its first prime wastes little; nothing past
// `lastNumber` is divided ahead. Longer runs go through trialDivide, split
// over the workers when the pump passes by the clock.
class SuccessiveTrialDivision {
 public:
  static constexpr std::uint64_t kMaxAheadCandidates = std::uint64_t{1} << 24;
  static constexpr std::size_t kMaxBatchPerThread = 256;

  // lastNumber: no number above it will be asked for.
  SuccessiveTrialDivision(TrialProgress& progress, EventPump& events, uint128 lastNumber)
      : progress_(progress), events_(events), lastNumber_(lastNumber) {}

  // trialDivide for odd m (5 <= m <= lastNumber) with its square-root
  // bound. Cost: its trial division, on every thread when divided ahead.
  TrialOutcome divide(uint128 m, double bound);

 private:
  // The first dividing index of m from the numbers divided ahead, with a
  // new batch from m when m lies outside the last one; nothing when m's run
  // is too long for a batch or there is a single thread.
  std::optional<std::uint64_t> hitAhead(uint128 m, std::uint64_t last);

  TrialProgress& progress_;
  EventPump& events_;
  const uint128 lastNumber_;
  double shownPercent_ = 0;
  std::vector<std::uint64_t> ahead_;  // first dividing indexes of aheadFirst_, aheadFirst_ + 2, ...
  uint128 aheadFirst_ = 0;
  std::size_t batch_ = 0;  // the size of the last batch
};

}  // namespace teilomat
