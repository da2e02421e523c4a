// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#pragma once

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "commands/ProgressCaption.h"
#include "engine/SuccessiveTrialDivision.h"

namespace teilomat {

// Tests whole numbers for primality the way the search and the listing do:
// per number the caption "Teilomat - (<m> wird geprüft)" and the square-root
// bound; an even number is composite at once (every number walked is above
// 2); an odd one is trial-divided with the progress caption, whose percent
// is carried from number to number. Numbers stay native: no text is built
// unless the window shows it. How the worker threads share the divisions is
// the engine's choice (SuccessiveTrialDivision).
class CandidateWalk {
 public:
  // lastNumber: no number above it will be asked for.
  CandidateWalk(OutputSurface& out, EventPump& events, uint128 lastNumber = (uint128{1} << 96) - 1)
      : out_(out), progress_(out, 3), divisions_(progress_, events, lastNumber) {}

  // Whether m (whole, 10 <= m <= lastNumber) is prime. Cost: its trial
  // division when it is odd, a few nanoseconds otherwise.
  bool isPrime(uint128 m);

 private:
  OutputSurface& out_;
  ProgressCaption progress_;
  SuccessiveTrialDivision divisions_;
};

}  // namespace teilomat
