// The stopwatch: fed counts, the calibration offset, negative readings and the split halves.
#include <chrono>
#include <cstdint>
#include <deque>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

#include "timing/xTimer.h"

namespace teilomat {
namespace {

// A counter that returns the queued values in order.
struct FedCounter {
  std::deque<std::uint64_t> values;
  xTimer::Counter source() {
    return [this] {
      std::uint64_t v = values.front();
      values.pop_front();
      return v;
    };
  }
};

// Calibrieren, Start and Halt, as every command runs the stopwatch.
void calibrateStartHalt(xTimer& t) {
  t.Calibrieren();
  t.Start();
  t.Halt();
}

TEST(Timer, RunTimeIsElapsedMillisecondsLessTheCalibratedOffset) {
  FedCounter c{{1000, 1250, 2000, 3002000}};  // offset 250 ns, elapsed 3 ms
  xTimer t(c.source(), 1000000000u);
  calibrateStartHalt(t);
  EXPECT_DOUBLE_EQ(t.offsetMs(), 0.00025);
  EXPECT_DOUBLE_EQ(t.RunTime(), 3.0 - 0.00025);
}

TEST(Timer, RunTimeReadTwiceAfterOneHaltIsEqualAndReadsNoCounter) {
  FedCounter c{{0, 10, 20, 5000}};
  xTimer t(c.source(), 1000000000u);
  calibrateStartHalt(t);
  const double first = t.RunTime();
  EXPECT_EQ(first, t.RunTime());
  EXPECT_TRUE(c.values.empty());
}

TEST(Timer, RunTimeBeforeHaltUsesTheCalibrationsSecondReadAndIsNotPositive) {
  FedCounter c{{100, 400, 700}};
  xTimer t(c.source(), 1000000000u);
  t.Calibrieren();  // start 100, stop 400
  t.Start();        // start 700, stop still 400
  EXPECT_LE(t.RunTime(), 0.0);
  EXPECT_DOUBLE_EQ(t.RunTime(), (400.0 - 700.0) / 1e6 - 0.0003);
}

TEST(Timer, ElapsedBelowTheOffsetGivesNegativeMilliseconds) {
  FedCounter c{{0, 5000, 10000, 10001}};
  xTimer t(c.source(), 1000000000u);
  calibrateStartHalt(t);
  EXPECT_LT(t.RunTime(), 0.0);
}

TEST(Timer, CountersWithTheTopBitOfAHalfSetConvertAsUnsigned) {
  struct Row {
    const char* name;
    std::uint64_t value;
  };
  const Row rows[] = {
      {"low half top bit", 0x80000000ull},
      {"low half all ones", 0xFFFFFFFFull},
      {"high half top bit", 0x8000000000000000ull},
      {"both halves top bit", 0x8000000180000001ull},
      {"largest count", std::numeric_limits<std::uint64_t>::max()},
      {"small count", 12345},
  };
  for (const Row& row : rows) {
    const xTimer::Count count = xTimer::Count::of(row.value);
    EXPECT_EQ(xTimer::CounterToDouble(count), static_cast<double>(row.value)) << row.name;
  }
  EXPECT_LT(xTimer::Count::of(0x80000000ull).low, 0) << "the half is stored as a signed value";
}

TEST(Timer, MeasurementAcrossTheLowHalfsWrapIsExact) {
  FedCounter c{{0xFFFFFF00ull, 0xFFFFFF00ull, 0xFFFFFF00ull, 0x100000100ull}};
  xTimer t(c.source(), 1000u);  // one count a millisecond
  calibrateStartHalt(t);
  EXPECT_DOUBLE_EQ(t.RunTime(), 512.0);
}

TEST(Timer, ZeroFrequencyRaisesInsteadOfReturning) {
  FedCounter c{{1, 2, 3, 4}};
  xTimer t(c.source(), 0u);
  EXPECT_THROW(t.Calibrieren(), TimerError);
}

// The platform's counter and its frequency agree with steady_clock: a wait
// measured by the stopwatch lies between steady_clock's readings inside and
// outside its Start and Halt.
TEST(Timer, DefaultCounterMeasuresMilliseconds) {
  using Steady = std::chrono::steady_clock;
  const auto ms = [](Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  xTimer t;
  t.Calibrieren();
  const Steady::time_point outerStart = Steady::now();
  t.Start();
  const Steady::time_point innerStart = Steady::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const Steady::time_point innerEnd = Steady::now();
  t.Halt();
  const Steady::time_point outerEnd = Steady::now();
  const double measured = t.RunTime() + t.offsetMs();
  EXPECT_GE(measured, ms(innerEnd - innerStart) - 0.01);
  EXPECT_LE(measured, ms(outerEnd - outerStart) + 0.01);
}

}  // namespace
}  // namespace teilomat
