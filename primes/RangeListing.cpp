// Command5: every prime from Text3 to Text4 into List1, by trial division of each candidate.
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

// The candidates and the primes found; the texts are shown in every report.
class Listing {
 public:
  Listing(OutputSurface& out, PlatformServices& services, const DecimalNumber& start,
          const DecimalNumber& end)
      : out_(out),
        services_(services),
        separators_(services.separators()),
        end_(end),
        range_(" Primzahlen zwischen " + start.toString(separators_) + " und " +
               end.toString(separators_)),
        rangeMisspelt_(" Primzalen zwischen " + start.toString(separators_) + " und " +
                       end.toString(separators_)),
        progress_(out) {}

  // Tests the candidates from `first` upwards until one passes the end or a
  // prime reaches it. first >= 10 and whole.
  void run(uint128 first) {
    double shownPercent = 0;  // carried from candidate to candidate
    for (uint128 m = first;; ++m) {
      // The end is at most 2^96 - 1, so a candidate beyond that is past it.
      if (m > DecimalNumber::kMaxMagnitude || DecimalNumber::fromParts(m, 0, false) > end_) {
        out_.setCaption("Teilomat - (" + std::to_string(primes_) + range_ + ")");
        return;
      }
      const DecimalNumber candidate = DecimalNumber::fromParts(m, 0, false);
      const std::string mText = candidate.toString(separators_);
      out_.setCaption("Teilomat - (" + mText + " wird geprüft)");
      const double bound = squareRootBound(candidate);
      if (m % 2 == 0) continue;  // even (every candidate is above 2): no trial division

      progress_.beginCandidate(mText);
      const TrialOutcome outcome = trialDivide(m, bound, shownPercent, progress_, services_);
      progress_.endCandidate(outcome.count);
      if (outcome.divisor != 0) continue;

      reportPrime(mText);
      if (candidate >= end_) {
        // The end itself is prime: the time once more, the caption stays.
        reportTime();
        return;
      }
    }
  }

 private:
  void reportPrime(const std::string& primeText) {
    ++primes_;
    const std::string count = std::to_string(primes_);
    out_.setLabel1("Es gibt " + count + range_);
    out_.setCaption("Teilomat - (" + count + rangeMisspelt_ + ")");
    reportTime();
    out_.appendToList(primeText);
  }

  // Label2 with the time from the run's start to now.
  void reportTime() {
    xTimer& timer = out_.stopwatch();
    timer.Halt();
    out_.setLabel2("Es gibt " + std::to_string(primes_) + range_ + ". Die Auflistung hat " +
                   durationText(timer.RunTime(), separators_) + " gedauert.");
  }

  OutputSurface& out_;
  PlatformServices& services_;
  const Separators separators_;
  const DecimalNumber end_;
  const std::string range_;          // " Primzahlen zwischen <start> und <end>"
  const std::string rangeMisspelt_;  // the each-prime caption's form
  CandidateProgress progress_;
  std::uint64_t primes_ = 0;
};

}  // namespace

void runRangeListing(OutputSurface& out, PlatformServices& services) {
  out.clearList();
  xTimer& timer = out.stopwatch();
  timer.Calibrieren();
  timer.Start();
  out.setText(TextField::Text2, "");

  // The end is read first and has no guard: a text of 1e29 or more fails
  // its conversion instead.
  const Separators separators = services.separators();
  const std::string startText = out.text(TextField::Text3);
  const InputReading end = readNumber(out.text(TextField::Text4), separators, false);
  if (end.status != InputStatus::Ok) {
    refuseInput(out, services, conversionFailureMessage(end.status));
    return beepIfChecked(out, services);
  }
  const InputReading start = readNumber(startText, separators);
  if (start.status != InputStatus::Ok) {
    refuseInput(out, services, start.status == InputStatus::TooManyDigits
                                   ? kAbortMessage
                                   : conversionFailureMessage(start.status));
    return beepIfChecked(out, services);
  }
  if (start.value < 10) {
    refuseInput(out, services, kBelowTenMessage);
    return beepIfChecked(out, services);
  }
  // With a fraction no candidate would be whole, and every one would be listed.
  if (!start.value.isWhole()) {
    refuseInput(out, services, kFractionMessage);
    return beepIfChecked(out, services);
  }

  Listing listing(out, services, start.value, end.value);
  listing.run(Fix(start.value).magnitude());
  beepIfChecked(out, services);
}

}  // namespace teilomat
