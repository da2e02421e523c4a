// Form1 with real Qt event passes beside the recording fake, List1's speed and memory per entry, and event latency.
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/ApplicationSetup.h"
#include "app/Form1.h"
#include "commands/Commands.h"
#include "support/RecordingFake.h"

namespace {

// Shows the window as a user sees it and returns its control `name`.
template <class Control>
Control* shownControl(teilomat::Form1& form, const char* name) {
  form.showCentred();
  QCoreApplication::processEvents();
  return form.findChild<Control*>(name);
}

const char* const kNumber = "999999999999989";  // prime: 10540927 candidates, the full loop

// Reference: the command on the recording fake, which offers a pass per
// candidate (stride 1) and logs every caption.
void PrimalityTest_RecordingFake(benchmark::State& state) {
  for (auto _ : state) {
    teilomat::testing::RecordingFake fake;
    fake.texts[teilomat::TextField::Text1] = kNumber;
    teilomat::runPrimalityCheck(fake, fake);
    benchmark::DoNotOptimize(fake.label1);
  }
}

// The fake with the stride of the Qt services: the bare computation, the
// fairest measure of what Form1's real passes and widgets add.
void PrimalityTest_RecordingFakeQtStride(benchmark::State& state) {
  for (auto _ : state) {
    teilomat::testing::RecordingFake fake;
    fake.stride = teilomat::QtPlatformServices::kStride;
    fake.texts[teilomat::TextField::Text1] = kNumber;
    teilomat::runPrimalityCheck(fake, fake);
    benchmark::DoNotOptimize(fake.label1);
  }
}

// The same test pressed on the real, shown window: captions into the window
// title, Qt's event processing at every due pass (default interval), the
// results into the labels.
void PrimalityTest_Form1Offscreen(benchmark::State& state) {
  teilomat::Form1 form;
  auto* command1 = shownControl<QPushButton>(form, "Command1");
  form.setText(teilomat::TextField::Text1, kNumber);
  for (auto _ : state) command1->click();
  const QString result = form.findChild<QLabel*>("Label1")->text();
  if (result != QString("Zahl %1 ist prim").arg(kNumber)) state.SkipWithError("wrong result on Form1");
  state.counters["realPasses"] =
      benchmark::Counter(static_cast<double>(form.services().realPasses()), benchmark::Counter::kAvgIterations);
}

// A long listing in the real List1: 100,000 entries appended one by one (as
// the listing does), the view scrolled to the end and repainted, then saved.
void List1_HundredThousandEntries(benchmark::State& state) {
  teilomat::Form1 form;
  auto* list = shownControl<QAbstractItemView>(form, "List1");
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "teilomat-bench-Primzahlen.txt";
  for (auto _ : state) {
    form.clearList();
    for (int i = 0; i < 100000; ++i) form.appendToList(1000000000039ull + 2ull * i);
    list->scrollToBottom();
    list->repaint();
    QCoreApplication::processEvents();
    teilomat::runSaveListing(form, form.services(), file);
  }
  std::filesystem::remove(file);
  if (form.listCount() != 100000) state.SkipWithError("List1 lost entries");
}

// The resident set of this process in bytes (Linux), 0 where unknown.
double residentBytes() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The primes from `from` to `to` by a sieve of Eratosthenes.
std::vector<std::uint64_t> sievedPrimes(std::size_t from, std::size_t to) {
  std::vector<bool> composite(to + 1, false);
  std::vector<std::uint64_t> primes;
  for (std::size_t i = 2; i <= to; ++i) {
    if (composite[i]) continue;
    if (i >= from) primes.push_back(i);
    for (std::size_t j = i * i; j <= to; j += i) composite[j] = true;
  }
  return primes;
}

// What a listing of 10 to 10^7 (664,579 primes) costs in memory: the real
// List1 is filled through appendToList, shown at the end and scrolled, and
// the growth of the resident set is divided by the entries. The primes are
// sieved before the first reading and freed after the second.
void List1_MemoryPerEntryTenToTenMillion(benchmark::State& state) {
  teilomat::Form1 form;
  auto* list = shownControl<QAbstractItemView>(form, "List1");
  double perEntry = 0;
  for (auto _ : state) {
    form.clearList();
    QCoreApplication::processEvents();
    const std::vector<std::uint64_t> primes = sievedPrimes(10, 10'000'000);
    const double before = residentBytes();
    for (const std::uint64_t prime : primes) form.appendToList(prime);
    QCoreApplication::processEvents();
    list->scrollToBottom();
    list->repaint();
    QCoreApplication::processEvents();
    perEntry = (residentBytes() - before) / static_cast<double>(primes.size());
    if (form.listCount() != primes.size() || form.listEntry(primes.size() - 1) != primes.back())
      state.SkipWithError("List1 lost entries");
  }
  state.counters["bytesPerEntry"] = perEntry;
}

// A listing by the command itself (Command5), as a user runs it, of 10 to
// 10^6 (78,494 primes; to 10^7 it would take a minute): new rows reach the
// view once per event pass.
void List1_MemoryPerEntryListingCommand(benchmark::State& state) {
  teilomat::Form1 form;
  auto* command5 = shownControl<QPushButton>(form, "Command5");
  // A short listing first, so that what any run allocates once (the
  // stopwatch, the texts of the labels) is not counted against the entries.
  form.setText(teilomat::TextField::Text3, "10");
  form.setText(teilomat::TextField::Text4, "1000");
  command5->click();
  form.setText(teilomat::TextField::Text4, "1000000");
  double perEntry = 0;
  for (auto _ : state) {
    form.clearList();
    QCoreApplication::processEvents();
    const double before = residentBytes();
    command5->click();
    perEntry = (residentBytes() - before) / static_cast<double>(form.listCount());
  }
  if (form.listCount() != 78494) state.SkipWithError("wrong number of primes");
  state.counters["bytesPerEntry"] = perEntry;
}

// How long a window event waits while a long primality test keeps every
// core busy: a 1 ms precise timer runs during the test of 2^64 + 13 (about
// 1.4e9 candidates) in the real window; each gap between its firings beyond
// the 1 ms is the delay of an event. Reports the largest delay and the 99th
// percentile.
void EventLatency_DuringPrimalityTest(benchmark::State& state) {
  teilomat::Form1 form;
  auto* command1 = shownControl<QPushButton>(form, "Command1");
  const char* const prime = "18446744073709551629";
  form.setText(teilomat::TextField::Text1, prime);
  QElapsedTimer clock;
  qint64 lastFiring = -1;
  std::vector<qint64> gaps;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(1);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (lastFiring >= 0) gaps.push_back(now - lastFiring);
    lastFiring = now;
  });
  for (auto _ : state) {
    lastFiring = -1;
    clock.start();
    timer.start();
    command1->click();
    timer.stop();
  }
  if (form.findChild<QLabel*>("Label1")->text() != QString("Zahl %1 ist prim").arg(prime))
    state.SkipWithError("wrong result on Form1");
  if (gaps.empty()) return state.SkipWithError("the timer never fired during the test");
  std::sort(gaps.begin(), gaps.end());
  const auto delayMs = [](qint64 gap) { return static_cast<double>(gap) / 1e6 - 1.0; };
  state.counters["max_delay_ms"] = delayMs(gaps.back());
  state.counters["p99_delay_ms"] = delayMs(gaps[gaps.size() * 99 / 100]);
  state.counters["firings"] = static_cast<double>(gaps.size());
}

}  // namespace

// Only the counter matters in these two: bytes per entry.
BENCHMARK(List1_MemoryPerEntryTenToTenMillion)->Iterations(1);
BENCHMARK(List1_MemoryPerEntryListingCommand)->Iterations(1);
BENCHMARK(EventLatency_DuringPrimalityTest)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(List1_HundredThousandEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PrimalityTest_RecordingFake)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PrimalityTest_RecordingFakeQtStride)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PrimalityTest_Form1Offscreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  teilomat::ApplicationSetup::configure(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
