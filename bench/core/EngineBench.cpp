// The primality test's loop beside bare remainder loops over the same candidates.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "RecordingFake.h"
#include "primes/Commands.h"
#include "primes/TrialDivision.h"

namespace teilomat {
namespace {

constexpr std::uint64_t kSlice = 100000000;  // candidates per slice of the large numbers

uint128 parse128(const char* digits) {
  uint128 v = 0;
  for (const char* p = digits; *p; ++p) v = v * 10 + static_cast<unsigned>(*p - '0');
  return v;
}

const uint128 kFirstPrimeAbove2To64 = parse128("18446744073709551629");
const uint128 kTwentyNineDigits = parse128("79228158514264330609326343541");

// The bare reference: the candidate sequence with nothing but n % d == 0.
template <class N>
std::uint64_t bareLoop(N n, std::uint64_t lastIndex) {
  std::uint64_t count = 0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++count;
    if (n % d == 0 || count == lastIndex) return d;
  }
}

// 128-bit reference in two hardware divisions, (high mod d, low) by d.
std::uint64_t bareLoopTwoStep(uint128 n, std::uint64_t lastIndex) {
  const auto high = static_cast<std::uint64_t>(n >> 64);
  const auto low = static_cast<std::uint64_t>(n);
  std::uint64_t count = 0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++count;
    std::uint64_t q, r;
    asm("divq %4" : "=a"(q), "=d"(r) : "a"(low), "d"(high % d), "rm"(d) : "cc");
    benchmark::DoNotOptimize(q);
    if (r == 0 || count == lastIndex) return d;
  }
}

class NoProgress : public TrialProgress {
 public:
  void percentChanged(double percent, std::uint64_t) override { benchmark::DoNotOptimize(percent); }
};

// A slice of kSlice candidates: the bound just below the last one.
double sliceBound() { return static_cast<double>(candidateAt(kSlice) - 1); }

void BM_PrimalityTest_999999999999989(benchmark::State& state) {
  testing::RecordingFake fake;
  fake.stride = 4096;
  for (auto _ : state) {
    fake.texts[TextField::Text1] = "999999999999989";
    runPrimalityTest(fake, fake);
    fake.log.clear();
  }
}
void BM_Reference_999999999999989(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bareLoop<std::uint64_t>(999999999999989ull, 10540927));
}

void engineSlice(benchmark::State& state, uint128 n) {
  testing::RecordingFake fake;
  fake.stride = 4096;
  NoProgress progress;
  for (auto _ : state) {
    double shown = 0;
    const auto outcome = trialDivide(n, sliceBound(), shown, progress, fake);
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
