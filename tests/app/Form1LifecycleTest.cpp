// Form1 while commands run: nested presses, the nesting bound, the caption at passes, Esc, closing mid-run.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <ostream>

#include "UiTestSupport.h"
#include "app/Form1.h"
#include "support/RecordingFake.h"
#include "support/ScratchDirectory.h"

namespace teilomat::testing {
namespace {

// 2^89 - 1 is prime: its trial division would run for days, so only an
// abort ends a test of it.
const char* const kEndlessPrime = "618970019642690137449562111";

class Form1Running : public UiTest {
 protected:
  Form1Running() {
    // A real pass at every stride of offers instead of every 5 ms: timers
    // posted by a test run within the first stride of a command.
    form_.services().setPassInterval(std::chrono::nanoseconds(0));
  }
  QPushButton* button(const char* name) { return child<QPushButton>(form_, name); }
  QLineEdit* text1() { return child<QLineEdit>(form_, "Text1"); }
  QString label1() { return child<QLabel>(form_, "Label1")->text(); }

  RecordingFake fake_;
  Form1 form_{&fake_};
};

TEST_F(Form1Running, ASecondPressRunsItsTestInsideTheFirst) {
  std::string innerLabel1, innerCaption;
  int depthAtPress = 0;
  QTimer::singleShot(0, &form_, [&] {
    depthAtPress = form_.runningCommands();
    text1()->setText("15");
    button("Command1")->click();
    innerLabel1 = label1().toStdString();
    innerCaption = form_.windowTitle().toStdString();
  });
  button("Command1")->click();  // 999999999999989, read before the inner press

  EXPECT_EQ(innerLabel1, "Zahl ist nicht prim (Teiler die multipliziert 15 ergeben, sind z.B. 3 und 5)");
  EXPECT_EQ(innerCaption, "Teilomat - (15 ist keine Primzahl)");
  EXPECT_EQ(depthAtPress, 1) << "the press came while the first test ran";
  // The outer test continued with its own number and wrote its own result;
  // its prime ending leaves Text2 to the inner test.
  EXPECT_EQ(label1().toStdString(), "Zahl 999999999999989 ist prim");
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (999999999999989 ist Prim)");
  EXPECT_EQ(form_.text(TextField::Text2), "5");
  EXPECT_EQ(fake_.count("beep"), 2u);
  EXPECT_EQ(form_.runningCommands(), 0);
}

TEST_F(Form1Running, CaptionIsShownAtEveryEventPass) {
  text1()->setText("999999999999989");
  std::vector<std::string> seen;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] { seen.push_back(form_.windowTitle().toStdString()); });
  sampler.start(0);
  button("Command1")->click();
  sampler.stop();
  ASSERT_FALSE(seen.empty());
  // Whatever a pass shows is the caption last written before it.
  const auto written = fake_.captions();  // the fake sees none: captions go to the window
  EXPECT_TRUE(written.empty());
  for (const std::string& caption : seen)
    EXPECT_TRUE(caption == "Teilomat - (999999999999989 wird geprüft)" ||
                caption.rfind("Teilomat - (999999999999989 ist zu ", 0) == 0)
        << caption;
  EXPECT_EQ(seen.back().rfind("Teilomat - (999999999999989 ist zu ", 0), 0u) << "progress reached the window";
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (999999999999989 ist Prim)");
}

// Presses Command1 from a fresh single-shot timer each time (Qt fires no
// timer again while its own slot still runs), `times` times in all, each
// press inside the event pass of the command before.
class Presser {
 public:
  Presser(Form1& form, int times, std::function<void()> beforePress)
      : form_(form), left_(times), beforePress_(std::move(beforePress)) {}
  void arm() {
    QTimer::singleShot(0, &form_, [this] { pressOnce(); });
  }

 private:
  void pressOnce() {
    if (left_-- <= 0) return;
    arm();  // the next press lands in the next pass, nested or not
    beforePress_();
    form_.findChild<QPushButton*>("Command1")->click();
  }
  Form1& form_;
  int left_;
  std::function<void()> beforePress_;
};

TEST_F(Form1Running, PressesBeyondTheNestingBoundAreIgnored) {
  const int presses = Form1::kMaxNesting + 8;
  int maxDepth = 0, atBound = 0;
  Presser presser(form_, presses, [&] {
    maxDepth = std::max(maxDepth, form_.runningCommands());
    atBound += form_.runningCommands() == Form1::kMaxNesting;
  });
  presser.arm();
  button("Command1")->click();

  EXPECT_EQ(maxDepth, Form1::kMaxNesting);
  EXPECT_EQ(atBound, presses - (Form1::kMaxNesting - 1)) << "presses at the bound";
  // Only the commands that ran sounded their beep: the first one and the
  // 31 nested ones; the presses at the bound were ignored.
  EXPECT_EQ(fake_.count("beep"), static_cast<std::size_t>(Form1::kMaxNesting));
  EXPECT_EQ(label1().toStdString(), "Zahl 999999999999989 ist prim");
  EXPECT_EQ(form_.runningCommands(), 0);
}

TEST_F(Form1Running, CopyStillRunsAtTheBound) {
  int depthAtCopy = -1;
  Presser presser(form_, Form1::kMaxNesting, [&] {
    if (form_.runningCommands() < Form1::kMaxNesting - 1) return;
    // The last press reaches the bound; copy from inside the deepest test.
    QTimer::singleShot(0, &form_, [&] {
      depthAtCopy = form_.runningCommands();
      form_.setText(TextField::Text2, "Teiler: 3");
      button("Command3")->click();
    });
  });
  presser.arm();
  button("Command1")->click();
  EXPECT_EQ(depthAtCopy, Form1::kMaxNesting);
  EXPECT_EQ(text1()->text(), "Teiler: 3");
}

// Runs `body` inside the application's event loop and reports whether the
// loop ended by itself (the program's end) within the watchdog's time.
void runEventLoop(const std::function<void()>& body) {
  QTimer::singleShot(0, body);
  QApplication::exec();
}

TEST_F(Form1Running, ClosingDuringNestedRunsEndsThemAndTheProgram) {
  form_.show();
  text1()->setText(kEndlessPrime);
  int innerStarted = 0;
  runEventLoop([&] {
    QTimer::singleShot(0, &form_, [&] {
      innerStarted = form_.runningCommands();
      QTimer::singleShot(0, &form_, [&] { form_.close(); });
      button("Command1")->click();  // nested, endless too
    });
    button("Command1")->click();
  });
  // exec() returned: the program would end here.
  EXPECT_EQ(innerStarted, 1);
  EXPECT_FALSE(form_.isVisible());
  EXPECT_EQ(form_.runningCommands(), 0);
  EXPECT_EQ(label1().toStdString().rfind("Funktioniert nur", 0), 0u) << "no result was written";
  EXPECT_EQ(fake_.count("messageBox"), 0u);
  EXPECT_EQ(fake_.count("beep"), 0u);
}

TEST_F(Form1Running, ClosingWithInfoShownKeepsTheProgramUntilInfoCloses) {
  form_.show();
  button("Command7")->click();
  QPointer<Form2> info = form_.infoWindow();
  ASSERT_TRUE(info && info->isVisible());
  text1()->setText(kEndlessPrime);
  bool loopStillRunAfterClose = false;
  bool infoShownAfterClose = false;
  runEventLoop([&] {
    QTimer::singleShot(0, &form_, [&] { form_.close(); });
    button("Command1")->click();
    // The command has ended; the loop goes on for the Info window.
    QTimer::singleShot(50, [&] {
      loopStillRunAfterClose = true;
      infoShownAfterClose = info && info->isVisible();
      if (info) info->close();
    });
  });
  EXPECT_TRUE(loopStillRunAfterClose);
  EXPECT_TRUE(infoShownAfterClose);
  EXPECT_EQ(form_.runningCommands(), 0);
  settle();
  EXPECT_TRUE(info.isNull()) << "the close box discards the Info window";
}

TEST_F(Form1Running, ClosingDiscardsAHiddenInfoWindow) {
  form_.show();
  button("Command7")->click();
  QPointer<Form2> info = form_.infoWindow();
  ASSERT_TRUE(info);
  child<QPushButton>(*info, "Command1")->click();  // Schließen: hidden
  ASSERT_TRUE(info);
  runEventLoop([&] {
    QTimer::singleShot(0, &form_, [&] { form_.close(); });
    text1()->setText(kEndlessPrime);
    button("Command1")->click();
  });
  settle();
  EXPECT_TRUE(info.isNull());
  EXPECT_EQ(form_.runningCommands(), 0);
}

TEST_F(Form1Running, InfoSchliessenEndsTheProgramOnceTheMainWindowIsClosed) {
  form_.show();
  button("Command7")->click();
  QPointer<Form2> info = form_.infoWindow();
  runEventLoop([&] {
    form_.close();
    QTimer::singleShot(0, [&] { child<QPushButton>(*info, "Command1")->click(); });
  });
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->isVisible());
}

// Esc, as the user presses it: to the widget that has the focus in the
// active window.
void pressEscape() {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, Qt::Key_Escape);
}

const char* const kCancelled = "Teilomat - (abgebrochen)";
const char* const kLargestWhole = "79228162514264337593543950335";

class Form1Escape : public Form1Running {
 protected:
  Form1Escape() {
    form_.show();
    form_.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form_));
    text1()->setText(kEndlessPrime);
    child<QLineEdit>(form_, "Text3")->setText("10");
    child<QLineEdit>(form_, "Text4")->setText(kLargestWhole);
  }
  std::string shown(const char* label) { return child<QLabel>(form_, label)->text().toStdString(); }
  // What a stopped command must leave as it was.
  std::vector<std::string> outputs() {
    return {shown("Label1"), shown("Label2"), form_.text(TextField::Text2), std::to_string(form_.listCount())};
  }
};

// A command, the control that has the focus when Esc comes, how many
// event passes the command runs before, and how Label1 tells of the end.
struct EscapeRow {
  const char* name;
  const char* button;
  const char* focus;
  int passesBefore;
  const char* label1Start;
};

void PrintTo(const EscapeRow& row, std::ostream* os) { *os << row.name; }

const EscapeRow kEscapeRows[] = {
    {"PrimalityTestFocusInText1", "Command1", "Text1", 1, "Prüfung von 618970019642690137449562111 bei "},
    {"PrimalityTestFocusOnCommand2", "Command1", "Command2", 3, "Prüfung von 618970019642690137449562111 bei "},
    {"PrimmarktestFocusInText4", "Command4", "Text4", 2, "Primmarktest bei "},
    {"SearchFocusInText1", "Command2", "Text1", 2,
     "Suche nach der nächsten Primzahl nach 618970019642690137449562111 bei "},
    {"ListingFocusOnCheck1", "Command5", "Check1", 5, "Auflistung bei "},
};

class Form1EscapeEnds : public Form1Escape, public ::testing::WithParamInterface<EscapeRow> {};

TEST_P(Form1EscapeEnds, TheRunningCommandWhoseLabelsSaySo) {
  const EscapeRow& row = GetParam();
  fake_.answerInputBox("800");
  child<QWidget>(form_, row.focus)->setFocus();
  std::vector<std::string> atEscape;
  int passes = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (++passes != row.passesBefore) return;
    atEscape = outputs();
    EXPECT_EQ(child<QListView>(form_, "List1")->model()->rowCount(), static_cast<int>(form_.listCount()))
        << "every entry appended before a pass is shown in it";
    pressEscape();
  });
  ticker.start(0);
  button(row.button)->click();
  ticker.stop();

  EXPECT_GE(passes, row.passesBefore);
  EXPECT_EQ(form_.windowTitle().toStdString(), kCancelled);
  const std::vector<std::string> now = outputs();
  EXPECT_EQ(std::vector(now.begin() + 2, now.end()), std::vector(atEscape.begin() + 2, atEscape.end()))
      << "no result in Text2, List1 kept";
  EXPECT_EQ(now[0].rfind(row.label1Start, 0), 0u) << now[0];
  for (const std::string& label : {now[0], now[1]}) {
    EXPECT_NE(label.find("abgebrochen"), std::string::npos) << label;
    EXPECT_EQ(label.find(kLargestWhole), std::string::npos) << "no claim on the whole range: " << label;
  }
  EXPECT_EQ(fake_.count("messageBox"), 0u);
  EXPECT_EQ(fake_.count("beep"), 0u);
  EXPECT_EQ(form_.runningCommands(), 0);
}

INSTANTIATE_TEST_SUITE_P(Escape, Form1EscapeEnds, ::testing::ValuesIn(kEscapeRows),
                         [](const ::testing::TestParamInfo<EscapeRow>& info) { return std::string(info.param.name); });

TEST_F(Form1Escape, WithNothingRunningChangesNothing) {
  text1()->setText("15");
  text1()->setFocus();
  pressEscape();
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat ");
  EXPECT_EQ(text1()->text().toStdString(), "15");
  button("Command1")->click();  // no Esc is left over for the next command
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (15 ist keine Primzahl)");
}

// An Esc for the outer test, then in the same pass a press that starts an
// inner one, which a second Esc ends: both end, the outer one once its pass
// is over (it would run for days otherwise).
TEST_F(Form1Escape, EndsACommandEvenWhenAPressInTheSamePassStartedAnother) {
  int depthAfterInner = -1;
  QTimer::singleShot(0, &form_, [&] {
    pressEscape();
    QTimer::singleShot(0, &form_, [&] { pressEscape(); });  // at the inner test's first pass
    button("Command1")->click();
    depthAfterInner = form_.runningCommands();
  });
  button("Command1")->click();
  EXPECT_EQ(depthAfterInner, 1);
  EXPECT_EQ(form_.windowTitle().toStdString(), kCancelled);
  EXPECT_EQ(label1().toStdString().rfind("Prüfung von " + std::string(kEndlessPrime) + " bei ", 0), 0u)
      << "no result, only how far it got";
  EXPECT_EQ(fake_.count("beep"), 0u);
  EXPECT_EQ(form_.runningCommands(), 0);
}

// The box of a refusal tells of the command that refuses: it shows under
// that command's caption, even within the hold of a nested Esc.
TEST(Form1Box, AfterANestedEscShowsUnderTheRefusingCommandsCaption) {
  struct TitleAtBox : RecordingFake {
    void messageBox(const std::string& text, const std::string& title) override {
      titles.push_back(window->windowTitle().toStdString());
      RecordingFake::messageBox(text, title);
    }
    QWidget* window = nullptr;
    std::vector<std::string> titles;
  } fake;
  Watchdog watchdog(std::chrono::seconds(60), "nested Esc before a box");
  Form1 form(&fake);
  fake.window = &form;
  form.services().setPassInterval(std::chrono::nanoseconds(0));
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  child<QLineEdit>(form, "Text1")->setText(kEndlessPrime);
  fake.answerInputBox("1e308");  // any Realpunkte overflow the score: refused after the workload
  QTimer::singleShot(0, &form, [&] {
    QTimer::singleShot(0, &form, [&] { pressEscape(); });
    child<QPushButton>(form, "Command1")->click();
  });
  child<QPushButton>(form, "Command4")->click();
  EXPECT_EQ(fake.titles, std::vector<std::string>{"Teilomat"});
}

// Three presses that arrive in one pass end three levels: the endless
// outer tests would otherwise run for days.
TEST_F(Form1Escape, EachOfThreeQuickPressesEndsOneOfThreeNestedTests) {
  QTimer::singleShot(0, &form_, [&] {
    QTimer::singleShot(0, &form_, [&] {
      QTimer::singleShot(0, &form_, [&] {
        for (int press = 0; press < 3; ++press) pressEscape();
      });
      button("Command1")->click();
    });
    button("Command1")->click();
  });
  button("Command1")->click();
  EXPECT_EQ(form_.runningCommands(), 0);
  EXPECT_EQ(form_.windowTitle().toStdString(), kCancelled);
}

bool isPrimeByTrial(std::uint64_t n) {
  if (n < 2) return false;
  for (std::uint64_t d = 2; d * d <= n; ++d)
    if (n % d == 0) return false;
  return true;
}

// The list holds exactly the primes from 11 up to its last entry.
void expectPrimesFromElevenOn(const Form1& form) {
  ASSERT_GT(form.listCount(), 0u);
  std::size_t next = 0;
  const auto last = static_cast<std::uint64_t>(form.listEntry(form.listCount() - 1));
  for (std::uint64_t n = 10; n <= last; ++n)
    if (isPrimeByTrial(n)) {
      ASSERT_EQ(form.listEntry(next++), n);
    }
  EXPECT_EQ(next, form.listCount());
}

TEST_F(Form1Escape, InANestedTestEndsItAndTheListingGoesOnToItsEnd) {
  child<QLineEdit>(form_, "Text4")->setText("20000");
  std::string captionAfterInner;
  int depthAfterInner = 0;
  QTimer::singleShot(0, &form_, [&] {
    QTimer::singleShot(0, &form_, [&] { pressEscape(); });
    button("Command1")->click();  // the endless test, inside the listing
    captionAfterInner = form_.windowTitle().toStdString();
    depthAfterInner = form_.runningCommands();
  });
  button("Command5")->click();

  EXPECT_EQ(captionAfterInner, kCancelled);
  EXPECT_EQ(depthAfterInner, 1);
  expectPrimesFromElevenOn(form_);
  EXPECT_EQ(form_.listEntry(form_.listCount() - 1), 19997u);
  const std::string count = std::to_string(form_.listCount());
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (" + count + " Primzahlen zwischen 10 und 20000)");
  EXPECT_EQ(shown("Label1"), "Es gibt " + count + " Primzahlen zwischen 10 und 20000");
  EXPECT_EQ(fake_.count("beep"), 1u) << "the listing's beep only";
}

TEST_F(Form1Escape, ASecondEscEndsTheOuterListingWhichKeepsAndSavesItsPrimes) {
  // The second Esc waits until the listing has found some primes: on
  // several threads its first passes come while it divides ahead.
  QTimer outerEscape;
  QObject::connect(&outerEscape, &QTimer::timeout, &form_, [&] {
    if (form_.listCount() < 5) return;
    outerEscape.stop();
    pressEscape();
  });
  QTimer::singleShot(0, &form_, [&] {
    QTimer::singleShot(0, &form_, [&] { pressEscape(); });
    button("Command1")->click();
    outerEscape.start(0);
  });
  button("Command5")->click();

  EXPECT_EQ(form_.windowTitle().toStdString(), kCancelled);
  EXPECT_EQ(form_.runningCommands(), 0);
  EXPECT_EQ(fake_.count("beep"), 0u);
  expectPrimesFromElevenOn(form_);
  EXPECT_EQ(child<QListView>(form_, "List1")->model()->rowCount(), static_cast<int>(form_.listCount()))
      << "every entry found is shown";

  listingtest::ScratchDirectory scratch;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(scratch.path());
  button("Command6")->click();
  std::filesystem::current_path(before);
  std::string expected;
  for (std::size_t i = 0; i < form_.listCount(); ++i)
    expected += (i > 0 ? "\r\n" : "") + std::to_string(static_cast<std::uint64_t>(form_.listEntry(i)));
  EXPECT_EQ(listingtest::ScratchDirectory::read(scratch / "Primzahlen.txt"), expected);
  EXPECT_EQ(fake_.count("messageBox"), 0u);
}

}  // namespace
}  // namespace teilomat::testing
