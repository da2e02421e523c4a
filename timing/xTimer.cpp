// The stopwatch: counter reads, calibration and the elapsed-time formula.
#include "timing/xTimer.h"

#include <cmath>
#include <utility>

#include "timing/SystemCounter.h"

namespace teilomat {
namespace {

double checked(double value, const char* what) {
  if (!std::isfinite(value)) throw TimerError(what);
  return value;
}

}  // namespace

xTimer::Count xTimer::Count::of(std::uint64_t value) {
  Count c;
  c.low = static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
  c.high = static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32));
  return c;
}

xTimer::xTimer() : xTimer(SystemCounter::now, SystemCounter::frequency()) {}

xTimer::xTimer(Counter counter, std::uint64_t frequency)
    : counter_(std::move(counter)), frequency_(Count::of(frequency)) {}

double xTimer::CounterToDouble(Count value) {
  double low = static_cast<double>(value.low);
  double high = static_cast<double>(value.high);
  if (low < 0) low += 4294967296.0;
  if (high < 0) high += 4294967296.0;
  return high * 4294967296.0 + low;
}

double xTimer::millisecondsBetween(Count from, Count to) const {
  const double difference = CounterToDouble(to) - CounterToDouble(from);
  const double frequency = CounterToDouble(frequency_);
  if (frequency == 0.0) throw TimerError("Division durch Null: der Zähler hat keine Frequenz");
  const double seconds = checked(difference / frequency, "Überlauf in der Zeitmessung");
  return checked(seconds * 1000.0, "Überlauf in der Zeitmessung");
}

void xTimer::Calibrieren() {
  startCount_ = Count::of(counter_());
  stopCount_ = Count::of(counter_());
  offsetMs_ = millisecondsBetween(startCount_, stopCount_);
}

void xTimer::Start() { startCount_ = Count::of(counter_()); }

void xTimer::Halt() { stopCount_ = Count::of(counter_()); }

double xTimer::RunTime() const {
  return checked(millisecondsBetween(startCount_, stopCount_) - offsetMs_, "Überlauf in der Zeitmessung");
}

}  // namespace teilomat
