// The primality test's loop beside bare remainder loops over the same candidates.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>

#include "ReferenceLoops.h"
#include "commands/Commands.h"
#include "engine/TrialDivision.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using namespace teilomat::bench;

constexpr std::uint64_t kSlice = 100000000;  // candidates per slice of the large numbers

class NoProgress : public TrialProgress {
 public:
  void percentChanged(double percent, std::uint64_t) override { benchmark::DoNotOptimize(percent); }
};

// A slice of kSlice candidates: the bound just below the last one.
double sliceBound() { return static_cast<double>(candidateAt(kSlice) - 1); }

void BM_PrimalityTest_999999999999989(benchmark::State& state) { runInitialPrimalityTest(state); }
void BM_Reference_999999999999989(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<std::uint64_t>(999999999999989ull, 10540927));
}

void engineSlice(benchmark::State& state, uint128 n) {
  testing::RecordingFake fake;
  fake.stride = 65536;  // the real window's stride
  NoProgress progress;
  for (auto _ : state) {
    double shown = 0;
    const auto outcome = trialDivide({n, sliceBound(), shown, progress, fake});
    if (outcome.count != kSlice) state.SkipWithError("slice ended early");
  }
}
void BM_Engine_2To64Prime_Slice(benchmark::State& state) { engineSlice(state, kFirstPrimeAbove2To64); }
void BM_Reference_2To64Prime_Slice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<uint128>(kFirstPrimeAbove2To64, kSlice));
}
void BM_ReferenceTwoStep_2To64Prime_Slice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoopTwoStep(kFirstPrimeAbove2To64, kSlice));
}
void BM_Engine_29Digits_Slice(benchmark::State& state) { engineSlice(state, kTwentyNineDigits); }
void BM_Reference_29Digits_Slice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<uint128>(kTwentyNineDigits, kSlice));
}
void BM_ReferenceTwoStep_29Digits_Slice(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoopTwoStep(kTwentyNineDigits, kSlice));
}

BENCHMARK(BM_Reference_999999999999989)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrimalityTest_999999999999989)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference_2To64Prime_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReferenceTwoStep_2To64Prime_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Engine_2To64Prime_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Reference_29Digits_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReferenceTwoStep_29Digits_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Engine_29Digits_Slice)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace teilomat
