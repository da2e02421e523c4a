// Each divisibility kernel in the engine and the commands, beside bare scalar remainder loops.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceLoops.h"
#include "WindowLikeFake.h"
#include "commands/Commands.h"
#include "engine/SquareRootBound.h"
#include "engine/TrialDivision.h"
#include "engine/WorkerThreads.h"
#include "engine/kernels/DivisorKernels.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using namespace teilomat::bench;

constexpr std::uint64_t kLongSlice = 1000000000;  // candidates per slice of the large numbers

// The kernel alone on a slice far from the start, in runs of the length the
// engine hands it between event passes (4096) and in long runs.
constexpr std::uint64_t kSliceStart = 1000000000000 / 3;   // candidates near 10^12
constexpr double kWholeTestCandidates = 93824992236886.0;  // 2^96 - 17 up to its square root
const uint128 kLargestPrimeBelow2To96 = (uint128{1} << 96) - 17;
// The smallest 23-digit prime; scripts/cross-windows.sh runs its slice in the
// Linux build and in the Windows build under Wine, one after the other.
const uint128 kTwentyThreeDigitPrime = parse128("10000000000000000000009");

constexpr std::uint64_t kListingStart = 1000000000000;
constexpr std::uint64_t kListingEnd = 1000000100000;

// The listing's bare reference: every odd number of the range divided by
// the candidates up to its square root or its smallest divisor.
std::uint64_t bareListing() {
  std::uint64_t primes = 0;
  for (std::uint64_t m = kListingStart | 1; m <= kListingEnd; m += 2) {
    const auto bound = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(m))) + 1;
    bool prime = true;
    for (std::uint64_t d = 3; d <= bound + 1; d += 2) {
      if (d > 3 && d % 3 == 0) continue;
      if (m % d == 0) {
        prime = false;
        break;
      }
    }
    primes += prime;
  }
  return primes;
}

class NoProgress : public TrialProgress {
 public:
  void percentChanged(double percent, std::uint64_t) override { benchmark::DoNotOptimize(percent); }
};

// Forces one kernel for a benchmark body and restores the previous one, so
// that the other benchmarks of the binary keep the processor's choice.
class KernelScope {
 public:
  KernelScope(benchmark::State& state, const DivisorKernel& kernel) : saved_(activeKernel()) {
    state.SetLabel(kernel.name);
    supported_ = forceKernel(kernel);
    if (!supported_) state.SkipWithError("kernel not supported by this processor");
  }
  ~KernelScope() { forceKernel(saved_); }
  bool supported() const { return supported_; }

 private:
  const DivisorKernel& saved_;
  bool supported_ = false;
};

void wholeTest(benchmark::State& state, const DivisorKernel& variant) {
  const ScopedThreadCount oneThread(1);
  const KernelScope scope(state, variant);
  if (!scope.supported()) return;
  runInitialPrimalityTest(state);
}

// A slice of kLongSlice candidates of n with the window's kind of passes
// (by the clock), on `threads` threads (0: every hardware thread); with
// `whole`, the whole trial division up to the square root instead.
void slice(benchmark::State& state, uint128 n, int threads, bool whole = false) {
  const ScopedThreadCount count(threads == 0 ? workerThreadCount() : threads);
  testing::RecordingFake fake;
  fake.stride = 65536;  // the real window's stride
  fake.clockLike = true;
  NoProgress progress;
  const double bound = whole ? squareRootBound(n) : static_cast<double>(candidateAt(kLongSlice) - 1);
  double fastest = 1e300;
  std::uint64_t candidates = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    double shown = 0;
    const auto outcome = trialDivide({n, bound, shown, progress, fake});
    fastest = std::min(fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    candidates = outcome.count;
    if (whole ? outcome.divisor != 0 : outcome.count != kLongSlice)
      state.SkipWithError(whole ? "a divisor of a prime" : "slice ended early");
  }
  state.counters["threads"] = workerThreadCount();
  state.counters["ns_per_candidate"] = fastest * 1e9 / static_cast<double>(candidates);
  state.counters["fastest_s"] = fastest;
  // The whole test of a 29-digit prime at this rate, in hours.
  state.counters["whole_29_digit_test_h"] = fastest / static_cast<double>(candidates) * kWholeTestCandidates / 3600;
}

void longSlice(benchmark::State& state, const DivisorKernel& variant, uint128 n) {
  const KernelScope scope(state, variant);
  if (!scope.supported()) return;
  slice(state, n, 1);
}

void kernelSlice(benchmark::State& state, const DivisorKernel& variant, uint128 n) {
  const KernelScope scope(state, variant);
  if (!scope.supported()) return;
  const auto run = static_cast<std::uint64_t>(state.range(0));
  for (auto _ : state) {
    for (std::uint64_t from = kSliceStart; from < kSliceStart + kLongSlice; from += run)
      if (firstDividingIndex(n, from, from + run - 1) != 0) state.SkipWithError("a divisor in the slice");
  }
  using benchmark::Counter;
  state.counters["s_per_candidate"] = Counter(kLongSlice, Counter::kIsIterationInvariantRate | Counter::kInvert);
  // Seconds for a whole primality test of 2^96 - 17 on one thread at this rate.
  state.counters["whole_29_digit_test_s"] =
      Counter(kLongSlice / kWholeTestCandidates, Counter::kIsIterationInvariantRate | Counter::kInvert);
}

// The listing command on `threads` threads (0: every hardware thread).
void listing(benchmark::State& state, int threads) {
  const ScopedThreadCount count(threads == 0 ? workerThreadCount() : threads);
  state.counters["threads"] = workerThreadCount();
  for (auto _ : state) {
    WindowLikeFake fake;
    fake.texts[TextField::Text3] = std::to_string(kListingStart);
    fake.texts[TextField::Text4] = std::to_string(kListingEnd);
    runRangeListing(fake, fake);
    benchmark::DoNotOptimize(fake.list.size());
  }
}

void listingCommand(benchmark::State& state, const DivisorKernel& variant) {
  const KernelScope scope(state, variant);
  if (!scope.supported()) return;
  listing(state, 1);
}

// The listing's trial divisions alone, without the command's texts.
void listingEngine(benchmark::State& state, const DivisorKernel& variant) {
  const ScopedThreadCount oneThread(1);
  const KernelScope scope(state, variant);
  if (!scope.supported()) return;
  testing::RecordingFake fake;
  fake.stride = 65536;  // the real window's stride
  NoProgress progress;
  for (auto _ : state) {
    std::uint64_t primes = 0;
    double shown = 0;
    for (std::uint64_t m = kListingStart | 1; m <= kListingEnd; m += 2) {
      const double bound = std::trunc(std::sqrt(static_cast<double>(m))) + 1;
      primes += trialDivide({m, bound, shown, progress, fake}).divisor == 0;
    }
    benchmark::DoNotOptimize(primes);
  }
}

void BM_Reference_999999999999989(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<std::uint64_t>(999999999999989ull, 10540927));
}
void BM_Reference_2To64Prime_LongSlice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<uint128>(kFirstPrimeAbove2To64, kLongSlice));
}
void BM_ReferenceTwoStep_2To64Prime_LongSlice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoopTwoStep(kFirstPrimeAbove2To64, kLongSlice));
}
void BM_Reference_29Digits_LongSlice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<uint128>(kTwentyNineDigits, kLongSlice));
}
void BM_ReferenceTwoStep_29Digits_LongSlice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoopTwoStep(kTwentyNineDigits, kLongSlice));
}
void BM_Reference_23DigitPrime_LongSlice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<uint128>(kTwentyThreeDigitPrime, kLongSlice));
}
void BM_Reference_Listing(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareListing());
}

// The kernels this processor has, each reference ("-full") just before the
// wheel kernel of its kind.
std::vector<const DivisorKernel*> supportedVariants() {
  std::vector<const DivisorKernel*> variants;
  for (const DivisorKernel& kernel : divisorKernels()) {
    if (kernel.reference || !kernel.supported()) continue;
    if (const DivisorKernel* full = kernelNamed(std::string(kernel.name) + "-full"); full && full->supported())
      variants.push_back(full);
    variants.push_back(&kernel);
  }
  return variants;
}

// Each measurement once per kernel, named .../scalar, .../avx2, .../avx512;
// each reference runs just before the kernels it is compared with.
const bool registered = [] {
  const std::vector<const DivisorKernel*> variants = supportedVariants();
  const auto perKernel = [&](const std::string& name, auto body, auto configure) {
    for (const DivisorKernel* v : variants)
      configure(benchmark::RegisterBenchmark((name + "/" + v->name).c_str(),
                                             [body, v](benchmark::State& s) { body(s, *v); }));
  };
  const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
  const auto once = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->Iterations(1); };

  ms(benchmark::RegisterBenchmark("BM_Reference_WholeTest_999999999999989", BM_Reference_999999999999989));
  perKernel("BM_Kernel_999999999999989", wholeTest, ms);
  once(benchmark::RegisterBenchmark("BM_Reference_2To64Prime_LongSlice", BM_Reference_2To64Prime_LongSlice));
  once(benchmark::RegisterBenchmark("BM_ReferenceTwoStep_2To64Prime_LongSlice",
                                    BM_ReferenceTwoStep_2To64Prime_LongSlice));
  perKernel(
      "BM_Kernel_2To64Prime_LongSlice",
      [](benchmark::State& s, const DivisorKernel& v) { longSlice(s, v, kFirstPrimeAbove2To64); }, once);
  once(benchmark::RegisterBenchmark("BM_Reference_29Digits_LongSlice", BM_Reference_29Digits_LongSlice));
  once(benchmark::RegisterBenchmark("BM_ReferenceTwoStep_29Digits_LongSlice", BM_ReferenceTwoStep_29Digits_LongSlice));
  perKernel(
      "BM_Kernel_29Digits_LongSlice",
      [](benchmark::State& s, const DivisorKernel& v) { longSlice(s, v, kTwentyNineDigits); }, once);
  // Full sequence against wheel, side by side; compare the minimum over repetitions.
  const auto sliceRuns = [](benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(4096)->Arg(std::int64_t{1} << 22);
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
  };
  for (const auto& [name, n] :
       {std::pair<const char*, uint128>{"29Digits", kLargestPrimeBelow2To96}, {"2To64Prime", kFirstPrimeAbove2To64}}) {
    for (const DivisorKernel* v : variants)
      sliceRuns(benchmark::RegisterBenchmark((std::string("BM_KernelSlice_") + name + "/" + v->name).c_str(),
                                             [v, n = n](benchmark::State& s) { kernelSlice(s, *v, n); }));
  }
  once(benchmark::RegisterBenchmark("BM_Reference_ListingBare", BM_Reference_Listing));
  perKernel("BM_Kernel_ListingCommand", listingCommand, once);
  perKernel("BM_Kernel_ListingEngine", listingEngine, once);

  // Every hardware thread against one, with the processor's kernel, side by side.
  const auto timed = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->Iterations(3); };
  once(benchmark::RegisterBenchmark("BM_Reference_23DigitPrime_LongSlice", BM_Reference_23DigitPrime_LongSlice));
  timed(benchmark::RegisterBenchmark("BM_Threads_23DigitPrime_WholeTest/all",
                                     [](benchmark::State& s) { slice(s, kTwentyThreeDigitPrime, 0, true); }));
  for (const auto& [number, n] : {std::pair<const char*, uint128>{"29Digits", kLargestPrimeBelow2To96},
                                  {"2To64Prime", kFirstPrimeAbove2To64},
                                  {"23DigitPrime", kTwentyThreeDigitPrime}}) {
    for (const auto& [name, threads] : {std::pair<const char*, int>{"one", 1}, {"all", 0}}) {
      timed(benchmark::RegisterBenchmark((std::string("BM_Threads_") + number + "_LongSlice/" + name).c_str(),
                                         [n = n, threads = threads](benchmark::State& s) { slice(s, n, threads); }));
    }
  }
  for (const auto& [name, threads] : {std::pair<const char*, int>{"one", 1}, {"all", 0}}) {
    timed(benchmark::RegisterBenchmark((std::string("BM_Threads_ListingCommand/") + name).c_str(),
                                       [threads = threads](benchmark::State& s) { listing(s, threads); }));
  }
  return true;
}();

}  // namespace
}  // namespace teilomat
