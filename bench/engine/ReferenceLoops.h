// The loops that the trial-division benchmarks share: the bare references and the whole primality test.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>

#include "commands/Commands.h"
#include "numbers/DecimalNumber.h"
#include "support/Parse128.h"
#include "support/RecordingFake.h"

namespace teilomat::bench {

using testing::parse128;

inline const uint128 kFirstPrimeAbove2To64 = parse128("18446744073709551629");
inline const uint128 kTwentyNineDigits = parse128("79228158514264330609326343541");

// The bare reference: the candidate sequence with nothing but n % d == 0.
template <class N>
inline std::uint64_t bareLoop(N n, std::uint64_t lastIndex) {
  std::uint64_t count = 0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++count;
    if (n % d == 0 || count == lastIndex) return d;
  }
}

// 128-bit reference in two hardware divisions, (high mod d, low) by d.
inline std::uint64_t bareLoopTwoStep(uint128 n, std::uint64_t lastIndex) {
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

// The whole primality test of 999999999999989 on the recording fake, with
// the event-pass stride of the real window.
inline void runInitialPrimalityTest(benchmark::State& state) {
  testing::RecordingFake fake;
  fake.stride = 65536;  // the real window's stride
  for (auto _ : state) {
    fake.texts[TextField::Text1] = "999999999999989";
    runPrimalityCheck(fake, fake);
    fake.log.clear();
  }
}

}  // namespace teilomat::bench
