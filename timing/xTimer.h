// A stopwatch over a high-resolution counter that subtracts its own overhead.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace teilomat {

// Raised instead of returning a value when the stopwatch's arithmetic fails:
// a zero counter frequency, or a result that is not a finite double.
class TimerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// xTimer measures the time between Start and Halt in milliseconds, less the
// cost of two back-to-back counter reads measured by Calibrieren.
//
// Counter values are kept as two 32-bit halves, low half first, and turned
// into doubles half by half (each half read as unsigned), so that the
// readings are exactly those of the classic performance-counter stopwatch.
// The default counter is the platform's (SystemCounter: the performance
// counter on Windows, steady_clock in nanoseconds elsewhere); tests pass
// their own counter to feed chosen counts.
//
// Example:
//   xTimer t;
//   t.Calibrieren(); t.Start(); work(); t.Halt();
//   double ms = t.RunTime();
class xTimer {
 public:
  struct Count {
    std::int32_t low = 0;   // the low 32 bits, as stored
    std::int32_t high = 0;  // the high 32 bits
    static Count of(std::uint64_t value);
  };
  using Counter = std::function<std::uint64_t()>;

  xTimer();  // SystemCounter
  xTimer(Counter counter, std::uint64_t frequency);

  void Calibrieren();
  void Start();
  void Halt();
  // Elapsed milliseconds between the stored Start and Halt counts, less the
  // calibrated overhead. Reads no counter. Throws TimerError.
  double RunTime() const;

  Count startCount() const { return startCount_; }
  Count stopCount() const { return stopCount_; }
  double offsetMs() const { return offsetMs_; }

  // The stored counter value as a double: high * 2^32 + low, each half unsigned.
  static double CounterToDouble(Count value);

 private:
  double millisecondsBetween(Count from, Count to) const;

  Counter counter_;
  Count startCount_;
  Count stopCount_;
  Count frequency_;
  double offsetMs_ = 0.0;
};

}  // namespace teilomat
