// Command2: the smallest prime above the number in Text1, by trial division of each candidate.
#include <string>

#include "commands/CandidateWalk.h"
#include "commands/CommandMessages.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "numbers/NumberFormat.h"
#include "numbers/Uint128Text.h"

namespace teilomat {

// Every ending but success refuses through refuseAndBeep: caption
// "Teilomat", the box, then the common end's beep once the box is closed.
void runNextPrimeSearch(OutputSurface& out, PlatformServices& services) {
  const std::optional<DecimalNumber> input = startText1Command(
      out, services, "Nächste Primzahl", "Pri&mzahl ins Eingabefeld kopieren", messages::kAbort, true);
  if (!input) return;
  const DecimalNumber n = *input;
  const Separators separators = services.separators();
  const std::string nText = n.toString(separators);
  out.setText(TextField::Text2, "Alte Eingabe: " + nText);

  if (n < 10) return refuseAndBeep(out, services, messages::kBelowTen);
  // Every candidate would keep the fraction, no divisor would divide it, and
  // n + 1 would come out as "prime".
  if (!n.isWhole()) return refuseAndBeep(out, services, messages::kFraction);

  // The candidates are whole and below 2^96, so they are stepped natively.
  const uint128 start = Fix(n).magnitude();
  uint128 m = start;
  CandidateWalk walk(out, services);
  xTimer& timer = out.stopwatch();
  const auto halted = [&] {
    timer.Halt();
    return timer.RunTime();
  };
  const auto sayCancelled = [&] {
    out.setLabel1("Suche nach der nächsten Primzahl nach " + nText + " bei " + toDecimalText(m) + " abgebrochen");
    out.setLabel2("Ursprungszahl: " + nText + " --- Suche nach " + durationText(halted(), separators) + " abgebrochen");
  };
  do {
    if (m == DecimalNumber::kMaxMagnitude) return refuseAndBeep(out, services, messages::kAbort);
    ++m;
  } while (!telling(sayCancelled, [&] { return walk.isPrime(m); }));

  const double milliseconds = halted();
  const std::string pText = toDecimalText(m);
  // The texts keep the program's historic wording, slips included (the two
  // blanks after "ist", "Abstandt", "gefundene"): they are not to be corrected.
  out.setLabel1("Nächste Primzahl die nach der Zahl " + nText + " kommt ist  " + pText);
  out.setText(TextField::Text2, pText);
  out.setCaption(CaptionReport::about(CaptionState::NextPrime, m));
  beepIfChecked(out, services);
  out.setLabel2("Ursprungszahl: " + nText + " --- Abstandt zwischen Ursprungszahl und gefundene Primzahl: " +
                toDecimalText(m - start) + " --- Dauer der Prüfung: " + durationText(milliseconds, separators));
  beepIfChecked(out, services);
}

}  // namespace teilomat
