// The window caption as the commands report it: shown at event passes, the outer caption back a moment after an Esc.
#pragma once

#include <optional>
#include <vector>

#include "commands/CaptionReport.h"

namespace teilomat {

// Keeps the caption report last written, which nesting depth wrote it, and,
// for every running command, the report it found at its start. Writing
// costs a copy; the window takes the report to show at its passes and makes
// its text then (captionText).
//
// A command that ends on its own leaves its last caption shown, until the
// command it ran inside writes its next one. A command ended by Esc shows
// "Teilomat - (abgebrochen)"; when it ran inside another, that one's own
// caption comes back once the window ends the hold (endHold: about a
// second later, or at once when a box is about to show), or at once when a
// command starts or ends meanwhile.
class WindowCaption {
 public:
  explicit WindowCaption(const CaptionReport& start) { current_.report = start; }

  void write(const CaptionReport& report, int depth);
  // depth: the starting command's nesting depth, 1 for an outermost one.
  void commandStarted(int depth);
  // True when "(abgebrochen)" now holds the place of the outer caption.
  bool commandEnded(int depth, bool cancelled);
  void endHold();

  // The report to show now, when it was written since it was last taken.
  std::optional<CaptionReport> take();
  // The report last written.
  const CaptionReport& current() const { return current_.report; }
  // The whole percent that the caption shows, when the command at `depth`
  // wrote it as progress ("… ist zu 42 % überprüft …", "… zu 7 % fertig").
  std::optional<double> percent(int depth) const;

 private:
  struct Written {
    CaptionReport report;
    int depth = 0;
  };

  Written current_;
  std::vector<Written> found_;  // what each running command found at its start
  bool dirty_ = true;
  bool held_ = false;
  bool cancelledDue_ = false;  // "(abgebrochen)" still to be taken
};

}  // namespace teilomat
