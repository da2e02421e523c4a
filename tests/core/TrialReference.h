// Plain reference pieces for testing the trial-division engine: counting services and the one-candidate loop.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "primes/PlatformServices.h"
#include "primes/TrialDivision.h"

namespace teilomat::testing {

// Decimal digits to a 128-bit value; for test constants only.
inline uint128 parse128(const char* digits) {
  uint128 v = 0;
  for (const char* p = digits; *p; ++p) v = v * 10 + static_cast<unsigned>(*p - '0');
  return v;
}

// Services that count event passes and can run code at a pass.
class CountingServices : public PlatformServices {
 public:
  explicit CountingServices(std::uint64_t stride) : stride_(stride) {}
  void messageBox(const std::string&, const std::string&) override {}
  std::string inputBox(const std::string&, int, int) override { return {}; }
  void beep() override {}
  void processEvents() override {
    ++passes;
    if (atPass) atPass(passes);
  }
  Separators separators() const override { return Separators::comma(); }
  std::uint64_t eventPassStride() const override { return stride_; }

  std::uint64_t passes = 0;
  std::function<void(std::uint64_t)> atPass;

 private:
  std::uint64_t stride_;
};

struct Step {
  double percent;
  std::uint64_t index;
  std::uint64_t passesBefore;
  bool operator==(const Step&) const = default;
};

class RecordingProgress : public TrialProgress {
 public:
  explicit RecordingProgress(const CountingServices& s) : services_(s) {}
  void percentChanged(double percent, std::uint64_t index) override {
    steps.push_back({percent, index, services_.passes});
  }
  std::vector<Step> steps;

 private:
  const CountingServices& services_;
};

// The loop one candidate at a time, as the commands describe it.
inline TrialOutcome referenceTrial(uint128 n, double bound, double& shown, TrialProgress& progress,
                            PlatformServices& services) {
  std::uint64_t count = 0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++count;
    const double percent = std::trunc(100.0 / (bound / static_cast<double>(d)));
    if (percent != shown) {
      progress.percentChanged(percent, count);
      shown = percent;
    }
    services.offerEventPass();
    if (n % d == 0) return {d, count};
    if (static_cast<double>(d) > bound) return {0, count};
  }
}

}  // namespace teilomat::testing
