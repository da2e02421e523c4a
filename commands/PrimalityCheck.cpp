// Command1: the primality check of Text1 by trial division, naming a divisor pair.
#include <string>

#include "commands/CommandMessages.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "commands/ProgressCaption.h"
#include "engine/SquareRootBound.h"
#include "engine/TrialDivision.h"
#include "numbers/NumberFormat.h"

namespace teilomat {

void runPrimalityCheck(OutputSurface& out, PlatformServices& services) {
  const std::optional<DecimalNumber> input = startText1Command(
      out, services, "Größter Teiler", "Teilerzahl ins Eingabefeld kopieren", messages::kGuard, false);
  if (!input) return;
  xTimer& timer = out.stopwatch();
  // 1 and fractions are no primes, and 0 or negatives have no divisor pair
  // worth naming: trial division would report them wrongly.
  const DecimalNumber n = *input;
  const Separators separators = services.separators();
  if (!n.isWhole()) return refuseInput(out, services, messages::kFraction);
  if (n < 2) return refuseInput(out, services, messages::kBelowTwo);

  const std::string nText = n.toString(separators);
  out.setCaption(CaptionReport::about(CaptionState::UnderTest, n));
  const double bound = squareRootBound(n);
  const uint128 value = Fix(n).magnitude();
  auto duration = [&] {
    timer.Halt();
    return durationText(timer.RunTime(), separators);
  };

  if (n > 2 && value % 2 == 0) {
    const std::string took = duration();
    out.setLabel1("Zahl " + nText + " ist gerade und größer 2 und kann deshalb keine Primzahl sein");
    out.setLabel2("Es wurde die 2 als Teiler probiert !! --- Dauer der Prüfung: " + took);
    out.setText(TextField::Text2, (n / DecimalNumber(2)).toString(separators));
    out.setCaption(CaptionReport::about(CaptionState::NotPrime, n));
    beepIfChecked(out, services);
    return;
  }

  if (value == 2 || value == 3 || value == 5 || value == 7 || value == 9) {
    const std::string took = duration();
    // "multiplieziert" in this one text and "ist Prim" with a capital are the
    // program's historic spellings; they stay.
    if (value == 9) out.setLabel1("Zahl ist nicht prim (zwei Teiler die multiplieziert 9 ergeben, sind z.B. 3 und 3)");
    else out.setLabel1("Zahl " + nText + " ist prim");
    out.setLabel2(messages::divisorsTriedText("1", false, took));
    beepIfChecked(out, services);
    out.setCaption(CaptionReport::about(value == 9 ? CaptionState::NotPrime : CaptionState::Prime, n));
    return;
  }

  double shownPercent = 0;
  ProgressCaption progress(out, 2);
  progress.beginRun(value);
  const TrialOutcome outcome = telling(
      [&] {
        out.setLabel1("Prüfung von " + nText + " bei " + wholeText(progress.shownPercent()) + " % abgebrochen");
        out.setLabel2("Die Prüfung wurde nach " + duration() + " abgebrochen.");
      },
      [&] {
        return trialDivide({value, bound, shownPercent, progress, services});
      });
  const std::string count = std::to_string(outcome.count);

  if (outcome.divisor != 0) {
    const DecimalNumber d(static_cast<std::int64_t>(outcome.divisor));
    const DecimalNumber k = n / d;
    const std::string took = duration();
    const std::string dText = d.toString(separators);
    const std::string kText = k.toString(separators);
    out.setLabel1("Zahl ist nicht prim (Teiler die multipliziert " + nText + " ergeben, sind z.B. " + dText + " und " +
                  kText + ")");
    out.setLabel2(messages::divisorsTriedText(count, outcome.count > 1, took));
    out.setText(TextField::Text2, d > k ? "Teiler: " + dText : kText);
    out.setCaption(CaptionReport::about(CaptionState::NotPrime, n));
    beepIfChecked(out, services);
    return;
  }

  out.setLabel1("Zahl " + nText + " ist prim");
  out.setLabel2(messages::divisorsTriedText(count, true, duration()));
  out.setCaption(CaptionReport::about(CaptionState::Prime, n));
  beepIfChecked(out, services);
}

}  // namespace teilomat
