// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#pragma once

#include <string>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "commands/ProgressCaption.h"

namespace teilomat {

// Tests whole numbers for primality the way the search and the listing do:
// per number the caption "Teilomat - (<m> wird geprüft)" and the square-root
// bound; an even number is composite at once (every number walked is above
// 2); an odd one is trial-divided with the progress caption, whose percent
// is carried from number to number.
class CandidateWalk {
 public:
  CandidateWalk(OutputSurface& out, PlatformServices& services)
      : out_(out), services_(services), separators_(services.separators()), progress_(out, 3) {}

  // Whether m (whole, 10 <= m < 2^96) is prime. Cost: one text of m, and
  // its trial division when it is odd.
  bool isPrime(uint128 m);
  // The text of the number tested last.
  const std::string& numberText() const { return text_; }

 private:
  OutputSurface& out_;
  PlatformServices& services_;
  const Separators separators_;
  ProgressCaption progress_;
  double shownPercent_ = 0;
  std::string text_;
};

}  // namespace teilomat
