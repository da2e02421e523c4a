// The main window: all controls, the output surface of the commands and the button handlers.
#include "app/Form1.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <cstdint>
#include <string_view>
#include <utility>

#include "app/Form1Controls.h"
#include "app/Form2.h"
#include "app/InputField.h"
#include "app/ListEntryModel.h"
#include "app/LongCommandPolicy.h"
#include "app/TeilomatIcon.h"
#include "app/WindowLook.h"
#include "commands/Commands.h"
#include "timing/xTimer.h"

namespace teilomat {
namespace {

// The standard colour scheme: window frame, menu text, window text and
// button text are black; window and highlighted text are white. So the
// window, the frames, their captions, Check1, Label3 and Label4 are white on
// black, and the two output labels black on white. The frame borders are
// drawn grey, as an etched edge shows on black.
const char* const kWindowStyle =
    "QGroupBox { background-color: black; color: white; border: 1px solid #808080;"
    " margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0px 1px; background-color: black; color: white; }"
    "QLabel#Label1, QLabel#Label2 { background-color: white; color: black; }"
    "QLabel#Label3, QLabel#Label4, QCheckBox#Check1 { background-color: black; color: white; }"
    "QCheckBox#Check1 { spacing: 3px; }";

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// One control of the table, named and placed, with its start caption.
QWidget* makeControl(const ControlRow& row, QWidget* parent, ListEntryModel* listEntries) {
  const QString caption = QString::fromUtf8(row.caption);
  QWidget* control = nullptr;
  switch (row.kind) {
    case ControlKind::Button: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      control = button;
      break;
    }
    case ControlKind::Frame: control = new QGroupBox(caption, parent); break;
    case ControlKind::Label:
    case ControlKind::ResultLabel: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setText(caption);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(row.kind == ControlKind::ResultLabel);
      control = label;
      break;
    }
    case ControlKind::Field:
    case ControlKind::TypedField: {
      auto* field = new InputField(row.kind == ControlKind::TypedField ? Form1::kInputLimit : 0, parent);
      field->setProgramText(caption);
      control = field;
      break;
    }
    case ControlKind::CheckBox: control = new QCheckBox(caption, parent); break;
    case ControlKind::List: {
      auto* list = new QListView(parent);
      list->setModel(listEntries);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setEditTriggers(QAbstractItemView::NoEditTriggers);
      list->setUniformItemSizes(true);  // keeps long listings cheap to lay out
      control = list;
      break;
    }
  }
  control->setObjectName(row.name);
  // A result line is read by what it says; what it is comes as its
  // description. Its name follows its text when a command ends.
  if (row.kind == ControlKind::ResultLabel) {
    control->setAccessibleName(caption);
    control->setAccessibleDescription(QString::fromUtf8(row.accessibleName));
  } else {
    control->setAccessibleName(QString::fromUtf8(row.accessibleName));
  }
  control->setGeometry(WindowLook::rect(row.left, row.top, row.width, row.height));
  return control;
}

}  // namespace

Form1::Form1(PlatformServices* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(this),
      caption_(CaptionReport{}) {
  setObjectName("Form1");
  services_.setDialogStandIn(dialogs);
  services_.setHooks([this] { showPending(); }, [this] { return abortRequested_; },
                     [this] { return (cancelledDepths_ >> depth_) & 1u; });
  services_.setDialogObserver([this](bool shown) { dialogShown(shown); });
  applyCaption();
  captionHold_ = new QTimer(this);
  captionHold_->setSingleShot(true);
  captionHold_->setInterval(kCancelledCaptionHoldMs);
  connect(captionHold_, &QTimer::timeout, this, &Form1::endCaptionHold);
  setWindowIcon(teilomatIcon());
  setFont(WindowLook::controlFont());
  setFixedSize(WindowLook::pixels(11520), WindowLook::pixels(4440));
  WindowLook::paintBackground(this, Qt::black);
  setStyleSheet(kWindowStyle);
  buildControls();
  // Styled widgets would fall back to the application font; give each
  // control the window's font explicitly.
  const QFont font = WindowLook::controlFont();
  for (QWidget* control : findChildren<QWidget*>()) control->setFont(font);
  connectButtons();
  // Window-wide, so that Esc also counts while a field or a button has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &Form1::cancelInnermost);
}

void Form1::attachDesktop(DesktopBus* bus) {
  desktop_.reset();
  if (!bus) return;
  desktop_ = std::make_unique<LongCommandPolicy>(*bus, [] { return LongCommandPolicy::Clock::now(); });
  if (!desktopTick_) {
    desktopTick_ = new QTimer(this);
    desktopTick_->setInterval(kDesktopTickMs);
    // Fires in the commands' event passes: nothing is asked of the passes
    // themselves when no tick is due.
    connect(desktopTick_, &QTimer::timeout, this, [this] {
      if (desktop_) desktop_->tick(caption_.percent(depth_));
    });
  }
}

Form1::~Form1() {
  // The Info window has no parent (it must outlive a closed main window);
  // it goes with the main window at the latest.
  delete info_;
}

void Form1::buildControls() {
  list1Entries_ = new ListEntryModel(this);
  QWidget* previous = nullptr;
  for (const ControlRow& row : kForm1Controls) {
    QWidget* parent = std::string_view(row.parent) == "Form1" ? this : findChild<QWidget*>(row.parent);
    Q_ASSERT(parent);  // containers come first in the table
    QWidget* control = makeControl(row, parent, list1Entries_);
    if (previous) setTabOrder(previous, control);
    previous = control;
  }
  auto named = [this]<class T>(const char* name, T*& member) { member = findChild<T*>(name); };
  named("Command3", command3_);
  named("Frame4", frame4_);
  named("Label1", label1_);
  named("Label2", label2_);
  for (const ControlRow& row : kForm1Controls)
    if (row.enterPresses)
      connect(findChild<InputField*>(row.name), &QLineEdit::returnPressed, findChild<QPushButton*>(row.enterPresses),
              &QPushButton::click);
  named("Text1", text1_);
  named("Text2", text2_);
  named("Text3", text3_);
  named("Text4", text4_);
  named("Check1", check1_);
  named("List1", list1_);
  check1_->setChecked(true);
  // The first control in tab order, Command1, has the focus at start.
  findChild<QWidget*>(kForm1Controls[0].name)->setFocus();

  // No accessible name of its own: a screen reader reads the caption.
}

void Form1::connectButtons() {
  for (const ControlRow& row : kForm1Controls) {
    if (!row.command.run) continue;
    const ButtonCommand command = row.command;
    connect(findChild<QPushButton*>(row.name), &QPushButton::clicked, this,
            [this, command] { runCommand([this, command] { command.run(*this); }, command.nests); });
  }
}

void Form1::runCommand(const std::function<void()>& command, bool nests) {
  if (abortRequested_) return;
  if (nests && depth_ >= kMaxNesting) return;  // the press is ignored
  ++depth_;
  caption_.commandStarted(depth_);
  if (desktop_) {
    desktop_->commandStarted();
    if (depth_ == 1) desktopTick_->start();
  }
  std::string failure;
  bool cancelled = false;
  bool aborted = false;
  try {
    command();
  } catch (const CommandCancelled&) {
    cancelled = true;
  } catch (const CommandAborted&) {
    // The window was closed: end quietly.
    aborted = true;
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "unbekannter Fehler";
  }
  if (!failure.empty() && !abortRequested_) {
    try {
      services_.messageBox("Der Befehl wurde wegen eines Fehlers abgebrochen:\n" + failure);
    } catch (...) {
      // Closed while the report was shown; nothing left to tell.
    }
  }
  cancelledDepths_ &= (std::uint64_t(1) << depth_) - 1;  // this depth and any deeper are done
  const bool closed = aborted || abortRequested_;
  if (desktop_) {
    const CommandEnd how = closed            ? CommandEnd::Aborted
                           : cancelled       ? CommandEnd::Cancelled
                           : failure.empty() ? CommandEnd::Finished
                                             : CommandEnd::Failed;
    desktop_->commandEnded(how, caption_.current(), services_.separators(), QApplication::activeWindow() != nullptr);
    if (depth_ == 1) desktopTick_->stop();
  }
  if (caption_.commandEnded(depth_, cancelled && !closed)) captionHold_->start();
  else captionHold_->stop();
  if (--depth_ == 0) abortRequested_ = false;
  showPending();
  speakResults();
}

void Form1::dialogShown(bool shown) {
  // A box tells of the command now running: it shows under that command's
  // caption, not under an "(abgebrochen)" held for a nested one.
  if (shown) endCaptionHold();
  if (desktop_) desktop_->dialogShown(shown);
}

void Form1::endCaptionHold() {
  caption_.endHold();
  applyCaption();
}

void Form1::cancelInnermost() {
  if (abortRequested_) return;
  // Each press ends one more level, however fast they come: presses within
  // one pass mark the innermost commands not marked yet.
  for (int depth = depth_; depth > 0; --depth) {
    const std::uint64_t bit = std::uint64_t(1) << depth;
    if (cancelledDepths_ & bit) continue;
    cancelledDepths_ |= bit;
    return;
  }
}

void Form1::showPending() {
  applyCaption();
  list1Entries_->publish();
}

void Form1::showInfo() {
  if (!info_) info_ = new Form2();
  info_->show();
  info_->raise();
  info_->activateWindow();
}

void Form1::showCentred() {
  if (QScreen* where = screen()) {
    const QRect area = where->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (depth_ > 0) abortRequested_ = true;
  if (desktop_) desktop_->windowClosed();
  if (info_ && !info_->isVisible()) delete info_;
  event->accept();
}

void Form1::setCaption(const CaptionReport& report) {
  caption_.write(report, depth_);
  captionChanged();
}

void Form1::captionChanged() {
  if (depth_ == 0) applyCaption();
}

void Form1::applyCaption() {
  if (const std::optional<CaptionReport> shown = caption_.take())
    setWindowTitle(fromUtf8(captionText(*shown, services_.separators())));
  if (depth_ == 0 || !spokenAt_.isValid() || spokenAt_.hasExpired(kSpokenProgressMs)) speakCaption();
}

void Form1::speakCaption() {
  if (windowTitle() == spokenCaption_) return;
  spokenCaption_ = windowTitle();
  spokenAt_.start();
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void Form1::speakResults() {
  speakCaption();
  // Setting the name sends the event, so only a changed text is told.
  for (QLabel* label : {label1_, label2_})
    if (label->accessibleName() != label->text()) label->setAccessibleName(label->text());
}

void Form1::setLabel1(const std::string& text) { label1_->setText(fromUtf8(text)); }
void Form1::setLabel2(const std::string& text) { label2_->setText(fromUtf8(text)); }

InputField* Form1::field(TextField which) const {
  switch (which) {
    case TextField::Text1: return text1_;
    case TextField::Text2: return text2_;
    case TextField::Text3: return text3_;
    case TextField::Text4: return text4_;
  }
  return text1_;
}

std::string Form1::text(TextField which) const { return field(which)->text().toStdString(); }
void Form1::setText(TextField which, const std::string& text) { field(which)->setProgramText(fromUtf8(text)); }
void Form1::setFrame4Caption(const std::string& caption) {
  frame4_->setTitle(fromUtf8(caption));
  const QString name = caption.empty() ? QStringLiteral("Ergebnis") : fromUtf8(caption);
  frame4_->setAccessibleName(name);
  text2_->setAccessibleName(name);
}
void Form1::setCommand3Caption(const std::string& caption) {
  command3_->setText(fromUtf8(caption));
  command3_->setAccessibleName(caption.empty() ? QStringLiteral("Ergebnis ins Eingabefeld kopieren")
                                               : QString(fromUtf8(caption)).remove(QLatin1Char('&')));
}
int Form1::check1Value() const { return check1_->isChecked() ? 1 : 0; }

void Form1::clearList() { list1Entries_->clear(); }

void Form1::appendToList(uint128 prime) {
  list1Entries_->append(prime);
  if (depth_ == 0) list1Entries_->publish();
}

std::size_t Form1::listCount() const { return list1Entries_->size(); }
uint128 Form1::listEntry(std::size_t index) const { return list1Entries_->entry(index); }

xTimer& Form1::stopwatch() {
  if (!stopwatch_) stopwatch_ = std::make_unique<xTimer>();
  return *stopwatch_;
}

}  // namespace teilomat
