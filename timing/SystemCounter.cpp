// The stopwatch's counter where no platform counter is chosen: steady_clock in nanoseconds.
#include "timing/SystemCounter.h"

#include <chrono>

namespace teilomat {

std::uint64_t SystemCounter::now() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

std::uint64_t SystemCounter::frequency() { return 1000000000u; }

}  // namespace teilomat
