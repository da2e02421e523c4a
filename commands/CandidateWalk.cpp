// One candidate after another: the per-number loop that the next-prime search and the range listing share.
#include "commands/CandidateWalk.h"

#include "commands/CommandMessages.h"
#include "engine/SquareRootBound.h"

namespace teilomat {

bool CandidateWalk::isPrime(uint128 m) {
  const DecimalNumber candidate = DecimalNumber::fromParts(m, 0, false);
  text_ = candidate.toString(separators_);
  out_.setCaption(messages::checkingCaption(text_));
  const double bound = squareRootBound(candidate);
  if (m % 2 == 0) return false;

  progress_.beginRun(text_);
  const TrialOutcome outcome = trialDivide(m, bound, shownPercent_, progress_, services_);
  progress_.endRun(outcome.count);
  return outcome.divisor == 0;
}

}  // namespace teilomat
