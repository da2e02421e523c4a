// Command2: the smallest prime above the number in Text1, by trial division of each candidate.
#include <string>

#include "primes/CandidateProgress.h"
#include "primes/CommandSupport.h"
#include "primes/Commands.h"
#include "primes/NumberInput.h"
#include "primes/TrialDivision.h"
#include "timing/xTimer.h"

namespace teilomat {
namespace {

const char* const kAbortMessage = "Abbruch !!! Die getestete Zahl hat mehr als 29 Stellen !!!";
const char* const kBelowTenMessage =
    " 2, 3, 5, 7 sind die Primzahlen unter 10. Bitte gebe mindestens 10 als Zahl ein";

// Every ending but success: caption "Teilomat", the box, then the common
// end's beep once the box is closed.
void refuseAndEnd(OutputSurface& out, PlatformServices& services, const std::string& message) {
  refuseInput(out, services, message);
  beepIfChecked(out, services);
}

std::string wholeNumberText(uint128 value, const Separators& separators) {
  return DecimalNumber::fromParts(value, 0, false).toString(separators);
}

}  // namespace

void runNextPrimeSearch(OutputSurface& out, PlatformServices& services) {
  xTimer& timer = out.stopwatch();
  timer.Calibrieren();
  timer.Start();
  out.setText(TextField::Text2, "");
  out.setFrame4Caption("Nächste Primzahl");
  out.setCommand3Caption("Pri&mzahl ins Eingabefeld kopieren");

  const Separators separators = services.separators();
  const InputReading input = readNumber(out.text(TextField::Text1), separators);
  if (input.status == InputStatus::TooManyDigits) return refuseAndEnd(out, services, kAbortMessage);
  if (input.status != InputStatus::Ok)
    return refuseAndEnd(out, services, conversionFailureMessage(input.status));
  const DecimalNumber n = input.value;
  const std::string nText = n.toString(separators);
  out.setText(TextField::Text2, "Alte Eingabe: " + nText);

  if (n < 10) return refuseAndEnd(out, services, kBelowTenMessage);
  // Every candidate would keep the fraction, no divisor would divide it, and
  // n + 1 would come out as "prime".
  if (!n.isWhole()) return refuseAndEnd(out, services, kFractionMessage);

  // The candidates are whole and below 2^96, so they are stepped natively;
  // their text is formed once per candidate for its caption.
  const uint128 start = Fix(n).magnitude();
  uint128 m = start;
  double shownPercent = 0;  // carried from candidate to candidate
  CandidateProgress progress(out);
  for (;;) {
    if (m == DecimalNumber::kMaxMagnitude) return refuseAndEnd(out, services, kAbortMessage);
    ++m;
    const DecimalNumber candidate = DecimalNumber::fromParts(m, 0, false);
    const std::string mText = candidate.toString(separators);
    out.setCaption("Teilomat - (" + mText + " wird geprüft)");
    const double bound = squareRootBound(candidate);
    if (m % 2 == 0) continue;  // even: no trial division

    progress.beginCandidate(mText);
    const TrialOutcome outcome = trialDivide(m, bound, shownPercent, progress, services);
    progress.endCandidate(outcome.count);
    if (outcome.divisor == 0) break;
  }

  timer.Halt();
  const double milliseconds = timer.RunTime();
  const std::string pText = wholeNumberText(m, separators);
  out.setLabel1("Nächste Primzahl die nach der Zahl " + nText + " kommt ist  " + pText);
  out.setText(TextField::Text2, pText);
  out.setCaption("Teilomat - (" + pText + " ist die nächste Primzahl)");
  beepIfChecked(out, services);
  out.setLabel2("Ursprungszahl: " + nText +
                " --- Abstandt zwischen Ursprungszahl und gefundene Primzahl: " +
                wholeNumberText(m - start, separators) +
                " --- Dauer der Prüfung: " + durationText(milliseconds, separators));
  beepIfChecked(out, services);
}

}  // namespace teilomat
