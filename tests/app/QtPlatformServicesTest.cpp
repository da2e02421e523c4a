// The real Qt services: message box and input box as the user sees them, and the gated event passes.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <ostream>

#include "UiTestSupport.h"
#include "app/QtPlatformServices.h"
#include "commands/Primmarktest.h"

namespace teilomat::testing {
namespace {

// No dialog guard here: these tests open real dialogs on purpose and close
// them from a timer; the watchdog still ends a test whose dialog stays.
class RealServices : public ::testing::Test {
 protected:
  // Calls `inspect` with the first modal widget that shows up.
  void whenModalAppears(std::function<void(QWidget*)> inspect) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, inspect = std::move(inspect)] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      poll->stop();
      poll->deleteLater();
      inspect(modal);
    });
    poll->start();
  }

  Watchdog watchdog_{std::chrono::seconds(60), "RealServices"};
  QtPlatformServices services_;
};

struct MessageRow {
  const char* name;
  const char* text;
  const char* title;     // given
  const char* expected;  // shown
};

// Test names and failure messages show the row by its name.
void PrintTo(const MessageRow& row, std::ostream* os) { *os << row.name; }

class RealMessageBox : public RealServices, public ::testing::WithParamInterface<MessageRow> {};

TEST_P(RealMessageBox, HasOneOkButtonNoIconAndItsTitle) {
  const MessageRow& row = GetParam();
  bool inspected = false;
  whenModalAppears([&](QWidget* modal) {
    inspected = true;
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->metaObject()->className();
    EXPECT_EQ(box->text().toStdString(), row.text);
    EXPECT_EQ(box->windowTitle().toStdString(), row.expected);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_TRUE(box->iconPixmap().isNull());
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
    EXPECT_TRUE(box->isModal());
    box->buttons().front()->click();
  });
  services_.messageBox(row.text, row.title);
  EXPECT_TRUE(inspected);
}

INSTANTIATE_TEST_SUITE_P(Services, RealMessageBox,
                         ::testing::Values(MessageRow{"ApplicationTitle",
                                                      "Nur Zahlen mit maximal 29 Stellen eingeben !!", "", "Teilomat"},
                                           MessageRow{"OwnTitleAndLineBreak", "Fehler: 75\r\nPfad-/Dateizugriffsfehler",
                                                      "Speichern Listbox", "Speichern Listbox"},
                                           MessageRow{"MarkupStaysText", "<b>1 < 2</b>", "", "Teilomat"}),
                         [](const ::testing::TestParamInfo<MessageRow>& info) { return std::string(info.param.name); });

TEST_F(RealServices, InputBoxSitsAtItsTwipsAndReturnsTheTypedText) {
  QPoint shownAt;
  whenModalAppears([&](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    shownAt = dialog->pos();
    EXPECT_EQ(dialog->windowTitle(), "Teilomat");
    EXPECT_EQ(dialog->labelText(), "Taktfrequenz in MHz?");
    EXPECT_EQ(dialog->textValue(), "") << "empty default answer";
    dialog->setTextValue("2400");
    dialog->accept();
  });
  EXPECT_EQ(services_.inputBox("Taktfrequenz in MHz?", 1500, 3000), "2400");
  EXPECT_EQ(shownAt, QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(100, 200));
}

TEST_F(RealServices, InputBoxWrapsALongPromptWithinTheScreen) {
  const std::string& prompt = primmarktestPrompt();
  int width = 0;
  whenModalAppears([&](QWidget* modal) {
    width = modal->width();
    qobject_cast<QDialog*>(modal)->reject();
  });
  services_.inputBox(prompt, 100, 100);
  EXPECT_GT(width, 0);
  EXPECT_LE(width, QGuiApplication::primaryScreen()->geometry().width());
}

TEST_F(RealServices, InputBoxCancelGivesTheEmptyText) {
  whenModalAppears([](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue("2400");
    dialog->reject();
  });
  EXPECT_EQ(services_.inputBox("Frage", 100, 100), "");
}

TEST_F(RealServices, EventPassRunsPendingEventsWhenDue) {
  services_.setPassInterval(std::chrono::nanoseconds(0));
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  services_.processEvents();
  EXPECT_TRUE(ran);
  EXPECT_EQ(services_.realPasses(), 1u);
}

TEST_F(RealServices, EventPassIsSkippedUntilTheIntervalHasPassed) {
  services_.setPassInterval(std::chrono::hours(1));
  services_.processEvents();  // the first pass is always due
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  services_.processEvents();
  EXPECT_FALSE(ran) << "a pass within the interval must not run events";
  EXPECT_EQ(services_.realPasses(), 1u);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST_F(RealServices, AbortIsRaisedAfterThePassThatRequestedIt) {
  services_.setPassInterval(std::chrono::nanoseconds(0));
  bool abort = false;
  int captionsShown = 0;
  services_.setHooks([&] { ++captionsShown; }, [&] { return abort; });
  QTimer::singleShot(0, [&] { abort = true; });  // e.g. the window closes in this pass
  EXPECT_THROW(services_.processEvents(), CommandAborted);
  EXPECT_EQ(captionsShown, 1);
  EXPECT_THROW(services_.processEvents(), CommandAborted) << "and before any later pass";
  EXPECT_EQ(services_.realPasses(), 1u);
  EXPECT_THROW(services_.messageBox("x"), CommandAborted) << "no dialog once aborted";
}

TEST_F(RealServices, CancelIsRaisedAfterThePassThatRequestedIt) {
  services_.setPassInterval(std::chrono::nanoseconds(0));
  bool cancel = false;
  services_.setHooks({}, {}, [&] { return cancel; });
  QTimer::singleShot(0, [&] { cancel = true; });  // e.g. Esc in this pass
  EXPECT_THROW(services_.processEvents(), CommandCancelled);
  EXPECT_EQ(services_.realPasses(), 1u) << "the pass ran before the command was ended";
}

TEST_F(RealServices, OffersReachProcessEventsOncePerStride) {
  EXPECT_GE(services_.eventPassStride(), 1024u);
  services_.setPassInterval(std::chrono::nanoseconds(0));
  const std::uint64_t stride = services_.eventPassStride();
  services_.offerEventPass();  // the very first offer passes
  for (std::uint64_t i = 0; i < 3 * stride; ++i) services_.offerEventPass();
  EXPECT_EQ(services_.realPasses(), 4u);
}

}  // namespace
}  // namespace teilomat::testing
