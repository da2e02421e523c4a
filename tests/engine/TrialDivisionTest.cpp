// The engine against plain reference loops: candidates, percent steps, event passes, divisors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "TrialReference.h"
#include "engine/TrialDivision.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

using testing::CountingServices;
using testing::parse128;
using testing::RecordingProgress;
using testing::Step;
using testing::referenceTrial;

// The candidate sequence written the slow way: odd numbers from 3, without
// the multiples of 3 above 3.
std::vector<std::uint64_t> referenceCandidates(std::size_t count) {
  std::vector<std::uint64_t> out;
  for (std::uint64_t d = 3; out.size() < count; d += 2)
    if (d == 3 || d % 3 != 0) out.push_back(d);
  return out;
}

TEST(TrialDivision, CandidateNumberingMatchesTheSequence) {
  const auto candidates = referenceCandidates(20000);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    ASSERT_EQ(candidateAt(i + 1), candidates[i]) << "index " << i + 1;
    ASSERT_EQ(candidatesUpTo(candidates[i]), i + 1);
    ASSERT_EQ(candidatesUpTo(candidates[i] + 1), i + 1) << "between candidates";
  }
  EXPECT_EQ(candidatesUpTo(2), 0u);
}

TEST(TrialDivision, LastCandidateIsTheFirstOneAboveTheBound) {
  struct Row {
    double bound;
    std::uint64_t lastDivisor;
  };
  const Row rows[] = {{4, 5}, {5, 7}, {6, 7}, {10, 11}, {1001, 1003}, {31622777, 31622779}};
  for (const Row& row : rows) EXPECT_EQ(candidateAt(lastCandidateIndex(row.bound)), row.lastDivisor) << row.bound;
}

TEST(TrialDivision, NextPercentChangeMatchesAStepByStepSearch) {
  std::mt19937_64 rng(20261207);
  std::vector<double> bounds = {2, 3, 4, 6, 10, 175, 1001, 31622777, 281474976710656.0};
  for (int k = 0; k < 25; ++k) bounds.push_back(static_cast<double>(2 + rng() % 5000000));
  for (double bound : bounds) {
    const std::uint64_t last = lastCandidateIndex(bound);
    // Walk a sample of indexes; check each step point against brute force.
    const std::uint64_t stride = last > 20000 ? last / 2000 : 1;
    for (std::uint64_t i = 1; i <= last; i += stride) {
      const double p = percentAt(bound, candidateAt(i));
      std::uint64_t expected = i + 1;
      while (expected <= last && expected - i <= 100000 && percentAt(bound, candidateAt(expected)) <= p)
        ++expected;
      if (expected - i > 100000) continue;  // too far to walk here; covered by smaller bounds
      ASSERT_EQ(nextPercentChange(bound, i, p, last), expected) << "bound " << bound << " index " << i;
    }
  }
}

TEST(TrialDivision, PercentUsesTheQuotientOfBoundAndDivisorFirst) {
  // 100 / (175 / 77) in doubles lies just below 44.
  EXPECT_EQ(percentAt(175, 77), 43);
  EXPECT_EQ(percentAt(31622777, 31622779), 100);
  EXPECT_EQ(percentAt(4, 5), 125);
}

std::uint64_t referenceFirstDividing(uint128 n, std::uint64_t from, std::uint64_t to) {
  for (std::uint64_t i = from; i <= to; ++i)
    if (n % candidateAt(i) == 0) return i;
  return 0;
}

TEST(TrialDivision, FirstDividingIndexAgreesWithExactRemainders) {
  std::mt19937_64 rng(7919);
  for (int k = 0; k < 3000; ++k) {
    const int bits = 2 + static_cast<int>(rng() % 95);
    uint128 n = (static_cast<uint128>(rng()) << 64 | rng()) >> (128 - bits);
    if (n < 2) n = 2;
    const std::uint64_t from = 1 + rng() % 3000;
    const std::uint64_t to = from + rng() % 3000;
    ASSERT_EQ(firstDividingIndex(n, from, to), referenceFirstDividing(n, from, to))
        << "seed 7919, case " << k;
  }
}

TEST(TrialDivision, FirstDividingIndexFindsFactorsOfHardNumbers) {
  struct Row {
    const char* name;
    uint128 n;
    std::uint64_t divisor;
  };
  const uint128 p24 = 16777213, p32 = 4294967291ull, p48 = 281474976710597ull;
  const Row rows[] = {
      {"square of the largest prime below 2^24", p24 * p24, p24},
      {"square of the largest prime below 2^32", p32 * p32, p32},
      {"2^64 - 1 (3 divides it)", ~static_cast<uint128>(0) >> 64, 3},
      {"2^96 - 1", (static_cast<uint128>(1) << 96) - 1, 3},
      {"29 digits with the factor 4000000007", parse128("79228158514264330609326343541"), 4000000007ull},
      {"2^64 + 1 = 274177 * 67280421310721", (static_cast<uint128>(1) << 64) + 1, 274177},
  };
  for (const Row& row : rows) {
    const std::uint64_t index = candidatesUpTo(row.divisor);
    ASSERT_EQ(candidateAt(index), row.divisor) << row.name;
    EXPECT_EQ(firstDividingIndex(row.n, index > 50 ? index - 50 : 1, index + 50), index) << row.name;
    if (index > 1) {
      EXPECT_EQ(firstDividingIndex(row.n, index - 1, index - 1), 0u) << row.name;
    }
  }
  // p48^2 exceeds 2^96; its factor is found in a number that fits.
  const uint128 n = p48 * 65537;
  EXPECT_EQ(firstDividingIndex(n, candidatesUpTo(65537), candidatesUpTo(65537)), candidatesUpTo(65537));
}

TEST(TrialDivision, EngineMatchesTheReferenceLoopInStepsPassesAndOutcome) {
  struct Row {
    const char* name;
    uint128 n;
  };
  const Row rows[] = {
      {"11", 11},         {"25", 25},         {"49", 49},        {"97", 97},
      {"1000003", 1000003}, {"prime 1000000007", 1000000007}, {"7 * 1000003", 7000021},
      {"1000003 squared", static_cast<uint128>(1000003) * 1000003},
      {"2^64 + 1, smallest factor 274177", (static_cast<uint128>(1) << 64) + 1},
  };
  for (std::uint64_t stride : {1u, 2u, 7u, 4096u}) {
    for (const Row& row : rows) {
      const double bound = std::trunc(std::sqrt(static_cast<double>(row.n))) + 1;
      CountingServices engineServices(stride), referenceServices(stride);
      RecordingProgress engineSteps(engineServices), referenceSteps(referenceServices);
      double engineShown = 0, referenceShown = 0;
      const auto got = trialDivide(row.n, bound, engineShown, engineSteps, engineServices);
      const auto want = referenceTrial(row.n, bound, referenceShown, referenceSteps, referenceServices);
      EXPECT_EQ(got.divisor, want.divisor) << row.name << " stride " << stride;
      EXPECT_EQ(got.count, want.count) << row.name << " stride " << stride;
      EXPECT_EQ(engineSteps.steps, referenceSteps.steps) << row.name << " stride " << stride;
      EXPECT_EQ(engineServices.passes, referenceServices.passes) << row.name << " stride " << stride;
      EXPECT_EQ(engineServices.offersBeforePass(), referenceServices.offersBeforePass()) << row.name;
      EXPECT_EQ(engineShown, referenceShown) << row.name;
    }
  }
}

TEST(TrialDivision, ShownPercentCarriedInFromAnEarlierCandidateDecidesTheFirstCaption) {
  CountingServices services(1);
  RecordingProgress progress(services);
  double shown = 50;  // 35 after 33: the first divisor's 50 % is not written again
  const auto outcome = trialDivide(35, 6, shown, progress, services);
  EXPECT_EQ(outcome.divisor, 5u);
  ASSERT_EQ(progress.steps.size(), 1u);
  EXPECT_EQ(progress.steps[0], (Step{83, 2, 1}));
}

TEST(TrialDivision, NestedTrialAtAPassLeavesTheOuterRunIntact) {
  for (std::uint64_t stride : {1u, 64u}) {
    CountingServices services(stride);
    RecordingProgress outer(services);
    TrialOutcome inner{};
    services.atPass = [&](std::uint64_t pass) {
      if (pass != 3) return;
      RecordingProgress innerProgress(services);
      double innerShown = 0;
      inner = trialDivide(1000003, 1001, innerShown, innerProgress, services);
    };
    double shown = 0;
    const auto outcome = trialDivide(1000000007, 31624, shown, outer, services);
    EXPECT_EQ(outcome.divisor, 0u);
    EXPECT_EQ(outcome.count, candidatesUpTo(31624) + 1);
    EXPECT_EQ(inner.count, 335u) << "stride " << stride;
    EXPECT_EQ(outer.steps.back().percent, 100) << "stride " << stride;
  }
}

}  // namespace
}  // namespace teilomat
