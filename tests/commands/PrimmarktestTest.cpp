// Tests of Command4, the Primmarktest: prompt, early end, progress, scores and overflow.
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/CommandMessages.h"
#include "commands/Commands.h"
#include "commands/Primmarktest.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using testing::Event;
using testing::RecordingFake;

constexpr std::uint64_t kTested = 10540927;  // candidates of one full run

std::size_t codePoints(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Fails a run that offers more event passes than a whole workload has.
void armWatchdog(RecordingFake& fake) {
  fake.passActions.clear();
  fake.atPass(fake.passes + kTested / fake.stride + 2,
              [] { throw std::runtime_error("watchdog: the workload does not end"); });
}

// A run that should end before the stopwatch starts: the counter keeps its
// four values when it does.
void runExpectingNoWorkload(RecordingFake& fake, const std::string& answer) {
  if (answer != "<Cancel>") fake.answerInputBox(answer);
  fake.feedCounter({11, 22, 33, 44});
  armWatchdog(fake);
  runPrimmarktest(fake, fake);
}

// Counter reads of one run: Calibrieren twice, Start, Halt. The elapsed
// counts less the calibration counts give RunTime (1e9 counts a second).
void feedRun(RecordingFake& fake, std::uint64_t elapsedCounts, std::uint64_t calibrationCounts = 0) {
  const std::uint64_t base = 7'000'000'000;
  fake.feedCounter(
      {base, base + calibrationCounts, base + 2 * calibrationCounts, base + 2 * calibrationCounts + elapsedCounts});
}

// "what|text|extra" per event, so that failures print readable texts.
std::vector<std::string> describe(const std::vector<Event>& events) {
  std::vector<std::string> out;
  for (const Event& e : events) out.push_back(e.what + "|" + e.text + "|" + e.extra);
  return out;
}

const std::string kPrompt =
    std::string("Realpunkte: Tatsächliche Leistung des PCs") + std::string(86, ' ') +
    "Vergleichspunkte: Leistung des PCs in Vergleich zu anderen PCs (z.B. wenn ein 800 MHz Rechner "
    "16 Sek für den Primmarktest braucht, und ein 400 MHz Rechner 32 Sek, haben beide im Vergleich "
    "betrachtet die gleiche Leistung ! [400*32 = 800*16]. Aber realistisch gesehen hat ein 800 MHz "
    "Rechner mehr Leistung. Darum Realpunkte zum ermitteln der tatsächlichen Leistung und "
    "Vergleichspunkte zum Vergleichen mit langsameren oder schnelleren PCs)" +
    std::string(153, ' ') + "Außerdem gilt bei den Realpunkten und Vergleichspunkten: Je weniger desto besser !!!" +
    std::string(106, ' ') + "Bitte gebe ein wieviele Mhz der Pc besitzt";

TEST(PrimmarktestPrompt, ExactTextLengthAndPosition) {
  RecordingFake fake;
  runPrimmarktest(fake, fake);
  const auto boxes = fake.eventsNamed("inputBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kPrompt);
  EXPECT_EQ(boxes[0].extra, "100,100");
  EXPECT_EQ(codePoints(boxes[0].text), 949u);
  EXPECT_EQ(boxes[0].text.find('\n'), std::string::npos);

  // The blank runs longer than one are exactly the three paragraph gaps.
  std::vector<std::size_t> runs;
  std::size_t run = 0;
  for (char c : boxes[0].text + "x") {
    if (c == ' ') {
      ++run;
    } else {
      if (run > 1) runs.push_back(run);
      run = 0;
    }
  }
  EXPECT_EQ(runs, (std::vector<std::size_t>{86, 153, 106}));
}

// Answers that read as 0 end the run after the prompt: nothing but the
// "Teilomat" caption, no stopwatch read, no beep.
class PrimmarktestEarlyEnd : public ::testing::TestWithParam<const char*> {};

TEST_P(PrimmarktestEarlyEnd, OnlyTheCaptionChanges) {
  RecordingFake fake;
  fake.label1 = "vorher 1";
  fake.label2 = "vorher 2";
  runExpectingNoWorkload(fake, GetParam());

  ASSERT_EQ(fake.log.size(), 2u);
  EXPECT_EQ(fake.log[0], (Event{"caption", "Teilomat", ""}));
  EXPECT_EQ(fake.log[1].what, "inputBox");
  EXPECT_EQ(fake.caption, "Teilomat");
  EXPECT_EQ(fake.label1, "vorher 1");
  EXPECT_EQ(fake.label2, "vorher 2");
  EXPECT_EQ(fake.counterValues.size(), 4u);  // the stopwatch was not read
  EXPECT_EQ(fake.passes, 0u);
}

std::string earlyEndName(const ::testing::TestParamInfo<const char*>& info) {
  static const char* const names[] = {"Cancel",      "Empty",         "Letters",      "Zero",
                                      "CommaHalf",   "NegativeZero",  "Blanks",       "BelowRange",
                                      "HexNoDigits", "OctalNoDigits", "PointExponent"};
  return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(Answers, PrimmarktestEarlyEnd,
                         ::testing::Values("<Cancel>", "", "abc", "0", "0,5", "-0", "  ", "1E-400", "&H", "&O9", ".e5"),
                         earlyEndName);

struct ScoreCase {
  const char* name;
  const char* answer;
  std::uint64_t elapsedCounts;
  std::uint64_t calibrationCounts;
  bool commaLocale;
  const char* mhz;  // the clock value as Label2 writes it
  const char* vergleichspunkte;
  const char* realpunkte;
};
void PrintTo(const ScoreCase& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class PrimmarktestScores : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(PrimmarktestScores, WritesLabelsBeepAndCaptionInOrder) {
  const ScoreCase& c = GetParam();
  RecordingFake fake;
  fake.stride = 4096;  // the scores do not depend on how often events run
  fake.locale = c.commaLocale ? Separators::comma() : Separators::point();
  fake.answerInputBox(c.answer);
  feedRun(fake, c.elapsedCounts, c.calibrationCounts);
  armWatchdog(fake);
  runPrimmarktest(fake, fake);

  const std::string scores = std::string("Du hast beim Primmark Test ") + c.vergleichspunkte +
                             " Vergleichspunkte und " + c.realpunkte + " Realtpunkte (Je kleiner desto besser). ";
  ASSERT_GE(fake.log.size(), 4u);
  const std::vector<Event> tail(fake.log.end() - 4, fake.log.end());
  EXPECT_EQ(describe(tail), describe({{"label2", std::string("Mhz: ") + c.mhz + " --- " + scores, ""},
                                      {"label1", scores, ""},
                                      {"beep", "", ""},
                                      {"caption",
                                       std::string("Teilomat - (Vergleichspunkte: ") + c.vergleichspunkte +
                                           " --- Realpunkte: " + c.realpunkte + ")",
                                       ""}}));
  EXPECT_EQ(fake.count("beep"), 1u);
  EXPECT_EQ(fake.count("messageBox"), 0u);
  EXPECT_EQ(fake.count("text2") + fake.count("frame4") + fake.count("command3"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, PrimmarktestScores,
    ::testing::Values(ScoreCase{"Mhz800Sek16", "800", 16'000'900'000, 0, true, "800", "12800", "16000"},
                      ScoreCase{"Mhz400Sek32", "400", 32'000'200'000, 0, true, "400", "12800", "32000"},
                      ScoreCase{"NegativeClock", "-800", 16'000'900'000, 0, true, "-800", "-12800", "16000"},
                      ScoreCase{"FractionCommaLocale", "1.5", 1'001'000'001, 0, true, "1,5", "1", "1001"},
                      ScoreCase{"FractionPointLocale", "1.5", 1'001'000'001, 0, false, "1.5", "1", "1001"},
                      ScoreCase{"CommaEndsAnswer", "1,5", 16'000'900'000, 0, true, "1", "16", "16000"},
                      ScoreCase{"BlanksInAnswer", " 8 0 0 ", 16'000'900'000, 0, true, "800", "12800", "16000"},
                      ScoreCase{"HexadecimalAnswer", "&H1F", 2'000'000'000, 0, true, "31", "62", "2000"},
                      ScoreCase{"OctalAnswer", "&O17", 2'000'000'000, 0, true, "15", "30", "2000"},
                      ScoreCase{"ExponentAnswer", "1E3", 2'500'700'000, 0, true, "1000", "2500", "2500"},
                      // The calibrated overhead (0.5 ms) is taken off the elapsed 16001.4 ms.
                      ScoreCase{"OffsetSubtracted", "800", 16'001'400'000, 500'000, true, "800", "12800", "16000"},
                      // -0.0016 truncates to a zero that is written without its sign.
                      ScoreCase{"ScoreTruncatesToZero", "-0.0001", 16'000'900'000, 0, true, "-0,0001", "0", "16000"},
                      ScoreCase{"LargeClockExponentForm", "1E20", 1'024'000'000, 0, false, "1E+20",
                                "102400000000000000000", "1024"}),
    [](const ::testing::TestParamInfo<ScoreCase>& info) { return std::string(info.param.name); });

TEST(PrimmarktestScoresBeep, UncheckedBoxGivesNoBeep) {
  RecordingFake fake;
  fake.stride = 4096;
  fake.check1 = 0;
  fake.answerInputBox("800");
  feedRun(fake, 16'000'900'000);
  armWatchdog(fake);
  runPrimmarktest(fake, fake);
  EXPECT_EQ(fake.count("beep"), 0u);
  EXPECT_EQ(fake.caption, "Teilomat - (Vergleichspunkte: 12800 --- Realpunkte: 16000)");
}

// The full workload with a pass per candidate: 100 progress captions from 1 %
// to 100 %, the 1 % one at candidate 316229, the 100 % one at 31622777.
TEST(PrimmarktestProgress, HundredCaptionsOnePassPerCandidate) {
  RecordingFake fake;
  fake.answerInputBox("800");
  feedRun(fake, 16'000'900'000);

  // Pass numbers of some candidates, counted by a plain walk over 3, 5, 7, 11, ...
  auto passOf = [](std::uint64_t candidate) {
    std::uint64_t k = 0;
    for (std::uint64_t d = 3; d <= candidate; d += 2)
      if (d == 3 || d % 3 != 0) ++k;
    return k;
  };
  const std::uint64_t onePercent = passOf(316229);
  const std::uint64_t hundredPercent = passOf(31622777);
  ASSERT_EQ(hundredPercent, kTested - 1);
  armWatchdog(fake);
  std::vector<std::string> seen;
  for (std::uint64_t k : {onePercent - 1, onePercent, hundredPercent - 1, hundredPercent, kTested})
    fake.atPass(k, [&fake, &seen] { seen.push_back(fake.caption); });
  runPrimmarktest(fake, fake);

  EXPECT_EQ(fake.passes, kTested);
  std::vector<std::string> expected{"Teilomat"};
  for (int p = 1; p <= 100; ++p) expected.push_back("Teilomat - (Primmarktest zu " + std::to_string(p) + " % fertig)");
  expected.push_back("Teilomat - (Vergleichspunkte: 12800 --- Realpunkte: 16000)");
  EXPECT_EQ(fake.captions(), expected);
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "Teilomat", "Teilomat - (Primmarktest zu 1 % fertig)", "Teilomat - (Primmarktest zu 99 % fertig)",
                      "Teilomat - (Primmarktest zu 100 % fertig)", "Teilomat - (Primmarktest zu 100 % fertig)"}));
}

TEST(PrimmarktestProgress, WorkloadTestsEveryCandidate) {
  RecordingFake fake;
  fake.stride = 1000;
  armWatchdog(fake);
  EXPECT_EQ(runPrimmarktestWorkload(fake, fake), kTested);
  EXPECT_EQ(fake.count("caption"), 100u);
  EXPECT_EQ(fake.passes, 1 + (kTested - 1) / 1000);
}

class PrimmarktestOverflow : public ::testing::TestWithParam<const char*> {};

// An answer beyond the range of doubles is refused before the workload.
TEST_P(PrimmarktestOverflow, AnswerBeyondRangeIsRefusedAtOnce) {
  RecordingFake fake;
  runExpectingNoWorkload(fake, GetParam());
  ASSERT_EQ(fake.log.size(), 4u);
  EXPECT_EQ(fake.log[0], (Event{"caption", "Teilomat", ""}));
  EXPECT_EQ(fake.log[1].what, "inputBox");
  EXPECT_EQ(fake.log[2], (Event{"caption", "Teilomat", ""}));
  EXPECT_EQ(fake.log[3], (Event{"messageBox", messages::kClockOutOfRange, ""}));
  EXPECT_EQ(fake.counterValues.size(), 4u);
  EXPECT_EQ(fake.passes, 0u);
}

INSTANTIATE_TEST_SUITE_P(Answers, PrimmarktestOverflow, ::testing::Values("1e400", "-1e400", "1E99999999999999999999"));

// A clock whose product with Realpunkte overflows: the workload has run, then
// the run ends without scores, and the command can run again afterwards.
TEST(PrimmarktestOverflowProduct, EndsWithoutResultAfterTheWorkload) {
  RecordingFake fake;
  fake.stride = 4096;
  fake.label1 = "vorher 1";
  fake.label2 = "vorher 2";
  fake.answerInputBox("1.7E308");
  feedRun(fake, 16'000'900'000);
  armWatchdog(fake);
  runPrimmarktest(fake, fake);

  EXPECT_EQ(fake.count("caption"), 1u + 100u + 1u);
  ASSERT_GE(fake.log.size(), 2u);
  EXPECT_EQ(fake.log[fake.log.size() - 2], (Event{"caption", "Teilomat", ""}));
  EXPECT_EQ(fake.log.back(), (Event{"messageBox", messages::kScoreOverflow, ""}));
  EXPECT_EQ(fake.label1, "vorher 1");
  EXPECT_EQ(fake.label2, "vorher 2");
  EXPECT_EQ(fake.count("beep"), 0u);

  fake.clearLog();
  fake.answerInputBox("800");
  feedRun(fake, 16'000'900'000);
  armWatchdog(fake);
  runPrimmarktest(fake, fake);
  EXPECT_EQ(fake.caption, "Teilomat - (Vergleichspunkte: 12800 --- Realpunkte: 16000)");
}

TEST(PrimmarktestOverflowProduct, LargestClockBelowOverflowStillScores) {
  RecordingFake fake;
  fake.stride = 4096;
  fake.locale = Separators::point();
  fake.answerInputBox("1E304");
  feedRun(fake, 16'000'900'000);
  armWatchdog(fake);
  runPrimmarktest(fake, fake);
  EXPECT_EQ(fake.count("messageBox"), 0u);
  // 1e304 * 16000 / 1000 is about 1.6e305, written with all its 306 digits.
  const std::string prefix = "Mhz: 1E+304 --- Du hast beim Primmark Test ";
  ASSERT_EQ(fake.label2.substr(0, prefix.size()), prefix);
  EXPECT_EQ(fake.label2.find(" Vergleichspunkte und 16000 "), prefix.size() + 306);
}

// A second benchmark started from an event pass runs to its end inside the
// first; the first goes on with its own clock, and its time counts from the
// inner run's start, since both share the one stopwatch.
TEST(PrimmarktestNested, InnerRunSharesTheStopwatch) {
  RecordingFake fake;
  fake.stride = 64;
  fake.answerInputBox("800");
  fake.answerInputBox("400");
  const std::uint64_t b = 1'000'000'000;
  fake.feedCounter({b, b, b,                                // outer Calibrieren, Start
                    b + 5, b + 5 + 500'000, b + 1'000'000,  // inner: offset 0.5 ms
                    b + 1'000'000 + 32'000'200'000,         // inner Halt: 32000.2 ms
                    b + 1'000'000 + 16'001'400'000});       // outer Halt
  fake.atPass(10, [&fake] { runPrimmarktest(fake, fake); });
  fake.atPass(2 * kTested / 64 + 10, [] { throw std::runtime_error("watchdog: the workload does not end"); });
  runPrimmarktest(fake, fake);

  const auto label1 = fake.eventsNamed("label1");
  ASSERT_EQ(label1.size(), 2u);
  EXPECT_EQ(label1[0].text,
            "Du hast beim Primmark Test 12799 Vergleichspunkte und 31999 Realtpunkte (Je kleiner desto besser). ");
  EXPECT_EQ(label1[1].text,
            "Du hast beim Primmark Test 12800 Vergleichspunkte und 16000 Realtpunkte (Je kleiner desto besser). ");
  EXPECT_EQ(fake.count("caption"), 2u * (1 + 100 + 1));
  EXPECT_EQ(fake.caption, "Teilomat - (Vergleichspunkte: 12800 --- Realpunkte: 16000)");
  EXPECT_EQ(fake.count("beep"), 2u);
}

}  // namespace
}  // namespace teilomat
