// The stopwatch's counter on Windows: QueryPerformanceCounter at QueryPerformanceFrequency.
#include "timing/SystemCounter.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace teilomat {

// Both calls cannot fail on Windows XP and later; the frequency is fixed at
// boot, so one read serves the program's life.
std::uint64_t SystemCounter::now() {
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<std::uint64_t>(count.QuadPart);
}

std::uint64_t SystemCounter::frequency() {
  static const std::uint64_t perSecond = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<std::uint64_t>(value.QuadPart);
  }();
  return perSecond;
}

}  // namespace teilomat
