// Command1 against the recording fake: endings, texts, caption sequences, counts and beeps.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using testing::Event;
using testing::RecordingFake;

struct TestRun {
  RecordingFake fake;
  explicit TestRun(const std::string& input, Separators locale = Separators::comma()) {
    fake.locale = locale;
    fake.texts[TextField::Text1] = input;
    runPrimalityCheck(fake, fake);
  }
  const std::string& text2() { return fake.texts[TextField::Text2]; }
};

std::string progress(const std::string& n, int percent, int tried) {
  return "Teilomat - (" + n + " ist zu " + std::to_string(percent) + " % überprüft; " + std::to_string(tried) +
         " Zahlen als mög. Teiler getestet)";
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(PrimalityCheck, EvenNumberNamesHalfAsTheLargerDivisor) {
  TestRun r("4");
  EXPECT_EQ(r.fake.label1, "Zahl 4 ist gerade und größer 2 und kann deshalb keine Primzahl sein");
  EXPECT_TRUE(startsWith(r.fake.label2, "Es wurde die 2 als Teiler probiert !! --- Dauer der Prüfung: "));
  EXPECT_EQ(r.text2(), "2");
  EXPECT_EQ(r.fake.captions(),
            (std::vector<std::string>{"Teilomat - (4 wird geprüft)", "Teilomat - (4 ist keine Primzahl)"}));
  EXPECT_LT(r.fake.indexOf("caption", "Teilomat - (4 ist keine Primzahl)"), r.fake.indexOf("beep"));
}

TEST(PrimalityCheck, StartResetsResultFieldAndNamesTheDivisorCaptions) {
  TestRun r("15");
  ASSERT_GE(r.fake.log.size(), 3u);
  EXPECT_EQ(r.fake.log[0], (Event{"text2", "", ""}));
  EXPECT_EQ(r.fake.log[1], (Event{"frame4", "Größter Teiler", ""}));
  EXPECT_EQ(r.fake.log[2], (Event{"command3", "Teilerzahl ins Eingabefeld kopieren", ""}));
}

TEST(PrimalityCheck, SmallNumbersHaveFixedAnswersBeepBeforeCaption) {
  struct Row {
    const char* n;
    const char* label1;
    const char* caption;
  };
  const Row rows[] = {
      {"2", "Zahl 2 ist prim", "Teilomat - (2 ist Prim)"},
      {"3", "Zahl 3 ist prim", "Teilomat - (3 ist Prim)"},
      {"5", "Zahl 5 ist prim", "Teilomat - (5 ist Prim)"},
      {"7", "Zahl 7 ist prim", "Teilomat - (7 ist Prim)"},
      {"9", "Zahl ist nicht prim (zwei Teiler die multiplieziert 9 ergeben, sind z.B. 3 und 3)",
       "Teilomat - (9 ist keine Primzahl)"},
  };
  for (const Row& row : rows) {
    TestRun r(row.n);
    EXPECT_EQ(r.fake.label1, row.label1) << row.n;
    EXPECT_TRUE(
        startsWith(r.fake.label2, "Es wurde 1 verschiedene Zahl als Teiler probiert !! --- Dauer der Prüfung: "))
        << row.n;
    EXPECT_EQ(r.text2(), "") << row.n;
    EXPECT_EQ(r.fake.caption, row.caption) << row.n;
    EXPECT_LT(r.fake.indexOf("beep"), r.fake.indexOf("caption", std::string(row.caption))) << row.n;
  }
}

TEST(PrimalityCheck, ElevenShowsTriedCountingTheTwo) {
  TestRun r("11");
  EXPECT_EQ(r.fake.captions(), (std::vector<std::string>{
                                   "Teilomat - (11 wird geprüft)",
                                   progress("11", 75, 2),
                                   progress("11", 125, 3),
                                   "Teilomat - (11 ist Prim)",
                               }));
  EXPECT_EQ(r.fake.label1, "Zahl 11 ist prim");
  EXPECT_TRUE(
      startsWith(r.fake.label2, "Es wurden 2 verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: "));
  EXPECT_EQ(r.text2(), "");
}

TEST(PrimalityCheck, CompositesNameTheSmallestDivisorAndItsCoDivisor) {
  struct Row {
    const char* n;
    const char* label1;
    const char* label2Start;
    const char* text2;
    std::vector<std::string> progressCaptions;
  };
  const Row rows[] = {
      {"15",
       "Zahl ist nicht prim (Teiler die multipliziert 15 ergeben, sind z.B. 3 und 5)",
       "Es wurde 1 verschiedene Zahl als Teiler probiert !! --- Dauer der Prüfung: ",
       "5",
       {progress("15", 75, 2)}},
      {"25",
       "Zahl ist nicht prim (Teiler die multipliziert 25 ergeben, sind z.B. 5 und 5)",
       "Es wurden 2 verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: ",
       "5",
       {progress("25", 50, 2), progress("25", 83, 3)}},
      {"49",
       "Zahl ist nicht prim (Teiler die multipliziert 49 ergeben, sind z.B. 7 und 7)",
       "Es wurden 3 verschiedene Zahlen als Teiler probiert !!",
       "7",
       {progress("49", 37, 2), progress("49", 62, 3), progress("49", 87, 4)}},
  };
  for (const Row& row : rows) {
    TestRun r(row.n);
    EXPECT_EQ(r.fake.label1, row.label1);
    EXPECT_TRUE(startsWith(r.fake.label2, row.label2Start)) << r.fake.label2;
    EXPECT_EQ(r.text2(), row.text2);
    auto captions = r.fake.captions();
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(captions.front(), std::string("Teilomat - (") + row.n + " wird geprüft)");
    EXPECT_EQ(captions.back(), std::string("Teilomat - (") + row.n + " ist keine Primzahl)");
    EXPECT_EQ(std::vector<std::string>(captions.begin() + 1, captions.end() - 1), row.progressCaptions) << row.n;
    EXPECT_LT(r.fake.indexOf("caption", captions.back()), r.fake.indexOf("beep")) << row.n;
  }
}

TEST(PrimalityCheck, NinetySevenPassesTheBoundWithACaptionAbove100) {
  TestRun r("97");
  EXPECT_EQ(r.fake.captions(),
            (std::vector<std::string>{"Teilomat - (97 wird geprüft)", progress("97", 30, 2), progress("97", 50, 3),
                                      progress("97", 70, 4), progress("97", 110, 5), "Teilomat - (97 ist Prim)"}));
  EXPECT_TRUE(startsWith(r.fake.label2, "Es wurden 4 verschiedene Zahlen"));
}

TEST(PrimalityCheck, MillionAndThreeWritesACaptionOnlyWhenThePercentChanges) {
  TestRun r("1000003");
  const auto captions = r.fake.captions();
  EXPECT_EQ(captions[0], "Teilomat - (1000003 wird geprüft)");
  EXPECT_EQ(captions[1], progress("1000003", 1, 5));
  EXPECT_EQ(captions[captions.size() - 2], progress("1000003", 100, 335));
  EXPECT_EQ(captions.size(), 1u + 100u + 1u);
  EXPECT_TRUE(startsWith(r.fake.label2, "Es wurden 335 verschiedene Zahlen als Teiler probiert !!"));
  EXPECT_EQ(r.fake.passes, 335u) << "one event pass per tested candidate";
}

TEST(PrimalityCheck, InitialInputIsAPrimeOfTenMillionCandidates) {
  TestRun r("999999999999989");
  const auto captions = r.fake.captions();
  EXPECT_EQ(captions[captions.size() - 2], progress("999999999999989", 100, 10540927));
  EXPECT_EQ(captions.back(), "Teilomat - (999999999999989 ist Prim)");
  EXPECT_TRUE(startsWith(r.fake.label2, "Es wurden 10540927 verschiedene Zahlen als Teiler probiert !!"));
  EXPECT_EQ(r.fake.passes, 10540927u);
}

TEST(PrimalityCheck, LargestOddDecimalIsNotEvenAndHasTheDivisor23) {
  TestRun r("79228162514264337593543950333");
  EXPECT_EQ(r.fake.captions(),
            (std::vector<std::string>{"Teilomat - (79228162514264337593543950333 wird geprüft)",
                                      "Teilomat - (79228162514264337593543950333 ist keine Primzahl)"}));
  EXPECT_EQ(r.fake.label1,
            "Zahl ist nicht prim (Teiler die multipliziert 79228162514264337593543950333 ergeben, sind "
            "z.B. 23 und 3444702718011492938849736971)");
  EXPECT_TRUE(startsWith(r.fake.label2, "Es wurden 8 verschiedene Zahlen als Teiler probiert !!"));
  EXPECT_EQ(r.text2(), "3444702718011492938849736971");
}

TEST(PrimalityCheck, InputIsShownAsItsValue) {
  for (const char* input : {"  17  ", "0017", "+17", "1,7e1"}) {
    TestRun r(input);
    EXPECT_EQ(r.fake.label1, "Zahl 17 ist prim") << input;
  }
  TestRun grouped("1.000.003");
  EXPECT_EQ(grouped.fake.label1, "Zahl 1000003 ist prim");
  TestRun pointLocale("1,000,003", Separators::point());
  EXPECT_EQ(pointLocale.fake.label1, "Zahl 1000003 ist prim");
}

TEST(PrimalityCheck, DurationTextUsesTheLocaleAndTheStopwatch) {
  // Calibrieren reads 0 and 0, Start reads 0, Halt reads 1234567800 ns.
  for (auto [locale, expected] : {std::pair{Separators::comma(), std::string("1234,568 ms = 1,235 sek")},
                                  std::pair{Separators::point(), std::string("1234.568 ms = 1.235 sek")}}) {
    RecordingFake fake;
    fake.locale = locale;
    fake.texts[TextField::Text1] = "4";
    fake.feedCounter({0, 0, 0, 1234567800});
    runPrimalityCheck(fake, fake);
    EXPECT_EQ(fake.label2, "Es wurde die 2 als Teiler probiert !! --- Dauer der Prüfung: " + expected);
  }
}

TEST(PrimalityCheck, RefusedInputSetsCaptionShowsWhyAndDoesNotBeep) {
  struct Row {
    const char* name;
    const char* input;
    const char* message;
  };
  const char* const kTooLong = "Nur Zahlen mit maximal 29 Stellen eingeben !!";
  const char* const kNotANumber = "Die Eingabe ist keine Zahl. Bitte eine ganze Zahl eingeben !!";
  const char* const kBelowTwo = "Primzahlen gibt es erst ab 2. Bitte gebe mindestens 2 als Zahl ein !!";
  const Row rows[] = {
      {"29 nines", "99999999999999999999999999999", kTooLong},
      {"30 digits", "100000000000000000000000000000", kTooLong},
      {"exponent", "1E+30", kTooLong},
      {"letters", "abc", kNotANumber},
      {"empty", "", kNotANumber},
      {"2^96", "79228162514264337593543950336",
       "Die Zahl ist zu groß. Die größte Zahl, die geprüft werden kann, ist 79228162514264337593543950335 !!"},
      {"zero", "0", kBelowTwo},
      {"one", "1", kBelowTwo},
      {"negative", "-5", kBelowTwo},
      {"fraction", "10,5", "Nur ganze Zahlen eingeben !! Eine Zahl mit Nachkommastellen kann keine Primzahl sein."},
  };
  for (const Row& row : rows) {
    TestRun r(row.input);
    EXPECT_EQ(r.fake.captions(), std::vector<std::string>{"Teilomat"}) << row.name;
    ASSERT_EQ(r.fake.count("messageBox"), 1u) << row.name;
    EXPECT_EQ(r.fake.eventsNamed("messageBox")[0], (Event{"messageBox", row.message, ""})) << row.name;
    EXPECT_EQ(r.fake.count("beep"), 0u) << row.name;
    EXPECT_EQ(r.fake.count("label1") + r.fake.count("label2"), 0u) << row.name;
    EXPECT_EQ(r.text2(), "") << row.name;
  }
}

TEST(PrimalityCheck, LargestDecimalIsAcceptedAndDivisibleByThree) {
  TestRun r("79228162514264337593543950335");
  EXPECT_EQ(r.fake.label1,
            "Zahl ist nicht prim (Teiler die multipliziert 79228162514264337593543950335 ergeben, sind "
            "z.B. 3 und 26409387504754779197847983445)");
}

TEST(PrimalityCheck, UncheckedBoxMeansNoBeep) {
  RecordingFake fake;
  fake.check1 = 0;
  fake.texts[TextField::Text1] = "97";
  runPrimalityCheck(fake, fake);
  EXPECT_EQ(fake.count("beep"), 0u);
  fake.check1 = 1;
  runPrimalityCheck(fake, fake);
  EXPECT_EQ(fake.count("beep"), 1u);
}

TEST(PrimalityCheck, SecondTestStartedAtAnEventPassRunsToItsEndInside) {
  RecordingFake fake;
  fake.texts[TextField::Text1] = "1000003";
  fake.typeAndPressAt(50, "15", [&] { runPrimalityCheck(fake, fake); });
  runPrimalityCheck(fake, fake);
  // The inner test reported 15 in the middle; the outer one ends with its own result.
  EXPECT_GE(fake.indexOf("label1", "Zahl ist nicht prim (Teiler die multipliziert 15 ergeben, sind z.B. 3 und 5)"), 0);
  EXPECT_EQ(fake.label1, "Zahl 1000003 ist prim");
  EXPECT_TRUE(startsWith(fake.label2, "Es wurden 335 verschiedene Zahlen"));
  EXPECT_EQ(fake.caption, "Teilomat - (1000003 ist Prim)");
  EXPECT_EQ(fake.count("beep"), 2u);
  // After the inner test the outer caption returns at its next percent step.
  const auto captions = fake.captions();
  const auto inner = std::find(captions.begin(), captions.end(), "Teilomat - (15 ist keine Primzahl)");
  ASSERT_NE(inner, captions.end());
  EXPECT_TRUE(startsWith(*(inner + 1), "Teilomat - (1000003 ist zu "));
}

}  // namespace
}  // namespace teilomat
