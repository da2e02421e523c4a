// The engine against plain reference loops: candidates, percent steps, event passes, divisors.
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "TrialReference.h"
#include "engine/ParallelSearch.h"
#include "engine/SuccessiveTrialDivision.h"
#include "engine/TrialDivision.h"
#include "engine/TrialSteps.h"
#include "engine/WorkerThreads.h"
#include "engine/kernels/DivisorKernels.h"

namespace teilomat {
namespace {

using testing::CountingServices;
using testing::isPrime64;
using testing::parse128;
using testing::percentsAndIndexes;
using testing::RecordingProgress;
using testing::referenceTrial;
using testing::Step;

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
      while (expected <= last && expected - i <= 100000 && percentAt(bound, candidateAt(expected)) <= p) ++expected;
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
    ASSERT_EQ(firstDividingIndex(n, from, to), referenceFirstDividing(n, from, to)) << "seed 7919, case " << k;
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
      {"11", 11},
      {"25", 25},
      {"49", 49},
      {"97", 97},
      {"1000003", 1000003},
      {"prime 1000000007", 1000000007},
      {"7 * 1000003", 7000021},
      {"1000003 squared", static_cast<uint128>(1000003) * 1000003},
      {"2^64 + 1, smallest factor 274177", (static_cast<uint128>(1) << 64) + 1},
  };
  for (std::uint64_t stride : {1u, 2u, 7u, 4096u}) {
    for (const Row& row : rows) {
      const double bound = std::trunc(std::sqrt(static_cast<double>(row.n))) + 1;
      CountingServices engineServices(stride), referenceServices(stride);
      RecordingProgress engineSteps(engineServices), referenceSteps(referenceServices);
      double engineShown = 0, referenceShown = 0;
      const auto got = trialDivide({row.n, bound, engineShown, engineSteps, engineServices});
      const auto want = referenceTrial({row.n, bound, referenceShown, referenceSteps, referenceServices});
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
  const auto outcome = trialDivide({35, 6, shown, progress, services});
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
      inner = trialDivide({1000003, 1001, innerShown, innerProgress, services});
    };
    double shown = 0;
    const auto outcome = trialDivide({1000000007, 31624, shown, outer, services});
    EXPECT_EQ(outcome.divisor, 0u);
    EXPECT_EQ(outcome.count, candidatesUpTo(31624) + 1);
    EXPECT_EQ(inner.count, 335u) << "stride " << stride;
    EXPECT_EQ(outer.steps.back().percent, 100) << "stride " << stride;
  }
}

// Split runs: small chunks, so that a short run has many of them.
constexpr std::uint64_t kTestChunk = 4096;
const uint128 kMersenne61 = (uint128{1} << 61) - 1;

std::uint64_t primeFrom(std::uint64_t x) {
  while (!isPrime64(x)) ++x;
  return x;
}
// The first chunk boundary from the 20th chunk on where the candidate just
// after it (or just before it) is prime; chunk k holds the indexes
// k * kTestChunk + 1 .. (k + 1) * kTestChunk.
std::uint64_t primeAtChunkEdge(bool start) {
  for (std::uint64_t k = 20;; ++k) {
    const std::uint64_t d = candidateAt(start ? k * kTestChunk + 1 : k * kTestChunk);
    if (isPrime64(d)) return d;
  }
}

struct SplitRow {
  std::string name;
  uint128 n;
  double bound;
};

std::vector<SplitRow> splitRows() {
  const auto rootBound = [](uint128 n) { return std::trunc(std::sqrt(static_cast<double>(n))) + 1; };
  const auto product = [&](const std::string& name, std::uint64_t p, uint128 q) {
    return SplitRow{name, p * q, rootBound(p * q)};
  };
  const std::uint64_t nearEnd = primeFrom(1u << 21);
  std::vector<SplitRow> rows = {
      product("hit at a chunk's first candidate", primeAtChunkEdge(true), kMersenne61),
      product("hit at a chunk's last candidate", primeAtChunkEdge(false), kMersenne61),
      product("hit in the first chunk", 1009, kMersenne61),
      product("hit in the last chunk", nearEnd, primeFrom(nearEnd + 1)),
      {"factor 3, bound 2^47", 3 * kMersenne61, 140737488355328.0},
      {"prime 2^40 + 15, no hit", (uint128{1} << 40) + 15, rootBound((uint128{1} << 40) + 15)},
  };
  std::mt19937_64 rng(20261207);
  for (int k = 0; k < 4; ++k) {
    const std::uint64_t p = primeFrom((1u << 17) + rng() % (1u << 21));
    const std::uint64_t q = primeFrom((std::uint64_t{1} << 40) + rng() % (std::uint64_t{1} << 50));
    rows.push_back(product("seed 20261207, p * q, case " + std::to_string(k), p, q));
    const std::uint64_t prime = primeFrom((std::uint64_t{1} << 36) + rng() % (std::uint64_t{1} << 39));
    rows.push_back({"seed 20261207, prime, case " + std::to_string(k), prime, rootBound(prime)});
  }
  return rows;
}

TEST(TrialDivision, SplitRunMatchesTheReferenceForEveryThreadCount) {
  const ScopedChunkCandidates chunk(kTestChunk);
  for (const SplitRow& row : splitRows()) {
    CountingServices referenceServices(1);
    RecordingProgress referenceSteps(referenceServices);
    double referenceShown = 0;
    const auto want = referenceTrial({row.n, row.bound, referenceShown, referenceSteps, referenceServices});
    for (int threads : {1, 2, 8}) {
      const ScopedThreadCount count(threads);
      CountingServices services(1024);
      services.clockLike = true;
      RecordingProgress steps(services);
      double shown = 0;
      const auto got = trialDivide({row.n, row.bound, shown, steps, services});
      const std::string where = row.name + ", threads " + std::to_string(threads);
      EXPECT_EQ(got.divisor, want.divisor) << where;
      EXPECT_EQ(got.count, want.count) << where;
      EXPECT_EQ(percentsAndIndexes(steps.steps), percentsAndIndexes(referenceSteps.steps)) << where;
      EXPECT_EQ(shown, referenceShown) << where;
    }
  }
}

struct PassFailure {
  std::uint64_t pass;
};

TEST(TrialDivision, ExceptionFromAPassEndsASplitRunAndTheNextRunIsRight) {
  // Chunks of 512: the window's thread passes after the first chunk and
  // after at least one chunk of each block, so a run of 683 chunks passes at
  // least 4 times even on 8 threads.
  const ScopedChunkCandidates chunk(512);
  const uint128 n = (uint128{1} << 40) + 15;  // prime: 349526 candidates
  const double bound = std::trunc(std::sqrt(static_cast<double>(n))) + 1;
  for (int threads : {2, 8}) {
    const ScopedThreadCount count(threads);
    for (std::uint64_t failingPass : {1u, 2u, 4u}) {
      CountingServices services(1024);
      services.clockLike = true;
      services.atPass = [failingPass](std::uint64_t pass) {
        if (pass == failingPass) throw PassFailure{pass};
      };
      RecordingProgress steps(services);
      double shown = 0;
      try {
        trialDivide({n, bound, shown, steps, services});
        ADD_FAILURE() << "no exception, pass " << failingPass;
      } catch (const PassFailure& failure) {
        EXPECT_EQ(failure.pass, failingPass);
      }
      EXPECT_EQ(services.passes, failingPass) << "threads " << threads;
      // The workers have left the failed run: the next one is whole.
      services.atPass = nullptr;
      shown = 0;
      const auto outcome = trialDivide({n, bound, shown, steps, services});
      EXPECT_EQ(outcome.divisor, 0u);
      EXPECT_EQ(outcome.count, lastCandidateIndex(bound));
    }
  }
}

TEST(TrialDivision, NestedSplitRunAtAPassGivesBothRunsTheirAnswers) {
  const ScopedChunkCandidates chunk(512);  // at least 4 passes of the outer run (see above)
  const auto rows = splitRows();
  const SplitRow& outerRow = rows[5];  // a prime: the outer run goes to its end
  const SplitRow& innerRow = rows[0];  // a hit past the 20th chunk
  for (int threads : {2, 8}) {
    const ScopedThreadCount count(threads);
    CountingServices services(1024);
    services.clockLike = true;
    TrialOutcome inner{};
    std::vector<std::pair<double, std::uint64_t>> innerSteps;
    services.atPass = [&](std::uint64_t pass) {
      if (pass != 3) return;
      RecordingProgress innerProgress(services);
      double innerShown = 0;
      inner = trialDivide({innerRow.n, innerRow.bound, innerShown, innerProgress, services});
      innerSteps = percentsAndIndexes(innerProgress.steps);
    };
    RecordingProgress outer(services);
    double shown = 0;
    const auto outcome = trialDivide({outerRow.n, outerRow.bound, shown, outer, services});

    CountingServices reference(1);
    RecordingProgress outerWant(reference), innerWant(reference);
    double outerShown = 0, innerShown = 0;
    const auto outerOutcome = referenceTrial({outerRow.n, outerRow.bound, outerShown, outerWant, reference});
    const auto innerOutcome = referenceTrial({innerRow.n, innerRow.bound, innerShown, innerWant, reference});
    EXPECT_EQ(outcome.count, outerOutcome.count) << "threads " << threads;
    EXPECT_EQ(outcome.divisor, 0u) << "threads " << threads;
    EXPECT_EQ(percentsAndIndexes(outer.steps), percentsAndIndexes(outerWant.steps)) << "threads " << threads;
    EXPECT_EQ(inner.divisor, innerOutcome.divisor) << "threads " << threads;
    EXPECT_EQ(inner.count, innerOutcome.count) << "threads " << threads;
    EXPECT_EQ(innerSteps, percentsAndIndexes(innerWant.steps)) << "threads " << threads;
  }
}

TEST(TrialDivision, OddNumbersDividedAheadMatchTheirOwnRuns) {
  const ScopedChunkCandidates chunk(kTestChunk);
  struct Row {
    const char* name;
    uint128 first;
    std::size_t count;
  };
  // The numbers near 2^64 and 2^96 all have a divisor below 6e6.
  const Row rows[] = {
      {"from 11", 11, 40},
      {"from 10^12 + 1", 1000000000001u, 300},
      {"across 2^64", (uint128{1} << 64) - 37, 20},
      {"to 2^96 - 1", (uint128{1} << 96) - 5, 3},
  };
  for (const Row& row : rows) {
    std::vector<std::uint64_t> want(row.count);
    for (std::size_t k = 0; k < row.count; ++k) {
      const uint128 m = row.first + 2 * k;
      CountingServices quiet(1);
      RecordingProgress progress(quiet);
      double shown = 0;
      const auto outcome =
          referenceTrial({m, std::trunc(std::sqrt(static_cast<double>(m))) + 1, shown, progress, quiet});
      want[k] = outcome.divisor == 0 ? 0 : outcome.count;
    }
    for (int threads : {1, 2, 8}) {
      const ScopedThreadCount count(threads);
      for (bool clockLike : {false, true}) {
        CountingServices services(1);
        services.clockLike = clockLike;
        std::vector<std::uint64_t> hits(row.count);
        firstHitsOfOddNumbers(row.first, hits, services);
        EXPECT_EQ(hits, want) << row.name << ", threads " << threads;
        if (!clockLike) {
          EXPECT_EQ(services.passes, 0u) << row.name;
        }
      }
    }
  }
}

// Rising odd numbers, divided ahead on several threads, give each one's
// outcome, percent steps and passes as one thread dividing them in turn.
TEST(TrialDivision, SuccessiveNumbersMatchTheLoopOnAnyThreadCount) {
  for (const uint128 first : {uint128{11}, uint128{1000000000001u}}) {
    // (divisor, count) of each of 300 odd numbers, then the passes.
    const auto divideAll = [first](const CountingServices& services, auto divide) {
      std::vector<std::uint64_t> outcomes;
      for (uint128 m = first; m < first + 600; m += 2) {
        const TrialOutcome outcome = divide(m, std::trunc(std::sqrt(static_cast<double>(m))) + 1);
        outcomes.insert(outcomes.end(), {outcome.divisor, outcome.count});
      }
      outcomes.push_back(services.passes);
      return outcomes;
    };
    CountingServices reference(7);
    RecordingProgress want(reference);
    double shown = 0;
    const auto expected = divideAll(reference, [&](uint128 m, double bound) {
      return referenceTrial({m, bound, shown, want, reference});
    });
    for (int threads : {1, 2, 8}) {
      const ScopedThreadCount count(threads);
      CountingServices services(7);
      RecordingProgress got(services);
      SuccessiveTrialDivision divisions(got, services, first + 598);
      EXPECT_EQ(divideAll(services, [&](uint128 m, double bound) { return divisions.divide(m, bound); }), expected)
          << "threads " << threads;
      EXPECT_EQ(got.steps, want.steps) << "threads " << threads;
    }
  }
}

TEST(TrialDivision, ThreadCountRequests) {
  struct Row {
    const char* request;
    int threads;
    bool warns;
  };
  const Row rows[] = {{nullptr, 0, false}, {"", 0, false},   {"1", 1, false}, {"8", 8, false}, {"256", 256, false},
                      {"0", 0, true},      {"257", 0, true}, {"-2", 0, true}, {"2x", 0, true}, {"zwei", 0, true}};
  for (const Row& row : rows) {
    std::string warning;
    EXPECT_EQ(threadCountForRequest(row.request, warning), row.threads) << (row.request ? row.request : "null");
    EXPECT_EQ(!warning.empty(), row.warns) << (row.request ? row.request : "null");
  }
}

}  // namespace
}  // namespace teilomat
