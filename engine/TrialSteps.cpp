// The steps a trial division shows: the next percent change found ahead, and the steps reported in order.
#include "engine/TrialSteps.h"

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

}  // namespace teilomat
