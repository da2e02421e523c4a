// The next-prime search, the range listing and the save, each beside a bare reference loop.
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "WindowLikeFake.h"
#include "commands/Commands.h"

namespace teilomat {
namespace {

// The bare trial division of one odd candidate: the divisors 3, 5, 7, 11,
// 13, ... up to the first one past the bound, stopping at a divisor. Adds
// the divisions to `divisions`; true when m is prime.
bool bareIsPrime(std::uint64_t m, std::uint64_t& divisions) {
  const double bound = std::trunc(std::sqrt(static_cast<double>(m))) + 1.0;
  for (std::uint64_t d = 3;; d += 2) {
    if (d > 3 && d % 3 == 0) continue;
    ++divisions;
    if (m % d == 0) return false;
    if (static_cast<double>(d) > bound) return true;
  }
}

using QuietWindow = bench::WindowLikeFake;

void BM_Reference_Search_999999999999989(benchmark::State& state) {
  std::uint64_t divisions = 0;
  for (auto _ : state) {
    divisions = 0;
    std::uint64_t m = 999999999999989;
    do ++m;
    while (m % 2 == 0 || !bareIsPrime(m, divisions));
    if (m != 1000000000000037) state.SkipWithError("wrong prime");
  }
  state.counters["divisions"] = static_cast<double>(divisions);
}
void BM_Search_999999999999989(benchmark::State& state) {
  QuietWindow fake;
  for (auto _ : state) {
    fake.texts[TextField::Text1] = "999999999999989";
    runNextPrimeSearch(fake, fake);
    if (fake.texts[TextField::Text2] != "1000000000000037") state.SkipWithError("wrong prime");
    fake.log.clear();
  }
}

// The listing from 10^12 over `width` numbers.
void BM_Reference_Listing(benchmark::State& state) {
  const std::uint64_t from = 1000000000000, to = from + static_cast<std::uint64_t>(state.range(0));
  std::uint64_t divisions = 0, primes = 0;
  for (auto _ : state) {
    divisions = primes = 0;
    for (std::uint64_t m = from; m <= to; ++m)
      if (m % 2 != 0 && bareIsPrime(m, divisions)) ++primes;
    benchmark::DoNotOptimize(primes);
  }
  state.counters["divisions"] = static_cast<double>(divisions);
  state.counters["primes"] = static_cast<double>(primes);
}
void BM_Listing(benchmark::State& state) {
  const std::uint64_t from = 1000000000000, to = from + static_cast<std::uint64_t>(state.range(0));
  QuietWindow fake;
  fake.texts[TextField::Text3] = std::to_string(from);
  fake.texts[TextField::Text4] = std::to_string(to);
  for (auto _ : state) {
    fake.captionsWritten = 0;
    runRangeListing(fake, fake);
    fake.log.clear();
  }
  state.counters["primes"] = static_cast<double>(fake.list.size());
  state.counters["captions"] = static_cast<double>(fake.captionsWritten);
}

// The save of 1,000,000 primes of 13 digits (from 10^12, found by a
// segmented sieve) beside one bare write of the same bytes.
std::vector<uint128> millionPrimes() {
  const std::uint64_t from = 1000000000000, width = 28000000;
  const std::uint64_t root = 1000001;
  std::vector<bool> small(root + 1, true), composite(width, false);
  for (std::uint64_t p = 2; p <= root; ++p) {
    if (!small[p]) continue;
    for (std::uint64_t k = p * p; k <= root; k += p) small[k] = false;
    for (std::uint64_t k = (from + p - 1) / p * p; k < from + width; k += p) composite[k - from] = true;
  }
  std::vector<uint128> primes;
  primes.reserve(1000000);
  for (std::uint64_t i = 0; i < width && primes.size() < 1000000; ++i)
    if (!composite[i]) primes.push_back(from + i);
  return primes;
}
std::filesystem::path benchFile() {
  return std::filesystem::temp_directory_path() / ("teilomat-bench-" + std::to_string(::getpid()) + "-Primzahlen.txt");
}
// The same bytes written in one piece to a temporary, synced and renamed over
// the file: the floor of a save that never leaves a partial file.
void BM_Reference_WriteMillionLines(benchmark::State& state) {
  std::string bytes;
  for (const uint128 p : millionPrimes())
    bytes += (bytes.empty() ? "" : "\r\n") + std::to_string(static_cast<std::uint64_t>(p));
  const auto file = benchFile();
  const std::string temporary = file.string() + ".tmp";
  for (auto _ : state) {
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0 ||
        ::fsync(::fileno(f)) != 0 || std::fclose(f) != 0 || std::rename(temporary.c_str(), file.c_str()) != 0)
      state.SkipWithError("write failed");
  }
  std::filesystem::remove(file);
}
void BM_Save_MillionPrimes(benchmark::State& state) {
  QuietWindow fake;
  fake.list = millionPrimes();
  const auto file = benchFile();
  for (auto _ : state) {
    runSaveListing(fake, fake, file);
    if (!fake.log.empty()) state.SkipWithError("save failed");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}

BENCHMARK(BM_Reference_Search_999999999999989)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_999999999999989)->Unit(benchmark::kMillisecond);
// A routine width; the full 100000 of the stated workload runs about 2 s a
// side: select it with --benchmark_filter=Listing/100000.
BENCHMARK(BM_Reference_Listing)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Listing)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference_Listing)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Listing)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Reference_WriteMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save_MillionPrimes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace teilomat
