// The window caption as the commands write it: shown at event passes, the outer caption back a moment after an Esc.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/OutputSurface.h"

namespace teilomat {

// Keeps the caption last written (a text, or the recipe of one, built only
// when shown), which nesting depth wrote it, and, for every running
// command, the caption it found at its start. Writing costs a store; the
// window takes the text to show at its passes.
//
// A command that ends on its own leaves its last caption shown, until the
// command it ran inside writes its next one. A command ended by Esc shows
// "Teilomat - (abgebrochen)"; when it ran inside another, that one's own
// caption comes back once the window ends the hold (endHold, about a
// second later) or at once when a command starts or ends meanwhile.
class WindowCaption {
 public:
  static constexpr const char* kCancelled = "Teilomat - (abgebrochen)";

  explicit WindowCaption(std::string start) { current_.text = std::move(start); }

  void write(const std::string& text, int depth);
  void write(const CaptionRecipe& recipe, int depth);
  // depth: the starting command's nesting depth, 1 for an outermost one.
  void commandStarted(int depth);
  // True when "(abgebrochen)" now holds the place of the outer caption.
  bool commandEnded(int depth, bool cancelled);
  void endHold();

  // The text to show now, when it differs from what was last taken.
  std::optional<std::string> take();
  // The caption last written, as text.
  std::string text();
  // The whole percent that the caption shows, when the command at `depth`
  // wrote it as a progress recipe ("… ist zu 42 % überprüft …", "… zu 7 % fertig").
  std::optional<double> percent(int depth) const;

 private:
  struct Written {
    std::string text;
    std::optional<CaptionRecipe> recipe;  // when set, it stands for text
    int depth = 0;
    std::optional<double> percent;  // set by a progress recipe
  };

  Written current_;
  std::vector<Written> found_;  // what each running command found at its start
  bool dirty_ = true;
  bool held_ = false;
  bool cancelledDue_ = false;  // "(abgebrochen)" still to be taken
};

}  // namespace teilomat
