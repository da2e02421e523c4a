// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#include "commands/CandidateWalk.h"

#include "engine/SquareRootBound.h"

namespace teilomat {

bool CandidateWalk::isPrime(uint128 m) {
  out_.setCaption(CaptionReport::about(CaptionState::UnderTest, m));
  const double bound = squareRootBound(m);
  if (m % 2 == 0) return false;

  progress_.beginRun(m);
  const TrialOutcome outcome = divisions_.divide(m, bound);
  progress_.endRun(outcome.count);
  return outcome.divisor == 0;
}

}  // namespace teilomat
