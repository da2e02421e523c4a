// The window caption as the commands write it: shown at event passes, the outer caption back a moment after an Esc.
#include "app/WindowCaption.h"

namespace teilomat {

void WindowCaption::write(const std::string& text, int depth) {
  current_.text = text;
  current_.recipe.reset();
  current_.depth = depth;
  current_.percent.reset();
  dirty_ = true;
}

void WindowCaption::write(const CaptionRecipe& recipe, int depth) {
  current_.recipe = recipe;
  current_.depth = depth;
  // A recipe carries its percent; the checking caption's 0 is a run's start.
  current_.percent = recipe.percent;
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
  Written found = std::move(found_[static_cast<std::size_t>(depth - 1)]);
  found_.resize(static_cast<std::size_t>(depth - 1));
  if (!cancelled) return false;
  if (depth == 1) {
    write(kCancelled, 0);
    return false;
  }
  // The caption the outer command had written, to be shown after the hold.
  current_ = std::move(found);
  dirty_ = true;
  held_ = true;
  cancelledDue_ = true;
  return true;
}

void WindowCaption::endHold() { held_ = false; }

std::optional<std::string> WindowCaption::take() {
  if (cancelledDue_) {
    cancelledDue_ = false;
    return std::string(kCancelled);
  }
  if (held_ || !dirty_) return std::nullopt;
  dirty_ = false;
  return text();
}

std::string WindowCaption::text() {
  if (current_.recipe) {
    current_.text = current_.recipe->text();
    current_.recipe.reset();
  }
  return current_.text;
}

std::optional<double> WindowCaption::percent(int depth) const {
  if (current_.depth != depth) return std::nullopt;
  return current_.percent;
}

}  // namespace teilomat
