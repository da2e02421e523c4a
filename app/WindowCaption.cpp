// The window caption as the commands report it: shown at event passes, the outer caption back a moment after an Esc.
#include "app/WindowCaption.h"

namespace teilomat {

void WindowCaption::write(const CaptionReport& report, int depth) {
  current_ = {report, depth};
  dirty_ = true;
}

void WindowCaption::commandStarted(int depth) {
  found_.resize(static_cast<std::size_t>(depth - 1));
  found_.push_back(current_);
  held_ = false;
}

bool WindowCaption::commandEnded(int depth, bool cancelled) {
  held_ = false;
  cancelledDue_ = false;
  if (depth < 1 || static_cast<std::size_t>(depth) > found_.size()) return false;
  Written found = found_[static_cast<std::size_t>(depth - 1)];
  found_.resize(static_cast<std::size_t>(depth - 1));
  if (!cancelled) return false;
  if (depth == 1) {
    write(CaptionReport::cancelled(), 0);
    return false;
  }
  // The caption the outer command had written, to be shown after the hold.
  current_ = found;
  dirty_ = true;
  held_ = true;
  cancelledDue_ = true;
  return true;
}

void WindowCaption::endHold() { held_ = false; }

std::optional<CaptionReport> WindowCaption::take() {
  if (cancelledDue_) {
    cancelledDue_ = false;
    return CaptionReport::cancelled();
  }
  if (held_ || !dirty_) return std::nullopt;
  dirty_ = false;
  return current_.report;
}

std::optional<double> WindowCaption::percent(int depth) const {
  if (current_.depth != depth) return std::nullopt;
  return current_.report.progressPercent();
}

}  // namespace teilomat
