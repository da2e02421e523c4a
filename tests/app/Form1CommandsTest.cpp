// Form1 running the commands: results in the real controls, Command3, the input limit, errors.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "UiTestSupport.h"
#include "app/Form1.h"
#include "support/Parse128.h"
#include "support/RecordingFake.h"

namespace teilomat::testing {
namespace {

class Form1Commands : public UiTest {
 protected:
  void press(const char* button) { child<QPushButton>(form_, button)->click(); }
  QString label(const char* name) { return child<QLabel>(form_, name)->text(); }
  QLineEdit* field(const char* name) { return child<QLineEdit>(form_, name); }

  RecordingFake fake_;
  Form1 form_{&fake_};
};

struct PrimalityRow {
  const char* name;
  const char* input;
  bool commaLocale;
  const char* label1;
  const char* label2Start;
  const char* text2;
  const char* caption;
};

// Test names and failure messages show the row by its name.
void PrintTo(const PrimalityRow& row, std::ostream* os) { *os << row.name; }

const PrimalityRow kPrimalityRows[] = {
    {"Composite15Comma", "15", true, "Zahl ist nicht prim (Teiler die multipliziert 15 ergeben, sind z.B. 3 und 5)",
     "Es wurde 1 verschiedene Zahl als Teiler probiert !! --- Dauer der Prüfung: ", "5",
     "Teilomat - (15 ist keine Primzahl)"},
    {"Prime11Point", "11", false, "Zahl 11 ist prim",
     "Es wurden 2 verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: ", "", "Teilomat - (11 ist Prim)"},
    {"Even4Comma", "4", true, "Zahl 4 ist gerade und größer 2 und kann deshalb keine Primzahl sein",
     "Es wurde die 2 als Teiler probiert !! --- Dauer der Prüfung: ", "2", "Teilomat - (4 ist keine Primzahl)"},
    {"StartNumberPoint", "999999999999989", false, "Zahl 999999999999989 ist prim",
     "Es wurden 10540927 verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: ", "",
     "Teilomat - (999999999999989 ist Prim)"},
};

class Form1Primality : public Form1Commands, public ::testing::WithParamInterface<PrimalityRow> {};

TEST_P(Form1Primality, WritesItsResultIntoTheRealControls) {
  const PrimalityRow& row = GetParam();
  fake_.locale = row.commaLocale ? Separators::comma() : Separators::point();
  field("Text1")->setText(QString::fromUtf8(row.input));
  press("Command1");

  EXPECT_EQ(label("Label1").toStdString(), row.label1);
  const std::string label2 = label("Label2").toStdString();
  EXPECT_EQ(label2.substr(0, std::string(row.label2Start).size()), row.label2Start);
  const QString sep = row.commaLocale ? "," : "\\.";
  EXPECT_TRUE(
      QRegularExpression("\\d+" + sep + "\\d{3} ms = \\d+" + sep + "\\d{3} sek$").match(label("Label2")).hasMatch())
      << label2;
  EXPECT_EQ(field("Text2")->text().toStdString(), row.text2);
  EXPECT_EQ(form_.windowTitle().toStdString(), row.caption);
  // A screen reader reads the same: the window by its caption, the result lines by their text.
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&form_)->text(QAccessible::Name).toStdString(), row.caption);
  for (const char* line : {"Label1", "Label2"}) EXPECT_EQ(child<QLabel>(form_, line)->accessibleName(), label(line));
  EXPECT_EQ(child<QLabel>(form_, "Label1")->accessibleDescription(), "Ausgabe");
  EXPECT_EQ(child<QGroupBox>(form_, "Frame4")->title().toStdString(), "Größter Teiler");
  EXPECT_EQ(child<QPushButton>(form_, "Command3")->text().toStdString(), "Teilerzahl ins Eingabefeld kopieren");
  EXPECT_EQ(fake_.count("beep"), 1u);
  EXPECT_EQ(form_.runningCommands(), 0);
}

INSTANTIATE_TEST_SUITE_P(Command1, Form1Primality, ::testing::ValuesIn(kPrimalityRows),
                         [](const ::testing::TestParamInfo<PrimalityRow>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Form1Commands, UncheckedBeepStaysSilent) {
  child<QCheckBox>(form_, "Check1")->setChecked(false);
  field("Text1")->setText("15");
  press("Command1");
  EXPECT_EQ(fake_.count("beep"), 0u);
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (15 ist keine Primzahl)");
}

TEST_F(Form1Commands, RefusedInputGoesToTheStandInMessageBox) {
  // Only the program's own write (Command3) can put 30 digits there.
  form_.setText(TextField::Text1, "100000000000000000000000000000");
  press("Command1");
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat");
  ASSERT_EQ(fake_.count("messageBox"), 1u);
  EXPECT_EQ(fake_.eventsNamed("messageBox")[0].text, "Nur Zahlen mit maximal 29 Stellen eingeben !!");
  EXPECT_EQ(fake_.count("beep"), 0u);
  EXPECT_EQ(dialogGuard_.dialogsSeen(), 0);
}

TEST_F(Form1Commands, Command3BeforeAnyTestCopiesTheEmptyText) {
  press("Command3");
  EXPECT_EQ(field("Text1")->text(), "");
}

TEST_F(Form1Commands, Command3AfterACompositeCopiesTheLargerDivisor) {
  field("Text1")->setText("49");
  press("Command1");
  press("Command3");
  EXPECT_EQ(field("Text1")->text(), "7");
}

TEST_F(Form1Commands, Command3CopiesTeilerPrefixAndLongTextsWhole) {
  form_.setText(TextField::Text2, "Teiler: 3");
  press("Command3");
  EXPECT_EQ(field("Text1")->text(), "Teiler: 3");

  const QString digits29 = "79228162514264337593543950333";
  form_.setText(TextField::Text2, digits29.toStdString());
  press("Command3");
  EXPECT_EQ(field("Text1")->text(), digits29) << "a program-set text must not be cut at 28 characters";
}

// Each computing button reaches its own command.
TEST_F(Form1Commands, EveryButtonRunsItsCommand) {
  field("Text1")->setText("13");
  press("Command2");
  EXPECT_EQ(field("Text2")->text(), "17");

  field("Text3")->setText("10");
  field("Text4")->setText("30");
  press("Command5");
  EXPECT_EQ(form_.listCount(), 6u);  // 11 13 17 19 23 29
  EXPECT_EQ(form_.listEntry(0), 11u);

  const std::filesystem::path before = std::filesystem::current_path();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "teilomat-ui-save";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  std::filesystem::remove(dir / "Primzahlen.txt");
  press("Command6");
  std::filesystem::current_path(before);
  std::ifstream saved(dir / "Primzahlen.txt");
  std::string first;
  std::getline(saved, first);
  EXPECT_EQ(first.substr(0, 2), "11");

  press("Command4");  // the fake answers the clock prompt with nothing: a quiet end
  EXPECT_EQ(fake_.count("inputBox"), 1u);
  EXPECT_EQ(form_.runningCommands(), 0);
}

TEST_F(Form1Commands, EnterInAFieldPressesItsButton) {
  field("Text1")->setText("13");
  QTest::keyClick(field("Text1"), Qt::Key_Return);
  EXPECT_EQ(form_.windowTitle().toStdString(), "Teilomat - (13 ist Prim)");
  field("Text3")->setText("10");
  field("Text4")->setText("30");
  for (const char* range : {"Text3", "Text4"}) {
    form_.clearList();
    QTest::keyClick(field(range), Qt::Key_Enter);
    EXPECT_EQ(form_.listCount(), 6u) << range;
  }
}

// List1 gives back every number as appended and draws its digits, up to
// 2^96 - 1, whose high 32 bits are all ones.
struct ListRow {
  const char* name;
  const char* entry;
};

const ListRow kListRows[] = {
    {"Zero", "0"},
    {"SmallPrime", "11"},
    {"Largest64Bit", "18446744073709551615"},
    {"Past64Bit", "18446744073709551629"},
    {"TwoTimesTenTo19", "20000000000000000000"},
    {"ZerosInTheLow19Digits", "10000000000000000000000000001"},
    {"BelowTheTop2To64", "79228162495817593519834398719"},
    {"TheTop2To64", "79228162495817593519834398720"},
    {"Largest96Bit", "79228162514264337593543950335"},
};

TEST_F(Form1Commands, List1KeepsEveryNumberAsAppended) {
  auto* view = child<QListView>(form_, "List1");
  for (int round = 0; round < 2; ++round) {  // the second round reads them after a clear
    form_.clearList();
    for (const ListRow& row : kListRows) {
      form_.appendToList(parse128(row.entry));
      form_.appendToList(13);
    }
    ASSERT_EQ(form_.listCount(), 2 * std::size(kListRows));
    ASSERT_EQ(view->model()->rowCount(), static_cast<int>(form_.listCount()));
    for (std::size_t i = 0; i < std::size(kListRows); ++i) {
      SCOPED_TRACE(kListRows[i].name);
      EXPECT_EQ(form_.listEntry(2 * i), parse128(kListRows[i].entry));
      EXPECT_EQ(form_.listEntry(2 * i + 1), 13u);
      EXPECT_EQ(view->model()->index(static_cast<int>(2 * i), 0).data().toString().toStdString(), kListRows[i].entry);
    }
  }
  EXPECT_EQ(form_.listEntry(form_.listCount()), 0u) << "past the end";
}

TEST_F(Form1Commands, List1KeepsLongListingsAcrossItsStorageChunks) {
  const std::uint64_t first = 1000000000039ull;
  for (std::uint64_t i = 0; i < 9000; ++i) form_.appendToList(first + 2 * i);
  ASSERT_EQ(form_.listCount(), 9000u);
  for (std::uint64_t i = 0; i < 9000; ++i) {
    ASSERT_EQ(form_.listEntry(i), first + 2 * i) << "entry " << i;
  }
  form_.clearList();
  EXPECT_EQ(form_.listCount(), 0u);
  EXPECT_EQ(child<QListView>(form_, "List1")->model()->rowCount(), 0);
}

// A stand-in whose beep fails, as any unexpected error inside a command would.
class FailingBeep : public RecordingFake {
 public:
  void beep() override { throw std::runtime_error("Lautsprecher kaputt"); }
};

TEST(Form1Errors, AnErrorInACommandBecomesAGermanMessage) {
  Watchdog watchdog(std::chrono::seconds(60), "Form1Errors");
  FailingBeep fake;
  Form1 form(&fake);
  form.findChild<QLineEdit*>("Text1")->setText("15");
  form.findChild<QPushButton*>("Command1")->click();
  ASSERT_EQ(fake.count("messageBox"), 1u);
  EXPECT_EQ(fake.eventsNamed("messageBox")[0].text,
            "Der Befehl wurde wegen eines Fehlers abgebrochen:\nLautsprecher kaputt");
  EXPECT_EQ(form.runningCommands(), 0);
}

struct LimitRow {
  const char* field;
};

// Test names and failure messages show the row by its name.
void PrintTo(const LimitRow& row, std::ostream* os) { *os << row.field; }

class Form1InputLimit : public Form1Commands, public ::testing::WithParamInterface<LimitRow> {};

// Typed text arrives one key event per code point, as from a keyboard; a
// paste inserts at the cursor. Counts are in characters as the user sees
// them: a skin-toned emoji, a flag or a letter with accents is one.
#define D25 "1234567890123456789012345"
#define D26 D25 "6"
#define D27 D26 "7"
#define D28 D27 "8"
struct CharacterRow {
  const char* name;
  const char* start;
  int cursor;  // -1: at the end
  bool paste;
  const char* input;
  const char* expected;
};
const CharacterRow kCharacterRows[] = {
    {"typing stops at 28", "", -1, false, "1234567890123456789012345678901234567890", D28},
    {"a paste is cut to fit", "12345", 2, true, "abcdefghijklmnopqrstuvwxyz0123456789", "12abcdefghijklmnopqrstuvw345"},
    {"27 digits and an emoji", "", -1, false, D27 "\U0001F600", D27 "\U0001F600"},
    {"26 digits and an emoji leave room for one", "", -1, false,
     D26 "\U0001F600"
         "12",
     D26 "\U0001F600"
         "1"},
    {"an emoji after 28 is refused whole", D28, -1, false, "\U0001F600", D28},
    {"skin tone joins its emoji", D27, -1, false,
     "\U0001F44D\U0001F3FD"
     "9",
     D27 "\U0001F44D\U0001F3FD"},
    {"a flag is one character", D27, -1, false,
     "\U0001F1E9\U0001F1EA"
     "9",
     D27 "\U0001F1E9\U0001F1EA"},
    {"accents stay with their letter", D27, -1, false,
     "e\u0301\u0308"
     "9",
     D27 "e\u0301\u0308"},
    {"a paste never cuts a surrogate pair", D26, -1, true, "1\U0001F600\U0001F600", D26 "1\U0001F600"},
    {"a paste never cuts a cluster", D26, -1, true, "xe\u0301\u0308y", D26 "xe\u0301\u0308"},
    {"a pasted skin-toned emoji counts one", D25, -1, true,
     "a\U0001F44D\U0001F3FD"
     "b",
     D25 "a\U0001F44D\U0001F3FD"
         "b"},
};
#undef D28
#undef D27
#undef D26
#undef D25

TEST_P(Form1InputLimit, TypedAndPastedTextStopsAt28WholeCharacters) {
  QLineEdit* edit = field(GetParam().field);
  for (const CharacterRow& row : kCharacterRows) {
    edit->setText(QString::fromUtf8(row.start));
    edit->setCursorPosition(row.cursor < 0 ? static_cast<int>(edit->text().size()) : row.cursor);
    if (row.paste) {
      QApplication::clipboard()->setText(QString::fromUtf8(row.input));
      edit->paste();
    } else {
      for (const char32_t codePoint : QString::fromUtf8(row.input).toUcs4()) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1), Qt::NoModifier);
      }
    }
    EXPECT_EQ(edit->text().toStdString(), row.expected) << row.name;
  }
}

TEST_P(Form1InputLimit, ProgramTextIsKeptWholeAndCanOnlyShrinkByTyping) {
  const TextField which = GetParam().field == std::string("Text1")   ? TextField::Text1
                          : GetParam().field == std::string("Text3") ? TextField::Text3
                                                                     : TextField::Text4;
  QLineEdit* edit = field(GetParam().field);
  form_.setText(which, "12345678901234567890123456789");
  EXPECT_EQ(edit->text().size(), 29);
  edit->setCursorPosition(29);
  QTest::keyClicks(edit, "5");
  EXPECT_EQ(edit->text(), "12345678901234567890123456789");
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, "77");
  EXPECT_EQ(edit->text(),
            "123456789012345678901234567"
            "7")
      << "back at the limit after shortening";
}

INSTANTIATE_TEST_SUITE_P(Fields, Form1InputLimit,
                         ::testing::Values(LimitRow{"Text1"}, LimitRow{"Text3"}, LimitRow{"Text4"}),
                         [](const ::testing::TestParamInfo<LimitRow>& info) { return std::string(info.param.field); });

}  // namespace
}  // namespace teilomat::testing
