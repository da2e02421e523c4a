// Command5: every prime from Text3 to Text4 into List1, by trial division of each candidate.
#include <string>

#include "commands/CandidateWalk.h"
#include "commands/CommandMessages.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "numbers/NumberFormat.h"
#include "numbers/Uint128Text.h"

namespace teilomat {
namespace {

// The reports of one listing; the range's texts are formed once.
class ListingReport {
 public:
  ListingReport(OutputSurface& out, const Separators& separators, const DecimalNumber& start, const DecimalNumber& end)
      : out_(out),
        separators_(separators),
        range_(" Primzahlen zwischen " + start.toString(separators) + " und " + end.toString(separators)),
        start_(start),
        end_(end) {}

  // The stopwatch is halted first, so the time shown is the time at which
  // the prime was found, not the time its report took.
  void prime(uint128 prime) {
    const double milliseconds = haltedRunTime();
    ++primes_;
    const std::string count = std::to_string(primes_);
    out_.setLabel1("Es gibt " + count + range_);
    out_.setCaption(CaptionReport::listing(CaptionState::ListingFound, primes_, start_, end_));
    writeTime(milliseconds);
    out_.appendToList(prime);
  }
  // The end itself was prime: the time once more; the caption stays.
  void endWasPrime() { writeTime(haltedRunTime()); }
  // Esc ended the listing while it tested m.
  void cancelledAt(uint128 m) {
    const double milliseconds = haltedRunTime();
    out_.setLabel1("Auflistung bei " + toDecimalText(m) + " abgebrochen: " + std::to_string(primes_) +
                   " Primzahlen ab " + start_.toString(separators_) + " gefunden");
    out_.setLabel2("Die Auflistung wurde nach " + durationText(milliseconds, separators_) + " abgebrochen.");
  }
  // A candidate passed the end.
  void pastEnd() { out_.setCaption(CaptionReport::listing(CaptionState::ListingEnded, primes_, start_, end_)); }

 private:
  double haltedRunTime() {
    xTimer& timer = out_.stopwatch();
    timer.Halt();
    return timer.RunTime();
  }
  void writeTime(double milliseconds) {
    out_.setLabel2("Es gibt " + std::to_string(primes_) + range_ + ". Die Auflistung hat " +
                   durationText(milliseconds, separators_) + " gedauert.");
  }

  OutputSurface& out_;
  const Separators separators_;
  const std::string range_;  // " Primzahlen zwischen <start> und <end>"
  const DecimalNumber start_, end_;
  std::uint64_t primes_ = 0;
};

// Lists the primes from the start (whole, >= 10) until a candidate passes
// the end or a prime reaches it. The end is compared natively: a whole
// candidate is past it when it is past its whole part, and reaches it only
// when the end is whole.
void listPrimes(OutputSurface& out, PlatformServices& services, const DecimalNumber& start, const DecimalNumber& end) {
  ListingReport report(out, services.separators(), start, end);
  if (end < 0) return report.pastEnd();
  // At most 2^96 - 1, so a candidate beyond that is past the end.
  const uint128 last = Fix(end).magnitude();
  const bool endIsWhole = end.isWhole();
  CandidateWalk walk(out, services, last);
  for (uint128 m = Fix(start).magnitude();; ++m) {
    if (m > last) return report.pastEnd();
    if (!telling([&] { report.cancelledAt(m); }, [&] { return walk.isPrime(m); })) continue;
    report.prime(m);
    if (endIsWhole && m == last) return report.endWasPrime();
  }
}

}  // namespace

void runRangeListing(OutputSurface& out, PlatformServices& services) {
  out.clearList();
  startStopwatch(out);
  out.setText(TextField::Text2, "");

  // The end is read first and has no guard: a text of 1e29 or more fails
  // its conversion instead.
  const std::string startText = out.text(TextField::Text3);
  const std::optional<DecimalNumber> end = readOrRefuse(out, services, out.text(TextField::Text4), nullptr, true);
  if (!end) return;
  const std::optional<DecimalNumber> start = readOrRefuse(out, services, startText, messages::kAbort, true);
  if (!start) return;
  if (*start < 10) return refuseAndBeep(out, services, messages::kBelowTen);
  // With a fraction no candidate would be whole, and every one would be listed.
  if (!start->isWhole()) return refuseAndBeep(out, services, messages::kFraction);

  listPrimes(out, services, *start, *end);
  beepIfChecked(out, services);
}

}  // namespace teilomat
