// The policy for long commands, what the desktop learns of them: idle sleep held from 2 s, launcher progress, a
// notification after 10 s.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/DesktopBus.h"
#include "commands/CaptionReport.h"

namespace teilomat {

// How a command ended: on its own (with a result or a refusal), by Esc, by
// the window's closing, or by an unexpected error (which a message box reports).
enum class CommandEnd { Finished, Cancelled, Aborted, Failed };

// The rules, fed by what the window sees of its commands: their start and
// end, the percent their caption reports, dialogs, the window's close. All
// calls come on the window's thread; each costs a few comparisons, and the
// bus is called only when something is due.
//
// - A run is the time from the start of an outermost command to its end;
//   nested commands belong to it. From kQuietStart of computing into a run
//   until its end (Esc and the window's close included) the run holds one
//   inhibition of idle sleep and shows its innermost command's percent on
//   the launcher, at most once per kProgressInterval; at its end the
//   progress is hidden.
// - A modal dialog stops every command until it is answered, so its time
//   does not count as computing and no sleep is held meanwhile: a box left
//   open lets the machine sleep.
// - A command that computed kNotifyAfter or longer and ends on its own
//   while no window of the program is active gives one notification with
//   its verdict and its duration. None after Esc, an error, or the close.
class LongCommandPolicy {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kQuietStart = std::chrono::seconds(2);
  static constexpr Clock::duration kNotifyAfter = std::chrono::seconds(10);
  static constexpr Clock::duration kProgressInterval = std::chrono::milliseconds(250);

  LongCommandPolicy(DesktopBus& bus, std::function<Clock::time_point()> now);

  void commandStarted();
  // Called every so often while a run goes on (a quarter second suits).
  // percent: the whole percent that the innermost command's caption shows,
  // when its caption shows one.
  void tick(std::optional<double> percent);
  // caption: the caption report as the command left it, its numbers
  // written with `separators`; windowActive: whether a window of the
  // program has the focus.
  void commandEnded(CommandEnd how, const CaptionReport& caption, const Separators& separators, bool windowActive);
  void dialogShown(bool shown);
  void windowClosed();

  // "Dauer: 1 Stunde, 2 Minuten und 5 Sekunden", whole seconds.
  static std::string durationLine(Clock::duration duration);

 private:
  Clock::duration computed() const;  // since the session began, dialogs left out
  void endRun();

  struct Command {
    Clock::duration start;
    double percent = 0;
  };

  DesktopBus& bus_;
  std::function<Clock::time_point()> now_;
  Clock::time_point origin_;
  std::vector<Command> commands_;  // outermost first
  Clock::duration inDialogs_{};
  Clock::time_point dialogSince_;
  int openDialogs_ = 0;
  bool closed_ = false;
  bool inhibited_ = false;
  bool progressShown_ = false;
  double shownPercent_ = 0;
  Clock::time_point progressSentAt_;
};

}  // namespace teilomat
