// Plain reference pieces for testing the trial-division engine: counting services and the one-candidate loop.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/TrialDivision.h"
#include "support/Parse128.h"

namespace teilomat::testing {

// A pump that counts event passes and can run code at a pass.
class CountingServices : public EventPump {
 public:
  explicit CountingServices(std::uint64_t stride) : stride_(stride) {}
  void processEvents() override {
    ++passes;
    if (atPass) atPass(passes);
  }
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
                            EventPump& services) {
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
