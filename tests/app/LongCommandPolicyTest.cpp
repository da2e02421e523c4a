// The rules by which the desktop learns of long commands, on a fake clock against a recording bus.
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "app/LongCommandPolicy.h"
#include "app/WindowCaption.h"

namespace teilomat::testing {
namespace {

struct RecordingBus : DesktopBus {
  void inhibitSleep() override { log += " inhibit"; }
  void releaseSleep() override { log += " release"; }
  void showProgress(double fraction) override { log += (std::ostringstream() << " progress " << fraction).str(); }
  void hideProgress() override { log += " hide"; }
  void notifyEnd(const std::string& verdict, const std::string& line) override {
    log += " notify " + verdict + " | " + line;
  }
  std::string log;
};

// What the window reports: "start" a command (nested in the running ones);
// the innermost ends on its own ("end" with an active window, "unseen"
// without), by "esc", "fail" (an error) or "abort" (closed); "close" the
// window; a modal "dialog" opens, is "answer"ed; "p42" / "p-": its caption
// shows 42 % / no percent; "@2.5": the clock goes on to 2.5 s, ticking every 0.1 s.
struct RuleRow {
  const char* name;
  const char* script;
  const char* told;  // what the desktop is told, in order
};

void PrintTo(const RuleRow& row, std::ostream* os) { *os << row.name; }

const RuleRow kRules[] = {
    {"ShortCommand", "start @1.9 unseen", ""},
    {"HoldAndProgressFromTwoSeconds", "start p10 @2 p20 @2.5 end", "inhibit progress 0.1 progress 0.2 release hide"},
    {"ProgressAtMostFourTimesASecond", "start p1 @2 p2 @2.2 p3 @2.3 end",
     "inhibit progress 0.01 progress 0.03 release hide"},
    {"UnseenEndAfterTenSeconds", "start @10 unseen",
     "inhibit progress 0 notify 15 ist Prim | Dauer: 10 Sekunden release hide"},
    {"UnseenEndBeforeTenSeconds", "start @9.9 unseen", "inhibit progress 0 release hide"},
    {"SeenEnd", "start @10 end", "inhibit progress 0 release hide"},
    {"EndByEsc", "start @10 esc", "inhibit progress 0 release hide"},
    {"EndByError", "start @10 fail", "inhibit progress 0 release hide"},
    {"CloseReleasesAtOnce", "start @10 close @10.5 abort", "inhibit progress 0 release hide"},
    {"NestedInnermostPercentOneHold", "start @1 start p50 @3 esc p- @4 unseen",
     "inhibit progress 0.5 progress 0 release hide"},
    {"NestedUnseenEndWhileOuterRunsOn", "start @1 start @11.5 unseen @12 end",
     "inhibit progress 0 notify 15 ist Prim | Dauer: 10 Sekunden release hide"},
    {"DialogLetsSleepAndItsTimeDoesNotCount", "start @3 dialog @30 answer @32 unseen",
     "inhibit progress 0 release inhibit release hide"},
    {"DialogBeforeTwoSeconds", "start @1 dialog @5 answer @5.5 end", ""},
    {"HoursMinutesSeconds", "start @3661 unseen",
     "inhibit progress 0 notify 15 ist Prim | Dauer: 1 Stunde, 1 Minute und 1 Sekunde release hide"},
};

class DesktopRules : public ::testing::TestWithParam<RuleRow> {};

TEST_P(DesktopRules, TellTheDesktop) {
  using Clock = LongCommandPolicy::Clock;
  Clock::time_point now{};
  RecordingBus bus;
  LongCommandPolicy session(bus, [&] { return now; });
  std::optional<double> percent = 0;
  const std::map<std::string, CommandEnd> ends = {{"end", CommandEnd::Finished},
                                                  {"unseen", CommandEnd::Finished},
                                                  {"esc", CommandEnd::Cancelled},
                                                  {"fail", CommandEnd::Failed},
                                                  {"abort", CommandEnd::Aborted}};
  std::istringstream script(GetParam().script);
  for (std::string step; script >> step;) {
    if (step == "start") session.commandStarted();
    else if (ends.contains(step))
      session.commandEnded(ends.at(step), CaptionReport::about(CaptionState::Prime, uint128{15}), Separators::comma(),
                           step == "end");
    else if (step == "close") session.windowClosed();
    else if (step == "dialog" || step == "answer") session.dialogShown(step == "dialog");
    else if (step == "p-") percent.reset();
    else if (step[0] == 'p') percent = std::stod(step.substr(1));
    else if (step[0] == '@') {
      const auto until = Clock::time_point{} + std::chrono::milliseconds(std::lround(std::stod(step.substr(1)) * 1000));
      for (; now + std::chrono::milliseconds(100) <= until; session.tick(percent))
        now += std::chrono::milliseconds(100);
      now = until;
    } else FAIL() << "unknown step " << step;
  }
  EXPECT_EQ(bus.log, GetParam().told[0] ? std::string(" ") + GetParam().told : "");
}

INSTANTIATE_TEST_SUITE_P(Session, DesktopRules, ::testing::ValuesIn(kRules),
                         [](const ::testing::TestParamInfo<RuleRow>& info) { return std::string(info.param.name); });

// Progress reports (trial divisions, the Primmarktest) carry their percent;
// a result, and another command's caption, give none.
TEST(DesktopCaptions, PercentComesWithTheProgressReport) {
  WindowCaption caption(CaptionReport{});
  caption.write(CaptionReport::benchmarkProgress(7), 1);
  EXPECT_EQ(caption.percent(1), 7.0);
  EXPECT_EQ(caption.percent(2), std::nullopt);
  caption.write(CaptionReport::listing(CaptionState::ListingFound, 3, DecimalNumber(10), DecimalNumber(20)), 1);
  EXPECT_EQ(caption.percent(1), std::nullopt);
}

}  // namespace
}  // namespace teilomat::testing
