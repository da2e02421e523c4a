// The main window: all controls, the output surface of the commands and the button handlers.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Form2.h"
#include "app/QtPlatformServices.h"
#include "app/WindowCaption.h"
#include "commands/OutputSurface.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QTimer;

namespace teilomat {

class DesktopBus;
class LongCommandPolicy;
class InputField;
class ListEntryModel;

// Commands run on this window from their button's handler to their end.
// Buttons stay enabled while one runs: a press lands in an event pass of the
// running command and runs its own command inside it.
//
// Nesting is bounded: while kMaxNesting commands run, further presses of the
// computing buttons (1, 2, 4, 5, 6) are ignored, so that a user who keeps
// clicking cannot overflow the stack. Copy (3) and Info (7) never nest and
// always run.
//
// Esc while commands run ends the innermost one at the end of its current
// event pass (CommandCancelled, thrown once Qt has returned); the caption
// says "Teilomat - (abgebrochen)", the command's labels how far it got, and
// the command it interrupted goes on, and its own caption comes back
// kCancelledCaptionHoldMs later. Each press ends one more level, also when
// several come in one pass. Esc with nothing running does nothing.
//
// A screen reader reads the window by its caption and the result lines by
// their text. It is told (a name-changed event) of the caption and of
// Label1 and Label2 once when a command ends, and of a running command's
// caption at most every kSpokenProgressMs, so that progress never floods it.
//
// Closing the window while commands run ends all of them at their next event
// pass (CommandAborted); their handlers end quietly and the window stays
// alive (it is owned by main). A hidden Info window is discarded on close;
// a shown one keeps the program running until it is closed too.
//
// The caption is cheap to write: its report is stored, and its text is
// made (captionText) when it reaches the window title at the next real
// event pass, before a dialog and when a command
// ends (at once when no command runs). List1 shows new entries at the same
// moments: appending stores a number and nothing else.
//
// With a desktop attached, a LongCommandPolicy learns of every command's start
// and end, of the dialogs and the close, and, every kDesktopTickMs while
// commands run, of the innermost one's percent, from its caption report.
class Form1 : public QWidget, public OutputSurface {
  Q_OBJECT
 public:
  static constexpr int kMaxNesting = 32;
  static constexpr int kInputLimit = 28;
  static constexpr int kCancelledCaptionHoldMs = 1000;
  static constexpr int kDesktopTickMs = 250;
  static constexpr int kSpokenProgressMs = 3000;
  static_assert(kMaxNesting + 1 < 64, "a running command's depth is a bit of cancelledDepths_");

  // dialogs: a stand-in for message box, input box, beep and locale (the
  // tests' recording fake); null for the real ones.
  explicit Form1(PlatformServices* dialogs = nullptr, QWidget* parent = nullptr);
  ~Form1() override;

  // Centres the window on its screen and shows it.
  void showCentred();

  QtPlatformServices& services() { return services_; }
  // The desktop to tell of long commands (null: none, as in the tests).
  // Kept, not owned; it must outlive the window's commands.
  void attachDesktop(DesktopBus* bus);
  int runningCommands() const { return depth_; }
  Form2* infoWindow() const { return info_; }
  // Shows the Info window (made on first use) and raises it.
  void showInfo();

  // OutputSurface
  void setCaption(const CaptionReport& report) override;
  void setLabel1(const std::string& text) override;
  void setLabel2(const std::string& text) override;
  std::string text(TextField field) const override;
  void setText(TextField field, const std::string& text) override;
  void setFrame4Caption(const std::string& caption) override;
  void setCommand3Caption(const std::string& caption) override;
  int check1Value() const override;
  void clearList() override;
  void appendToList(uint128 prime) override;
  std::size_t listCount() const override;
  uint128 listEntry(std::size_t index) const override;
  xTimer& stopwatch() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void connectButtons();
  // Marks the innermost running command to end at its current event pass.
  void cancelInnermost();
  // What commands wrote for later: the caption and List1's new rows.
  void showPending();
  // Runs one command with the nesting bound and the error handling of a
  // button handler. nests: whether the command may run event passes.
  void runCommand(const std::function<void()>& command, bool nests);
  // Marks the caption for showing: at once when no command runs.
  void captionChanged();
  void applyCaption();
  // Tells a screen reader of the caption shown, when it changed.
  void speakCaption();
  // At a command's end: the caption and the result lines.
  void speakResults();
  void endCaptionHold();
  void dialogShown(bool shown);
  InputField* field(TextField which) const;

  QtPlatformServices services_;
  std::unique_ptr<xTimer> stopwatch_;
  QPointer<Form2> info_;
  WindowCaption caption_;
  QTimer* captionHold_ = nullptr;
  QString spokenCaption_;
  QElapsedTimer spokenAt_;
  std::unique_ptr<LongCommandPolicy> desktop_;
  QTimer* desktopTick_ = nullptr;
  int depth_ = 0;
  // Bit d: Esc has ended the command at depth d. A press and an Esc in the
  // same pass can mark a command that is no longer the innermost.
  std::uint64_t cancelledDepths_ = 0;
  bool abortRequested_ = false;
  ListEntryModel* list1Entries_ = nullptr;

  QPushButton* command3_ = nullptr;
  QGroupBox* frame4_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  InputField* text1_ = nullptr;
  InputField* text2_ = nullptr;
  InputField* text3_ = nullptr;
  InputField* text4_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QListView* list1_ = nullptr;
};

}  // namespace teilomat
