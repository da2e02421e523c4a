// Command1: the primality test of Text1 by trial division, naming a divisor pair.
#include <string>

#include "primes/CommandSupport.h"
#include "primes/Commands.h"
#include "primes/NumberInput.h"
#include "primes/TrialDivision.h"
#include "timing/xTimer.h"

namespace teilomat {
namespace {

const char* const kGuardMessage = "Nur Zahlen mit maximal 29 Stellen eingeben !!";
const char* const kBelowTwoMessage =
    "Primzahlen gibt es erst ab 2. Bitte gebe mindestens 2 als Zahl ein !!";

// The progress caption; "tried" counts 2 among the divisors tried.
class PrimalityProgress final : public TrialProgress {
 public:
  PrimalityProgress(OutputSurface& out, const std::string& numberText)
      : out_(out), prefix_("Teilomat - (" + numberText + " ist zu ") {}
  void percentChanged(double percent, std::uint64_t index) override {
    out_.setCaption(prefix_ + wholeText(percent) + " % überprüft; " + std::to_string(index + 1) +
                    " Zahlen als mög. Teiler getestet)");
  }

 private:
  OutputSurface& out_;
  std::string prefix_;
};

}  // namespace

void runPrimalityTest(OutputSurface& out, PlatformServices& services) {
  xTimer& timer = out.stopwatch();
  timer.Calibrieren();
  timer.Start();
  out.setText(TextField::Text2, "");
  out.setFrame4Caption("Größter Teiler");
  out.setCommand3Caption("Teilerzahl ins Eingabefeld kopieren");

  const Separators separators = services.separators();
  const InputReading input = readNumber(out.text(TextField::Text1), separators);
  if (input.status == InputStatus::TooManyDigits) return refuseInput(out, services, kGuardMessage);
  if (input.status != InputStatus::Ok)
    return refuseInput(out, services, conversionFailureMessage(input.status));
  // 1 and fractions are no primes, and 0 or negatives have no divisor pair
  // worth naming: trial division would report them wrongly.
  const DecimalNumber n = input.value;
  if (!n.isWhole()) return refuseInput(out, services, kFractionMessage);
  if (n < 2) return refuseInput(out, services, kBelowTwoMessage);

  const std::string nText = n.toString(separators);
  out.setCaption("Teilomat - (" + nText + " wird geprüft)");
  const double bound = squareRootBound(n);
  const uint128 value = Fix(n).magnitude();

  if (n > 2 && value % 2 == 0) {
    timer.Halt();
    const std::string duration = durationText(timer.RunTime(), separators);
    out.setLabel1("Zahl " + nText + " ist gerade und größer 2 und kann deshalb keine Primzahl sein");
    out.setLabel2("Es wurde die 2 als Teiler probiert !! --- Dauer der Prüfung: " + duration);
    out.setText(TextField::Text2, (n / DecimalNumber(2)).toString(separators));
    out.setCaption("Teilomat - (" + nText + " ist keine Primzahl)");
    beepIfChecked(out, services);
    return;
  }

  if (value == 2 || value == 3 || value == 5 || value == 7 || value == 9) {
    timer.Halt();
    const std::string duration = durationText(timer.RunTime(), separators);
    if (value == 9)
      out.setLabel1("Zahl ist nicht prim (zwei Teiler die multiplieziert 9 ergeben, sind z.B. 3 und 3)");
    else
      out.setLabel1("Zahl " + nText + " ist prim");
    out.setLabel2("Es wurde 1 verschiedene Zahl als Teiler probiert !! --- Dauer der Prüfung: " +
                  duration);
    beepIfChecked(out, services);
    out.setCaption("Teilomat - (" + nText + (value == 9 ? " ist keine Primzahl)" : " ist Prim)"));
    return;
  }

  double shownPercent = 0;
  PrimalityProgress progress(out, nText);
  const TrialOutcome outcome = trialDivide(value, bound, shownPercent, progress, services);
  const std::string count = std::to_string(outcome.count);

  if (outcome.divisor != 0) {
    const DecimalNumber d(static_cast<std::int64_t>(outcome.divisor));
    const DecimalNumber k = n / d;
    timer.Halt();
    const std::string duration = durationText(timer.RunTime(), separators);
    const std::string dText = d.toString(separators);
    const std::string kText = k.toString(separators);
    out.setLabel1("Zahl ist nicht prim (Teiler die multipliziert " + nText + " ergeben, sind z.B. " +
                  dText + " und " + kText + ")");
    out.setLabel2(outcome.count > 1
                      ? "Es wurden " + count + " verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: " + duration
                      : "Es wurde " + count + " verschiedene Zahl als Teiler probiert !! --- Dauer der Prüfung: " + duration);
    out.setText(TextField::Text2, d > k ? "Teiler: " + dText : kText);
    out.setCaption("Teilomat - (" + nText + " ist keine Primzahl)");
    beepIfChecked(out, services);
    return;
  }

  out.setLabel1("Zahl " + nText + " ist prim");
  timer.Halt();
  out.setLabel2("Es wurden " + count + " verschiedene Zahlen als Teiler probiert !! --- Dauer der Prüfung: " +
                durationText(timer.RunTime(), separators));
  out.setCaption("Teilomat - (" + nText + " ist Prim)");
  beepIfChecked(out, services);
}

}  // namespace teilomat
