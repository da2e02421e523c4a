// Command2 against the recording fake: caption sequences, results, every ending and its beeps.
#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

#include "commands/CommandMessages.h"
#include "commands/Commands.h"
#include "engine/TrialReference.h"
#include "engine/WorkerThreads.h"
#include "support/ListingWatchdog.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using testing::RecordingFake;

const char* const kAbort = "Abbruch !!! Die getestete Zahl hat mehr als 29 Stellen !!!";
const char* const kBelowTen = " 2, 3, 5, 7 sind die Primzahlen unter 10. Bitte gebe mindestens 10 als Zahl ein";

struct Search {
  RecordingFake fake;
  explicit Search(const std::string& input, Separators locale = Separators::comma(), int check1 = 1) {
    fake.locale = locale;
    fake.check1 = check1;
    fake.texts[TextField::Text1] = input;
    fake.label1 = "Label1 vorher";
    fake.label2 = "Label2 vorher";
    listingtest::ListingWatchdog watchdog("next prime after " + input);
    runNextPrimeSearch(fake, fake);
  }
  const std::string& text2() { return fake.texts[TextField::Text2]; }
};

std::string checking(const std::string& m) { return "Teilomat - (" + m + " wird geprüft)"; }
std::string progress(const std::string& m, int percent, int count) {
  return "Teilomat - (" + m + " ist zu " + std::to_string(percent) + " % überprüft; " + std::to_string(count) +
         " Zahlen als mög. Teiler getestet)";
}
std::string found(const std::string& p) { return "Teilomat - (" + p + " ist die nächste Primzahl)"; }
std::string statistics(const std::string& n, const std::string& distance) {
  return "Ursprungszahl: " + n + " --- Abstandt zwischen Ursprungszahl und gefundene Primzahl: " + distance +
         " --- Dauer der Prüfung: ";
}
bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(NextPrimeSearch, ThirteenShowsEveryCandidateAndTheCarriedCount) {
  Search s("13");
  EXPECT_EQ(s.fake.captions(), (std::vector<std::string>{checking("14"), checking("15"), progress("15", 75, 3),
                                                         checking("16"), checking("17"), progress("17", 60, 3),
                                                         progress("17", 100, 3), progress("17", 140, 4), found("17")}));
  EXPECT_EQ(s.fake.label1, "Nächste Primzahl die nach der Zahl 13 kommt ist  17");
  EXPECT_TRUE(startsWith(s.fake.label2, statistics("13", "4"))) << s.fake.label2;
  EXPECT_EQ(s.text2(), "17");
}

TEST(NextPrimeSearch, ThirtyTwoKeepsTheShownPercentAcrossCandidates) {
  Search s("32");
  // 35's first percent equals the 50 shown for 33, so it writes nothing;
  // 37's first caption shows the count that 35's two divisions left.
  EXPECT_EQ(s.fake.captions(), (std::vector<std::string>{checking("33"), progress("33", 50, 3), checking("34"),
                                                         checking("35"), progress("35", 83, 3), checking("36"),
                                                         checking("37"), progress("37", 42, 4), progress("37", 71, 3),
                                                         progress("37", 100, 4), progress("37", 157, 5), found("37")}));
  EXPECT_EQ(s.text2(), "37");
}

TEST(NextPrimeSearch, TenFindsElevenAtDistanceOne) {
  Search s("10");
  EXPECT_EQ(s.fake.captions(),
            (std::vector<std::string>{checking("11"), progress("11", 75, 3), progress("11", 125, 3), found("11")}));
  EXPECT_TRUE(startsWith(s.fake.label2, statistics("10", "1")));
}

TEST(NextPrimeSearch, ResultLiesAboveTheStartAndShowsTheConvertedValue) {
  struct Row {
    const char* input;
    const char* shown;
    const char* prime;
    const char* distance;
  };
  const Row rows[] = {
      {"11", "11", "13", "2"},    {"13", "13", "17", "4"},
      {"100", "100", "101", "1"}, {" 0017 ", "17", "19", "2"},
      {"10,0", "10", "11", "1"},  {"1.000", "1000", "1009", "9"},
      {"1E2", "100", "101", "1"}, {"4294967291", "4294967291", "4294967311", "20"},
  };
  for (const Row& row : rows) {
    Search s(row.input);
    EXPECT_EQ(s.fake.label1,
              std::string("Nächste Primzahl die nach der Zahl ") + row.shown + " kommt ist  " + row.prime)
        << row.input;
    EXPECT_TRUE(startsWith(s.fake.label2, statistics(row.shown, row.distance))) << row.input;
    EXPECT_EQ(s.text2(), row.prime) << row.input;
    EXPECT_EQ(s.fake.caption, found(row.prime)) << row.input;
  }
}

TEST(NextPrimeSearch, InitialInputNeedsTheStatedDivisions) {
  Search s("999999999999989");
  EXPECT_EQ(s.text2(), "1000000000000037");
  EXPECT_TRUE(startsWith(s.fake.label2, statistics("999999999999989", "48")));
  // One event pass per trial division (stride 1): 15537088 divisions in all.
  EXPECT_EQ(s.fake.passes, 15537088u);
  const auto captions = s.fake.captions();
  ASSERT_GE(captions.size(), 2u);
  EXPECT_TRUE(startsWith(captions[captions.size() - 2], "Teilomat - (1000000000000037 ist zu 100 % überprüft; "))
      << captions[captions.size() - 2];
}

TEST(NextPrimeSearch, SuccessBeepsAfterTheCaptionAndAtTheEnd) {
  Search s("13");
  const auto& log = s.fake.log;
  ASSERT_GE(log.size(), 6u);
  std::vector<std::string> tail;
  for (auto e = log.end() - 6; e != log.end(); ++e) tail.push_back(e->what + ": " + e->text);
  ASSERT_EQ(tail.size(), 6u);
  EXPECT_EQ(tail[0], "label1: Nächste Primzahl die nach der Zahl 13 kommt ist  17");
  EXPECT_EQ(tail[1], "text2: 17");
  EXPECT_EQ(tail[2], "caption: " + found("17"));
  EXPECT_EQ(tail[3], "beep: ");
  EXPECT_TRUE(startsWith(tail[4], "label2: " + statistics("13", "4"))) << tail[4];
  EXPECT_EQ(tail[5], "beep: ");
  EXPECT_EQ(s.fake.count("beep"), 2u);
}

// Divided ahead on the workers (short runs) or split over them (2^52: more
// than 2^24 candidates per number), the search writes what one thread writes.
TEST(NextPrimeSearch, EveryThreadCountWritesTheLogOfOneThread) {
  struct Row {
    const char* input;
    std::uint64_t stride;
  };
  const Row rows[] = {{"13", 1}, {"1000000", 1}, {"999999999999989", 4096}, {"4503599627370496", 4096}};
  for (const Row& row : rows) {
    const auto run = [&](int threads, bool clockLike) {
      const ScopedThreadCount count(threads);
      RecordingFake fake;
      fake.stride = row.stride;
      fake.clockLike = clockLike;
      fake.texts[TextField::Text1] = row.input;
      listingtest::ListingWatchdog watchdog(std::string("next prime after ") + row.input);
      runNextPrimeSearch(fake, fake);
      return fake;
    };
    const RecordingFake one = run(1, false);
    std::uint64_t prime = std::stoull(row.input) + 1;
    while (!testing::isPrime64(prime)) ++prime;
    EXPECT_EQ(one.texts.at(TextField::Text2), std::to_string(prime)) << row.input;
    for (int threads : {2, 8}) {
      for (bool clockLike : {false, true}) {
        const RecordingFake many = run(threads, clockLike);
        EXPECT_EQ(many.log, one.log) << row.input << ", threads " << threads << ", clock " << clockLike;
        if (!clockLike) {
          EXPECT_EQ(many.passes, one.passes) << row.input << ", threads " << threads;
        }
      }
    }
  }
}

TEST(NextPrimeSearch, StartWritesResultFieldAndCaptionsFirst) {
  Search s("13");
  std::vector<std::string> head;
  for (std::size_t i = 0; i < 5 && i < s.fake.log.size(); ++i)
    head.push_back(s.fake.log[i].what + ": " + s.fake.log[i].text);
  EXPECT_EQ(head, (std::vector<std::string>{"text2: ", "frame4: Nächste Primzahl",
                                            "command3: Pri&mzahl ins Eingabefeld kopieren", "text2: Alte Eingabe: 13",
                                            "caption: " + checking("14")}));
}

// Every ending but success: caption "Teilomat", one box, one beep after it,
// the result lines untouched.
struct Refusal {
  const char* name;
  const char* input;
  Separators locale;
  std::string message;
  std::string text2;
};

TEST(NextPrimeSearch, RefusalsEndWithCaptionBoxAndOneBeep) {
  const Refusal rows[] = {
      {"nine", "9", Separators::comma(), kBelowTen, "Alte Eingabe: 9"},
      {"zero", "0", Separators::comma(), kBelowTen, "Alte Eingabe: 0"},
      {"negative", "-5", Separators::comma(), kBelowTen, "Alte Eingabe: -5"},
      {"nine and a half", "9,5", Separators::comma(), kBelowTen, "Alte Eingabe: 9,5"},
      {"fraction comma", "10,5", Separators::comma(), messages::kFraction, "Alte Eingabe: 10,5"},
      {"fraction point", "10.5", Separators::point(), messages::kFraction, "Alte Eingabe: 10.5"},
      {"guard exponent", "1E+30", Separators::comma(), kAbort, ""},
      {"guard 29 nines", "99999999999999999999999999999", Separators::comma(), kAbort, ""},
      {"not a number", "zwölf", Separators::comma(), messages::kNotANumber, ""},
      {"empty", "", Separators::comma(), messages::kNotANumber, ""},
      {"too large", "79228162514264337593543950336", Separators::comma(), messages::kOutOfRange, ""},
      {"largest value", "79228162514264337593543950335", Separators::comma(), kAbort,
       "Alte Eingabe: 79228162514264337593543950335"},
  };
  for (const Refusal& row : rows) {
    Search s(row.input, row.locale);
    EXPECT_EQ(s.fake.captions(), std::vector<std::string>{"Teilomat"}) << row.name;
    const auto boxes = s.fake.eventsNamed("messageBox");
    ASSERT_EQ(boxes.size(), 1u) << row.name;
    EXPECT_EQ(boxes[0].text, row.message) << row.name;
    EXPECT_EQ(boxes[0].extra, "") << row.name;
    EXPECT_EQ(s.text2(), row.text2) << row.name;
    EXPECT_EQ(s.fake.label1, "Label1 vorher") << row.name;
    EXPECT_EQ(s.fake.label2, "Label2 vorher") << row.name;
    EXPECT_EQ(s.fake.count("beep"), 1u) << row.name;
    EXPECT_EQ(s.fake.log.back().what, "beep") << row.name;
    EXPECT_LT(s.fake.indexOf("messageBox"), s.fake.indexOf("beep")) << row.name;
    EXPECT_EQ(s.fake.frame4Caption, "Nächste Primzahl") << row.name;
  }
}

TEST(NextPrimeSearch, CandidatesRunningOutOfRangeAbortAfterTheLast) {
  // 332 to 335 all have small divisors; the next would pass 2^96 - 1.
  Search s("79228162514264337593543950331");
  const std::string top = "7922816251426433759354395033";
  const auto captions = s.fake.captions();
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.front(), checking(top + "2"));
  EXPECT_NE(std::find(captions.begin(), captions.end(), checking(top + "5")), captions.end());
  EXPECT_EQ(captions.back(), "Teilomat");
  EXPECT_EQ(s.fake.eventsNamed("messageBox").at(0).text, kAbort);
  EXPECT_EQ(s.text2(), "Alte Eingabe: 79228162514264337593543950331");
  EXPECT_EQ(s.fake.count("beep"), 1u);
  EXPECT_EQ(s.fake.label1, "Label1 vorher");
}

TEST(NextPrimeSearch, NoBeepUnlessCheck1IsOne) {
  for (int check1 : {0, 2}) {
    for (const char* input : {"13", "9", "1E30", "abc", "10,5"}) {
      Search s(input, Separators::comma(), check1);
      EXPECT_EQ(s.fake.count("beep"), 0u) << input << " Check1=" << check1;
    }
  }
}

TEST(NextPrimeSearch, DurationUsesTheLocaleSeparator) {
  const std::regex comma(".*Dauer der Prüfung: [0-9]+,[0-9]{3} ms = [0-9]+,[0-9]{3} sek");
  const std::regex point(".*Dauer der Prüfung: [0-9]+\\.[0-9]{3} ms = [0-9]+\\.[0-9]{3} sek");
  EXPECT_TRUE(std::regex_match(Search("13", Separators::comma()).fake.label2, comma));
  EXPECT_TRUE(std::regex_match(Search("13", Separators::point()).fake.label2, point));
}

TEST(NextPrimeSearch, SecondSearchInsideAnEventPassLeavesTheFirstItsOwnValues) {
  RecordingFake fake;
  fake.texts[TextField::Text1] = "32";
  // Pass 1 is 33's division by 3: the inner search reads the changed Text1.
  fake.typeAndPressAt(1, "13", [&] {
    runNextPrimeSearch(fake, fake);
    EXPECT_EQ(fake.texts[TextField::Text2], "17");
    EXPECT_EQ(fake.caption, found("17"));
  });
  listingtest::ListingWatchdog watchdog("nested search");
  runNextPrimeSearch(fake, fake);
  EXPECT_EQ(fake.texts[TextField::Text2], "37");
  EXPECT_EQ(fake.label1, "Nächste Primzahl die nach der Zahl 32 kommt ist  37");
  EXPECT_TRUE(startsWith(fake.label2, statistics("32", "5")));
  EXPECT_EQ(fake.count("beep"), 4u);
  // The outer search goes on with its own candidates and its own shown
  // percent: 35's first divisor gives 50, which the outer search showed last.
  const auto captions = fake.captions();
  const auto inner = std::find(captions.begin(), captions.end(), found("17"));
  ASSERT_NE(inner, captions.end());
  EXPECT_EQ(std::vector<std::string>(inner + 1, captions.end()),
            (std::vector<std::string>{checking("34"), checking("35"), progress("35", 83, 3), checking("36"),
                                      checking("37"), progress("37", 42, 4), progress("37", 71, 3),
                                      progress("37", 100, 4), progress("37", 157, 5), found("37")}));
}

TEST(NextPrimeSearch, CopyDuringTheSearchTakesTheOldInput) {
  RecordingFake fake;
  fake.texts[TextField::Text1] = "32";
  fake.atPass(1, [&] { copyResultToInput(fake, fake); });
  runNextPrimeSearch(fake, fake);
  EXPECT_EQ(fake.texts[TextField::Text1], "Alte Eingabe: 32");
  EXPECT_EQ(fake.texts[TextField::Text2], "37");
}

}  // namespace
}  // namespace teilomat
