// Plain reference pieces for testing the trial-division engine: counting services and the one-candidate loop.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "engine/TrialRun.h"
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
  bool passesByClock() const override { return clockLike; }

  bool clockLike = false;  // lets a long run split over the worker threads
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

// The steps without the passes before them: a split run passes at its
// chunks, not per candidate.
inline std::vector<std::pair<double, std::uint64_t>> percentsAndIndexes(const std::vector<Step>& steps) {
  std::vector<std::pair<double, std::uint64_t>> out;
  for (const Step& s : steps) out.emplace_back(s.percent, s.index);
  return out;
}

// Primality of n < 2^64 by Miller-Rabin with bases that decide every such n.
inline bool isPrime64(std::uint64_t n) {
  if (n < 2) return false;
  for (std::uint64_t p : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37})
    if (n % p == 0) return n == p;
  const auto mulMod = [n](std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint64_t>(static_cast<unsigned __int128>(a) * b % n);
  };
  std::uint64_t d = n - 1;
  int s = 0;
  for (; d % 2 == 0; d /= 2) ++s;
  for (std::uint64_t a : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37}) {
    std::uint64_t x = 1, base = a, e = d;
    for (; e != 0; e /= 2, base = mulMod(base, base))
      if (e & 1) x = mulMod(x, base);
    if (x == 1 || x == n - 1) continue;
    bool composite = true;
    for (int r = 1; r < s && composite; ++r) composite = (x = mulMod(x, x)) != n - 1;
    if (composite) return false;
  }
  return true;
}

// The loop one candidate at a time, as the commands describe it.
inline TrialOutcome referenceTrial(const TrialRun& run) {
  const uint128 n = run.n;
  const double bound = run.bound;
  std::uint64_t count = 0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++count;
    const double percent = std::trunc(100.0 / (bound / static_cast<double>(d)));
    if (percent != run.shownPercent) {
      run.progress.percentChanged(percent, count);
      run.shownPercent = percent;
    }
    run.events.offerEventPass();
    if (n % d == 0) return {d, count};
    if (static_cast<double>(d) > bound) return {0, count};
  }
}

}  // namespace teilomat::testing
