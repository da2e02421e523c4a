// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "commands/ProgressCaption.h"

namespace teilomat {

// Tests whole numbers for primality the way the search and the listing do:
// per number the caption "Teilomat - (<m> wird geprüft)" and the square-root
// bound; an even number is composite at once (every number walked is above
// 2); an odd one is trial-divided with the progress caption, whose percent
// is carried from number to number. Numbers stay native: no text is built
// unless the window shows it.
//
// With more than one worker thread, the odd numbers whose trial division is
// short (at most kMaxAheadCandidates candidates, and too few to split when
// the pump passes by the clock) are divided ahead in
// batches on every thread, and each one's steps (captions, percent steps,
// event-pass offers, count) are then replayed in order on the window's
// thread: the window sees exactly the sequence of a walk on one thread. A
// batch starts small and doubles up to kMaxBatchPerThread numbers per thread,
// so a search that stops at its first prime wastes little; nothing past
// `lastNumber` is divided ahead. Longer runs go through trialDivide, split
// over the workers when the pump passes by the clock.
class CandidateWalk {
 public:
  static constexpr std::uint64_t kMaxAheadCandidates = std::uint64_t{1} << 24;
  static constexpr std::size_t kMaxBatchPerThread = 256;

  // lastNumber: no number above it will be asked for.
  CandidateWalk(OutputSurface& out, EventPump& events, uint128 lastNumber = (uint128{1} << 96) - 1)
      : out_(out), events_(events), progress_(out, 3), lastNumber_(lastNumber) {}

  // Whether m (whole, 10 <= m <= lastNumber) is prime. Cost: its trial
  // division when it is odd, a few nanoseconds otherwise.
  bool isPrime(uint128 m);

 private:
  // The first dividing index of odd m from the numbers divided ahead, with a
  // new batch from m when m lies outside the last one; nothing when m's run
  // is too long for a batch or there is a single thread.
  std::optional<std::uint64_t> hitAhead(uint128 m, std::uint64_t last);

  OutputSurface& out_;
  EventPump& events_;
  ProgressCaption progress_;
  const uint128 lastNumber_;
  double shownPercent_ = 0;
  std::vector<std::uint64_t> ahead_;  // first dividing indexes of aheadFirst_, aheadFirst_ + 2, ...
  uint128 aheadFirst_ = 0;
  std::size_t batch_ = 0;  // the size of the last batch
};

}  // namespace teilomat
