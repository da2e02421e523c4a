// The Primmarktest workload against a bare loop of the same double arithmetic.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>

#include "commands/Commands.h"
#include "commands/Primmarktest.h"
#include "engine/TrialDivision.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

// The reference: per tested candidate the percent and its comparison, the
// quotient and its truncation test, exactly as the workload does them, but
// no caption text and no offer of an event pass.
struct BareResult {
  std::uint64_t tested;
  double shown;
};

__attribute__((noinline)) BareResult bareLoop(double n) {
  const double bound = std::trunc(std::sqrt(n)) + 1.0;
  double shown = 0.0;
  std::uint64_t tested = 0;
  std::uint64_t d = 1;
  for (;;) {
    d += 2;
    if (d > 3 && d % 3 == 0) continue;
    ++tested;
    const double percent = percentAt(bound, d);
    if (percent != shown) {
      shown = percent;
      benchmark::ClobberMemory();
    }
    const double q = n / static_cast<double>(d);
    if (q == std::trunc(q)) break;
    if (static_cast<double>(d) > bound) break;
  }
  return {tested, shown};
}

void BM_PrimmarktestBareLoop(benchmark::State& state) {
  double n = kPrimmarktestNumber;
  for (auto _ : state) {
    benchmark::DoNotOptimize(n);
    BareResult r = bareLoop(n);
    benchmark::DoNotOptimize(r);
  }
  state.counters["candidates/s"] =
      benchmark::Counter(static_cast<double>(kPrimmarktestCandidates), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PrimmarktestBareLoop)->Unit(benchmark::kMillisecond);

// The workload as the command runs it, the recording fake standing in for
// the window; the argument is the event-pass stride (the window uses a large one).
void BM_PrimmarktestWorkload(benchmark::State& state) {
  testing::RecordingFake fake;
  fake.stride = static_cast<std::uint64_t>(state.range(0));
  for (auto _ : state) {
    fake.log.clear();
    benchmark::DoNotOptimize(runPrimmarktestWorkload(fake, fake));
  }
  state.counters["candidates/s"] =
      benchmark::Counter(static_cast<double>(kPrimmarktestCandidates), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PrimmarktestWorkload)->Arg(4096)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole command, prompt and stopwatch included, with the real steady
// clock: reports the Realpunkte the fake window would show.
void BM_PrimmarktestCommand(benchmark::State& state) {
  double realpunkte = 0;
  for (auto _ : state) {
    testing::RecordingFake fake;
    fake.stride = 65536;  // the real window's stride
    fake.answerInputBox("800");
    fake.stopwatch() = xTimer();  // the real counter instead of the fed one
    runPrimmarktest(fake, fake);
    realpunkte = std::trunc(fake.stopwatch().RunTime());
  }
  state.counters["Realpunkte"] = realpunkte;
}
BENCHMARK(BM_PrimmarktestCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace teilomat
