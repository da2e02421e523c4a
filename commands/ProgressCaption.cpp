// The progress caption of a trial division, reported whenever its whole percent changes.
#include "commands/ProgressCaption.h"

namespace teilomat {

void ProgressCaption::percentChanged(double percent, std::uint64_t index) {
  const std::uint64_t shown = index == 1 ? leftover_ : index + 1;
  shownPercent_ = percent;
  out_.setCaption(CaptionReport::progress(number_, percent, shown));
}

}  // namespace teilomat
