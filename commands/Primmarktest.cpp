// Command4: the Primmarktest, a benchmark timing a fixed trial division in doubles.
#include "commands/Primmarktest.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "commands/CommandMessages.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "engine/TrialDivision.h"
#include "numbers/ClockValue.h"
#include "numbers/NumberFormat.h"
#include "timing/xTimer.h"

namespace teilomat {
namespace {

// The number is read through a volatile so that the compiler cannot fold the
// quotients or prove the divisibility test false and drop the divisions.
double benchmarkNumber() {
  volatile double source = kPrimmarktestNumber;
  return source;
}

// "Realtpunkte" (the prompt says "Realpunkte") is the program's historic spelling; it stays.
std::string scoresText(double vergleichspunkte, double realpunkte) {
  return "Du hast beim Primmark Test " + wholeText(vergleichspunkte) + " Vergleichspunkte und " +
         wholeText(realpunkte) + " Realtpunkte (Je kleiner desto besser). ";
}

}  // namespace

// The prompt keeps its historic wording, slips included ("zum ermitteln",
// "Bitte gebe ein", "Mhz", "Pc"): it is not to be corrected.
const std::string& primmarktestPrompt() {
  static const std::string prompt =
      std::string("Realpunkte: Tatsächliche Leistung des PCs") + std::string(86, ' ') +
      std::string(
          "Vergleichspunkte: Leistung des PCs in Vergleich zu anderen PCs (z.B. wenn ein 800 MHz "
          "Rechner 16 Sek für den Primmarktest braucht, und ein 400 MHz Rechner 32 Sek, haben "
          "beide im Vergleich betrachtet die gleiche Leistung ! [400*32 = 800*16]. Aber "
          "realistisch gesehen hat ein 800 MHz Rechner mehr Leistung. Darum Realpunkte zum "
          "ermitteln der tatsächlichen Leistung und Vergleichspunkte zum Vergleichen mit "
          "langsameren oder schnelleren PCs)") +
      std::string(153, ' ') +
      std::string("Außerdem gilt bei den Realpunkten und Vergleichspunkten: Je weniger desto besser !!!") +
      std::string(106, ' ') + std::string("Bitte gebe ein wieviele Mhz der Pc besitzt");
  return prompt;
}

std::uint64_t runPrimmarktestWorkload(OutputSurface& out, PlatformServices& services, double* shown) {
  const double n = benchmarkNumber();
  const double bound = std::trunc(std::sqrt(n)) + 1.0;
  double ownPercent = 0.0;
  double& shownPercent = shown ? *shown : ownPercent;
  shownPercent = 0.0;  // nothing shown yet counts as 0
  std::uint64_t tested = 0;
  std::uint64_t d = 1;
  for (;;) {
    d += 2;
    if (d > 3 && d % 3 == 0) continue;  // skipped: no percent, no division
    ++tested;
    const double percent = percentAt(bound, d);
    if (percent != shownPercent) {
      out.setCaption(CaptionReport::benchmarkProgress(percent));
      shownPercent = percent;
    }
    const double q = n / static_cast<double>(d);
    services.offerEventPass();
    // n is prime, so this never holds; the exit keeps the test observable.
    if (q == std::trunc(q)) break;
    if (static_cast<double>(d) > bound) break;
  }
  return tested;
}

void runPrimmarktest(OutputSurface& out, PlatformServices& services) {
  out.setCaption(CaptionReport::plain());
  const std::string answer =
      services.inputBox(primmarktestPrompt(), kPrimmarktestPromptLeftTwips, kPrimmarktestPromptTopTwips);
  const double clock = readClockValue(answer);
  // Cancel, an empty answer, no leading number or 0 itself: a quiet end.
  if (clock == 0.0) return;
  // An answer beyond the range of doubles can give no score at all.
  if (!std::isfinite(clock)) return refuseInput(out, services, messages::kClockOutOfRange);

  xTimer& timer = startStopwatch(out);
  double shownPercent = 0;
  telling(
      [&] {
        timer.Halt();
        out.setLabel1("Primmarktest bei " + wholeText(shownPercent) + " % abgebrochen, ohne Punkte");
        out.setLabel2("Mhz: " + generalNumberText(clock, services.separators()) + " --- Primmarktest nach " +
                      durationText(timer.RunTime(), services.separators()) + " abgebrochen");
      },
      [&] { return runPrimmarktestWorkload(out, services, &shownPercent); });
  timer.Halt();
  const double t = timer.RunTime();

  const double realpunkte = std::trunc(t);
  // Product first, then the division: an overflow shows in the product only,
  // and only once the time is known, so the workload has run by then.
  const double product = realpunkte * clock;
  if (!std::isfinite(product)) return refuseInput(out, services, messages::kScoreOverflow);
  const double vergleichspunkte = std::trunc(product / 1000.0);

  const std::string scores = scoresText(vergleichspunkte, realpunkte);
  out.setLabel2("Mhz: " + generalNumberText(clock, services.separators()) + " --- " + scores);
  out.setLabel1(scores);
  beepIfChecked(out, services);
  out.setCaption(CaptionReport::benchmarkScore(vergleichspunkte, realpunkte));
}

}  // namespace teilomat
