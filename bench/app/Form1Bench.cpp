// The primality test of 999999999999989 through Form1 with real Qt event passes, beside the recording fake; event latency.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QLabel>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingFake.h"
#include "app/ApplicationSetup.h"
#include "app/Form1.h"
#include "commands/Commands.h"

namespace {

const char* const kNumber = "999999999999989";  // prime: 10540927 candidates, the full loop

// Reference: the command on the recording fake, which offers a pass per
// candidate (stride 1) and logs every caption.
void PrimalityTest_RecordingFake(benchmark::State& state) {
  for (auto _ : state) {
    teilomat::testing::RecordingFake fake;
    fake.texts[teilomat::TextField::Text1] = kNumber;
    teilomat::runPrimalityTest(fake, fake);
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
    teilomat::runPrimalityTest(fake, fake);
    benchmark::DoNotOptimize(fake.label1);
  }
}

// The same test pressed on the real, shown window: captions into the window
// title, Qt's event processing at every due pass (default interval), the
// results into the labels.
void PrimalityTest_Form1Offscreen(benchmark::State& state) {
  teilomat::Form1 form;
  form.showCentred();
  QCoreApplication::processEvents();
  auto* command1 = form.findChild<QPushButton*>("Command1");
  form.setText(teilomat::TextField::Text1, kNumber);
  for (auto _ : state) command1->click();
  const QString result = form.findChild<QLabel*>("Label1")->text();
  if (result != QString("Zahl %1 ist prim").arg(kNumber)) state.SkipWithError("wrong result on Form1");
  state.counters["realPasses"] = benchmark::Counter(static_cast<double>(form.services().realPasses()),
                                                    benchmark::Counter::kAvgIterations);
}

// A long listing in the real List1: 100,000 entries appended one by one (as
// the listing does), the view scrolled to the end and repainted, then saved.
void List1_HundredThousandEntries(benchmark::State& state) {
  teilomat::Form1 form;
  form.showCentred();
  QCoreApplication::processEvents();
  auto* list = form.findChild<QListWidget*>("List1");
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "teilomat-bench-Primzahlen.txt";
  for (auto _ : state) {
    form.clearList();
    for (int i = 0; i < 100000; ++i) form.appendToList(std::to_string(1000000000039ull + 2ull * i));
    list->scrollToBottom();
    list->repaint();
    QCoreApplication::processEvents();
    teilomat::runSaveListing(form, form.services(), file);
  }
  std::filesystem::remove(file);
  if (form.listCount() != 100000) state.SkipWithError("List1 lost entries");
}

// How long a window event waits while a long primality test keeps every
// core busy: a 1 ms precise timer runs during the test of 2^64 + 13 (about
// 1.4e9 candidates) in the real window; each gap between its firings beyond
// the 1 ms is the delay of an event. Reports the largest delay and the 99th
// percentile.
void EventLatency_DuringPrimalityTest(benchmark::State& state) {
  teilomat::Form1 form;
  form.showCentred();
  QCoreApplication::processEvents();
  auto* command1 = form.findChild<QPushButton*>("Command1");
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

BENCHMARK(EventLatency_DuringPrimalityTest)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(List1_HundredThousandEntries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PrimalityTest_RecordingFake)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PrimalityTest_RecordingFakeQtStride)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PrimalityTest_Form1Offscreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  teilomat::ApplicationSetup::configure(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
