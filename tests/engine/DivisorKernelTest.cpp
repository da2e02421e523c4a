// Every divisibility kernel against exact remainders, and the engine and commands under each kernel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TrialReference.h"
#include "commands/Commands.h"
#include "engine/TrialDivision.h"
#include "engine/kernels/DivisorKernels.h"
#include "support/ListingWatchdog.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using testing::CountingServices;
using testing::RecordingProgress;
using testing::referenceTrial;
using testing::Step;

using kernel_detail::kMaxVectorIndex;

constexpr uint128 kOne = 1;
constexpr std::uint64_t kMersenne61 = (std::uint64_t{1} << 61) - 1;  // prime

// The first index in [from, to] whose candidate leaves no remainder, by
// plain integer division (64-bit where n fits, else 128-bit).
std::uint64_t referenceFirstDividing(uint128 n, std::uint64_t from, std::uint64_t to) {
  if (n >> 64 == 0) {
    const auto n64 = static_cast<std::uint64_t>(n);
    for (std::uint64_t i = from; i <= to; ++i)
      if (n64 % candidateAt(i) == 0) return i;
    return 0;
  }
  for (std::uint64_t i = from; i <= to; ++i)
    if (n % candidateAt(i) == 0) return i;
  return 0;
}

// Whether a run's answer must be exact: no prime 5, 7, 11 or 13 below its
// first candidate divides n (the wheel kernels skip their multiples).
bool wheelSafe(uint128 n, std::uint64_t from) {
  for (const std::uint64_t p : {5u, 7u, 11u, 13u})
    if (p < candidateAt(from) && n % p == 0) return false;
  return true;
}

// Every kernel of the table; the tests skip those this processor lacks.
std::vector<const DivisorKernel*> allKernels() {
  std::vector<const DivisorKernel*> kernels;
  for (const DivisorKernel& kernel : divisorKernels()) kernels.push_back(&kernel);
  return kernels;
}

std::string hex(uint128 n) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "0x%llx%016llx", static_cast<unsigned long long>(n >> 64),
                static_cast<unsigned long long>(n));
  return buffer;
}

}  // namespace
// The kernel's name in test output, not its address; beside DivisorKernel so
// that GoogleTest finds it.
void PrintTo(const DivisorKernel* kernel, std::ostream* os) { *os << kernel->name; }
namespace {

// Runs a test body with one kernel forced, restoring the previous one after.
class KernelTest : public ::testing::TestWithParam<const DivisorKernel*> {
 protected:
  void SetUp() override {
    if (!GetParam()->supported()) GTEST_SKIP() << GetParam()->name << " is not supported here";
    ASSERT_TRUE(forceKernel(*GetParam()));
  }
  void TearDown() override { forceKernel(saved_); }

  // Exact where the run is wheel-safe or the kernel tests every candidate;
  // elsewhere 0 or a later dividing candidate.
  void expectAgrees(uint128 n, std::uint64_t from, std::uint64_t to, const std::string& what) {
    const std::uint64_t got = firstDividingIndex(n, from, to);
    const std::uint64_t want = referenceFirstDividing(n, from, to);
    const std::string where =
        what + ": n = " + hex(n) + ", indexes " + std::to_string(from) + ".." + std::to_string(to);
    if (GetParam()->reference || wheelSafe(n, from)) {
      ASSERT_EQ(got, want) << where;
    } else if (got != 0) {
      ASSERT_TRUE(want != 0 && got >= want && got <= to && n % candidateAt(got) == 0) << where << ": " << got;
    }
  }

 private:
  const DivisorKernel& saved_ = activeKernel();
};

std::string variantName(const ::testing::TestParamInfo<const DivisorKernel*>& info) {
  std::string name = info.param->name;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Variants, KernelTest, ::testing::ValuesIn(allKernels()), variantName);

TEST_P(KernelTest, ForcedVariantIsTheActiveOne) { EXPECT_EQ(&activeKernel(), GetParam()); }

TEST_P(KernelTest, EveryNumberBelow300000) {
  for (std::uint64_t n = 2; n < 300000; ++n) {
    // The whole trial division and then some, and a short run at a moving start.
    const std::uint64_t last = lastCandidateIndex(std::trunc(std::sqrt(static_cast<double>(n))) + 1);
    ASSERT_NO_FATAL_FAILURE(expectAgrees(n, 1, last + 40, "from the start"));
    const std::uint64_t start = 2 + n % 61;
    ASSERT_NO_FATAL_FAILURE(expectAgrees(n, start, start + 37, "moving start"));
  }
}

TEST_P(KernelTest, SeededRandomNumbersFrom40To96BitsAndSmall) {
  const std::uint64_t seed = 0x5eed2024;
  std::mt19937_64 rng(seed);
  for (int k = 0; k < 40000; ++k) {
    const int bits = k % 4 == 3 ? 8 + static_cast<int>(rng() % 32) : 40 + static_cast<int>(rng() % 57);
    const uint128 wide = static_cast<uint128>(rng()) << 64 | rng();
    uint128 n = (wide >> (128 - bits)) | kOne << (bits - 1);
    // Starts spread over every scale up to the largest vector candidate.
    const std::uint64_t from = 1 + rng() % (std::uint64_t{1} << (rng() % 48));
    const std::uint64_t to = std::min(from + rng() % 700, kMaxVectorIndex + 200);
    if (k % 2 == 1) {
      // Plant a divisor inside the run; smaller factors of the cofactor may come first.
      const std::uint64_t d = candidateAt(from + rng() % (to - from + 1));
      const uint128 cofactor = n / d;
      n = d * (cofactor == 0 ? 1 : cofactor);
    }
    ASSERT_NO_FATAL_FAILURE(expectAgrees(n, from, to, "seed " + std::to_string(seed) + ", case " + std::to_string(k)));
  }
}

TEST_P(KernelTest, LargeCandidatesAtTheLimitOfTheLimbSplit) {
  std::mt19937_64 rng(4099);
  for (int k = 0; k < 3000; ++k) {
    const std::uint64_t from = kMaxVectorIndex - rng() % 100000;
    const std::uint64_t to = from + rng() % 400;  // may pass the vector limit
    const std::uint64_t d = candidateAt(from + rng() % (to - from + 1));
    // A cofactor that takes d * m close to 2^96.
    const uint128 m = (kOne << 96) / d - rng() % 1000;
    ASSERT_NO_FATAL_FAILURE(expectAgrees(d * m, from, to, "case " + std::to_string(k)));
    ASSERT_NO_FATAL_FAILURE(
        expectAgrees((kOne << 96) - 1 - rng() % 1000000, from, to, "near 2^96, case " + std::to_string(k)));
  }
}

TEST_P(KernelTest, HardNumbersFindTheirFactor) {
  struct Row {
    const char* name;
    uint128 n;
    std::uint64_t divisor;  // a candidate that divides n; no smaller one does within 500 indexes
  };
  const uint128 p24 = 16777213, p26 = 67108859, p27 = 134217689;
  const uint128 p26Above = 67108879, p27Above = 134217757;
  const uint128 p32 = 4294967291ull, p32Above = 4294967311ull;
  const uint128 p47 = 140737488355213ull, p48 = 281474976710597ull;
  const Row rows[] = {
      {"square of the largest prime below 2^24", p24 * p24, 16777213},
      {"largest primes below 2^26 and 2^27, product below 2^53", p26 * p27, 67108859},
      {"smallest primes above 2^26 and 2^27, product above 2^53", p26Above * p27Above, 67108879},
      {"square of the largest prime below 2^32", p32 * p32, 4294967291ull},
      {"largest prime below 2^32 times the next one, above 2^64", p32 * p32Above, 4294967291ull},
      {"largest primes below 2^47 and 2^48", p47 * p48, 140737488355213ull},
      {"largest prime below 2^48 times 65537", p48 * 65537, 281474976710597ull},
      {"largest primes below 2^47 and 2^48, the larger factor", p47 * p48, 281474976710597ull},
      {"2^64 + 1 = 274177 * 67280421310721", (kOne << 64) + 1, 274177},
      {"prime 1000003 times 2^61 - 1", uint128{1000003} * kMersenne61, 1000003},
  };
  for (const Row& row : rows) {
    const std::uint64_t index = candidatesUpTo(row.divisor);
    ASSERT_EQ(candidateAt(index), row.divisor) << row.name;
    EXPECT_EQ(firstDividingIndex(row.n, index - 500, index + 500), index) << row.name;
    EXPECT_EQ(firstDividingIndex(row.n, index - 200, index - 1), 0u) << row.name << ", run ending just before";
    ASSERT_NO_FATAL_FAILURE(expectAgrees(row.n, index + 1, index + 300, std::string(row.name) + ", run after"));
  }
  // The whole trial division of p24^2: no smaller candidate divides it.
  EXPECT_EQ(firstDividingIndex(p24 * p24, 1, candidatesUpTo(16777213) + 1), candidatesUpTo(16777213));
}

TEST_P(KernelTest, NumbersAroundThePowersWhereTheMethodsChange) {
  const uint128 centres[] = {kOne << 53, kOne << 64, (kOne << 96) - 1};
  for (const uint128 centre : centres) {
    for (int delta = -300; delta <= 300; ++delta) {
      const uint128 n = centre + delta;
      if (n >> 96 != 0) continue;
      const std::string what = "around " + hex(centre) + " by " + std::to_string(delta);
      ASSERT_NO_FATAL_FAILURE(expectAgrees(n, 1, 400, what));
      ASSERT_NO_FATAL_FAILURE(expectAgrees(n, 1000 + (delta & 7), 1100, what + ", later run"));
    }
  }
  // Whole trial division ranges of the named edges.
  for (const uint128 n : {(kOne << 53) - 1, (kOne << 53) + 1, (kOne << 64) - 1, (kOne << 96) - 1}) {
    expectAgrees(n, 1, 200000, "edge " + hex(n));
    expectAgrees(n, 2, 200000, "edge " + hex(n) + " without 3");
  }
}

// n = d * cofactor, where d is the candidate at start + k and the cofactor is
// a prime larger than every candidate of the run: d is the only candidate of
// the run that divides n (a smaller one dividing d would be below d / 2).
// Each offset k puts the divisor in another lane, including the last lane of
// a vector, the last of an unrolled round and the first after each boundary.
TEST_P(KernelTest, DivisorInEveryLanePosition) {
  struct Run {
    std::uint64_t start;
    uint128 cofactor;  // prime, above every candidate of the run
  };
  const Run runs[] = {
      {1000000, 1000000007},   // n below 2^53: direct division
      {1000001, 1000000007},   // odd start: one candidate ahead of the vectors
      {1000000, kMersenne61},  // n above 2^64: limb split
      {1000001, kMersenne61}, {2ull << 30, kMersenne61}, {(2ull << 30) + 1, kMersenne61},
  };
  for (const Run& run : runs) {
    const std::uint64_t start = run.start;
    for (std::uint64_t k = 0; k <= 80; ++k) {
      const uint128 n = candidateAt(start + k) * run.cofactor;
      if (!GetParam()->reference && !wheelSafe(n, start)) continue;  // a multiple of 5, 7, 11 or 13
      const std::string what =
          "start " + std::to_string(start) + ", offset " + std::to_string(k) + ", cofactor " + hex(run.cofactor);
      EXPECT_EQ(firstDividingIndex(n, start, start + 80), start + k) << what;
      EXPECT_EQ(firstDividingIndex(n, start, start + k), start + k) << what << ", divisor last";
      if (k >= 1) {
        EXPECT_EQ(firstDividingIndex(n, start, start + k - 1), 0u) << what << ", run ends before";
        EXPECT_EQ(firstDividingIndex(n, start + 1, start + 80), start + k) << what << ", later start";
      }
    }
  }
}

// The smallest factor one of the primes whose multiples the wheel skips:
// found from the start, and past it the later multiples may be skipped.
TEST_P(KernelTest, SmallestFactorAPrimeOfTheWheel) {
  for (const std::uint64_t p : {5u, 7u, 11u, 13u}) {
    for (const uint128 cofactor : {uint128{1000000007}, uint128{kMersenne61}}) {
      for (const uint128 n : {p * cofactor, p * p * cofactor}) {
        const std::string what = "n = " + hex(n);
        EXPECT_EQ(firstDividingIndex(n, 1, 100000), candidatesUpTo(p)) << what;
        EXPECT_EQ(firstDividingIndex(n, candidatesUpTo(p), 100000), candidatesUpTo(p)) << what;
        ASSERT_NO_FATAL_FAILURE(expectAgrees(n, candidatesUpTo(p) + 1, 100000, what + ", past it"));
        ASSERT_NO_FATAL_FAILURE(expectAgrees(n, 20000, 40000, what + ", from the wheel"));
      }
    }
  }
}

// n = d * cofactor for every candidate d coprime to 30030 of one period: a
// hit at every wheel position, so in every lane and round slot, found over
// the whole period and over runs that start and end at varied distances.
// The cofactor and the products of d's factors with it lie outside the
// period, so d is its only divisor there.
TEST_P(KernelTest, WheelHitAtEveryPositionOfAPeriod) {
  struct Period {
    std::uint64_t block;  // candidates from block * 30030 to block * 30030 + 30029
    uint128 cofactor;     // prime
  };
  constexpr std::uint64_t kIndexes = 10010;  // candidates per period
  const Period periods[] = {
      {40, 1000000007},                                      // n below 2^53
      {40, kMersenne61},                                     // limb split
      {kMaxVectorIndex / kIndexes - 1, 140737488355213ull},  // candidates near 2^49, n near 2^96
  };
  for (const Period& period : periods) {
    const std::uint64_t first = period.block * kIndexes + 1, last = first + kIndexes - 1;
    int hits = 0;
    for (std::uint64_t i = first; i <= last; ++i) {
      const std::uint64_t d = candidateAt(i);
      if (std::gcd(d, std::uint64_t{30030}) != 1) continue;
      ++hits;
      const uint128 n = d * period.cofactor;
      const std::string what = "d = " + std::to_string(d) + ", cofactor " + hex(period.cofactor);
      EXPECT_EQ(firstDividingIndex(n, first, last), i) << what;
      EXPECT_EQ(firstDividingIndex(n, i - i % 41, i + i % 37), i) << what << ", short run";
      EXPECT_EQ(firstDividingIndex(n, i - 16 - i % 23, i - 1), 0u) << what << ", run ends before";
    }
    EXPECT_EQ(hits, 5760);
  }
}

// Runs that start, and runs that end, at every index of a period and across
// into the next one, with a hit a few wheel candidates inside.
TEST_P(KernelTest, WheelRunsFromAndToEveryIndexOfAPeriod) {
  const std::uint64_t first = 77 * 10010 + 1;
  for (const uint128 cofactor : {uint128{1000000007}, uint128{kMersenne61}}) {
    for (std::uint64_t o = 0; o < 10010; ++o) {
      std::uint64_t k = o % 29;
      while (std::gcd(candidateAt(first + o + k), std::uint64_t{30030}) != 1) ++k;
      const uint128 n = candidateAt(first + o + k) * cofactor;
      const std::string what = "offset " + std::to_string(o) + ", cofactor " + hex(cofactor);
      ASSERT_NO_FATAL_FAILURE(expectAgrees(n, first + o, first + o + 100, what + ", starting there"));
      ASSERT_NO_FATAL_FAILURE(expectAgrees(n, first + o + k - 80, first + o + k, what + ", ending at the hit"));
      ASSERT_NO_FATAL_FAILURE(expectAgrees(n, first + o + k - 90, first + o + k - 1, what + ", ending before"));
    }
  }
}

// Runs tested on two threads at once, without the precondition for the later
// ones, combine to the exact first divisor by taking the smallest hit.
TEST_P(KernelTest, RunsOnTwoThreadsCombineToTheSmallestHit) {
  const uint128 numbers[] = {uint128{25} * kMersenne61, uint128{169} * 1000000007, uint128{300007} * kMersenne61,
                             uint128{16777213} * 16777213, (kOne << 96) - 17};
  constexpr std::uint64_t kLast = 300000, kRun = 997;
  for (const uint128 n : numbers) {
    std::uint64_t smallest[2] = {0, 0};
    const auto work = [&](int thread) {
      for (std::uint64_t from = 1 + thread * kRun; from <= kLast; from += 2 * kRun) {
        const std::uint64_t hit = firstDividingIndex(n, from, std::min(from + kRun - 1, kLast));
        if (hit != 0 && (smallest[thread] == 0 || hit < smallest[thread])) smallest[thread] = hit;
      }
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    const std::uint64_t got =
        smallest[0] == 0 || smallest[1] == 0 ? smallest[0] | smallest[1] : std::min(smallest[0], smallest[1]);
    EXPECT_EQ(got, referenceFirstDividing(n, 1, kLast)) << hex(n);
  }
}

// ---- The engine and the commands under each kernel ------------------------

double boundOf(uint128 n) { return std::trunc(std::sqrt(static_cast<double>(n))) + 1; }

TEST_P(KernelTest, EngineMatchesTheReferenceLoop) {
  struct Row {
    const char* name;
    uint128 n;
  };
  const Row rows[] = {
      {"prime 1000000007", 1000000007},
      {"prime 999999999989", 999999999989ull},
      {"1000003 * 1000033", uint128{1000003} * 1000033},
      {"square of 16777213", uint128{16777213} * 16777213},
      {"2^64 + 1", (kOne << 64) + 1},
      {"1000003 * (2^61 - 1)", uint128{1000003} * kMersenne61},
  };
  // A kernel that misses a divisor sends a wide number towards its square root.
  const listingtest::ListingWatchdog watchdog("engine against the reference loop", std::chrono::seconds(120));
  for (std::uint64_t stride : {1u, 7u, 100u, 4096u}) {
    for (const Row& row : rows) {
      const std::string what = std::string(row.name) + ", stride " + std::to_string(stride);
      CountingServices engineServices(stride), referenceServices(stride);
      RecordingProgress engineSteps(engineServices), referenceSteps(referenceServices);
      double engineShown = 0, referenceShown = 0;
      const auto got = trialDivide({row.n, boundOf(row.n), engineShown, engineSteps, engineServices});
      const auto want = referenceTrial({row.n, boundOf(row.n), referenceShown, referenceSteps, referenceServices});
      EXPECT_EQ(got.divisor, want.divisor) << what;
      EXPECT_EQ(got.count, want.count) << what;
      EXPECT_EQ(engineSteps.steps, referenceSteps.steps) << what;
      EXPECT_EQ(engineServices.passes, referenceServices.passes) << what;
      EXPECT_EQ(engineServices.offersBeforePass(), referenceServices.offersBeforePass()) << what;
    }
  }
}

// A pass between two block runs starts another trial division on the same
// services; the outer one then resumes its runs with its own values.
TEST_P(KernelTest, NestedTrialAtAPassBetweenBlockRuns) {
  const uint128 outerN = 999999999989ull, innerN = uint128{1000003} * kMersenne61;
  struct Run {
    TrialOutcome outer, inner;
    std::vector<Step> outerSteps, innerSteps;
    std::uint64_t passes = 0;
  };
  using Trial = TrialOutcome (*)(const TrialRun&);
  const auto run = [&](Trial trial) {
    Run r;
    CountingServices services(1000);
    RecordingProgress outer(services), inner(services);
    services.atPass = [&](std::uint64_t pass) {
      if (pass != 50) return;
      double innerShown = 0;
      r.inner = trial({innerN, boundOf(innerN), innerShown, inner, services});
    };
    double shown = 0;
    r.outer = trial({outerN, boundOf(outerN), shown, outer, services});
    r.outerSteps = outer.steps;
    r.innerSteps = inner.steps;
    r.passes = services.passes;
    return r;
  };
  const listingtest::ListingWatchdog watchdog("nested trial division", std::chrono::seconds(120));
  const Run got = run(&trialDivide);
  const Run want = run(&referenceTrial);
  EXPECT_EQ(got.inner.divisor, 1000003u);
  EXPECT_EQ(got.inner.count, candidatesUpTo(1000003));
  EXPECT_EQ(got.inner.count, want.inner.count);
  EXPECT_EQ(got.innerSteps, want.innerSteps);
  EXPECT_EQ(got.outer.divisor, 0u);
  EXPECT_EQ(got.outer.count, want.outer.count);
  EXPECT_EQ(got.outerSteps, want.outerSteps);
  EXPECT_EQ(got.passes, want.passes);
}

// Everything a command writes, with the given kernel.
std::vector<testing::Event> commandLog(const DivisorKernel& kernel,
                                       const std::function<void(testing::RecordingFake&)>& run) {
  const DivisorKernel& saved = activeKernel();
  forceKernel(kernel);
  testing::RecordingFake fake;
  fake.stride = 64;
  fake.locale = Separators::comma();
  {
    listingtest::ListingWatchdog watchdog(std::string("command under ") + kernel.name);
    run(fake);
  }
  forceKernel(saved);
  return fake.log;
}

TEST(DivisorKernelCommands, CaptionsAndCountsAreTheSameUnderEveryKernel) {
  struct Row {
    const char* name;
    std::function<void(testing::RecordingFake&)> run;
  };
  const Row rows[] = {
      {"primality test of a 12-digit prime",
       [](testing::RecordingFake& f) {
         f.texts[TextField::Text1] = "999999999989";
         runPrimalityCheck(f, f);
       }},
      {"primality test of 1000003 * (2^61 - 1)",
       [](testing::RecordingFake& f) {
         f.texts[TextField::Text1] = "2305849926742721592081853";
         runPrimalityCheck(f, f);
       }},
      {"primality test with a nested one at pass 100",
       [](testing::RecordingFake& f) {
         f.texts[TextField::Text1] = "999999999989";
         f.atPass(100, [&f] {
           f.texts[TextField::Text1] = "1000036000099";
           runPrimalityCheck(f, f);
         });
         runPrimalityCheck(f, f);
       }},
      {"next prime after 10^12",
       [](testing::RecordingFake& f) {
         f.texts[TextField::Text1] = "1000000000000";
         runNextPrimeSearch(f, f);
       }},
      {"listing of 1000000000000 to 1000000000100",
       [](testing::RecordingFake& f) {
         f.texts[TextField::Text3] = "1000000000000";
         f.texts[TextField::Text4] = "1000000000100";
         runRangeListing(f, f);
       }},
  };
  for (const Row& row : rows) {
    const DivisorKernel& scalarFull = *kernelNamed("scalar-full");
    const auto reference = commandLog(scalarFull, row.run);
    ASSERT_FALSE(reference.empty()) << row.name;
    for (const DivisorKernel& kernel : divisorKernels()) {
      if (&kernel == &scalarFull || !kernel.supported()) continue;
      EXPECT_EQ(commandLog(kernel, row.run), reference) << row.name << " under " << kernel.name;
    }
  }
}

TEST(DivisorKernelChoice, RequestsAreHonouredOnlyWhenKnownAndSupported) {
  std::string warning;
  EXPECT_EQ(&kernelForRequest(nullptr, warning), &bestKernel());
  EXPECT_TRUE(warning.empty());
  EXPECT_EQ(&kernelForRequest("", warning), &bestKernel());
  EXPECT_TRUE(warning.empty());
  EXPECT_STREQ(kernelForRequest("scalar", warning).name, "scalar");
  EXPECT_TRUE(warning.empty());
  EXPECT_EQ(&kernelForRequest("sse9", warning), &bestKernel());
  EXPECT_EQ(warning, std::string("TEILOMAT_KERNEL=sse9 is unknown (scalar, avx2, avx512, avx2-full, avx512-full, "
                                 "scalar-full, neon, neon-full); using ") +
                         bestKernel().name);
  for (const DivisorKernel& kernel : divisorKernels()) {
    const DivisorKernel& chosen = kernelForRequest(kernel.name, warning);
    EXPECT_EQ(&chosen, kernel.supported() ? &kernel : &bestKernel()) << kernel.name;
    EXPECT_EQ(warning.empty(), kernel.supported()) << kernel.name;
    EXPECT_EQ(kernelNamed(kernel.name), &kernel);
  }
  EXPECT_TRUE(kernelNamed("scalar")->supported());
  EXPECT_TRUE(kernelNamed("scalar-full")->supported());
#if defined(__aarch64__)
  EXPECT_STREQ(bestKernel().name, "neon");
#endif
  EXPECT_FALSE(bestKernel().reference);
  EXPECT_EQ(kernelNamed("AVX2"), nullptr);
}

}  // namespace
}  // namespace teilomat
