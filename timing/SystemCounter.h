// The machine's high-resolution counter that the stopwatch reads by default: its count now and its counts per second.
#pragma once

#include <cstdint>

namespace teilomat {

// One implementation per platform, chosen by the build:
// - windows/SystemCounter.cpp: QueryPerformanceCounter and
//   QueryPerformanceFrequency (commonly 10 MHz; a read costs some 10 to 30 ns);
// - SystemCounter.cpp, everywhere else: std::chrono::steady_clock in nanoseconds
//   (frequency 1e9; on Linux a vDSO clock_gettime, about 20 ns).
// Both are monotonic and never wrap within the life of a program.
class SystemCounter {
 public:
  static std::uint64_t now();
  static std::uint64_t frequency();  // counts per second, read once
};

}  // namespace teilomat
