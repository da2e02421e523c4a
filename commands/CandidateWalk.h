// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#pragma once

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
class CandidateWalk {
 public:
  CandidateWalk(OutputSurface& out, EventPump& events) : out_(out), events_(events), progress_(out, 3) {}

  // Whether m (whole, 10 <= m < 2^96) is prime. Cost: its trial division
  // when it is odd, a few nanoseconds otherwise.
  bool isPrime(uint128 m);

 private:
  OutputSurface& out_;
  EventPump& events_;
  ProgressCaption progress_;
  double shownPercent_ = 0;
};

}  // namespace teilomat
