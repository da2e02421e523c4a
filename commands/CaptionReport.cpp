// The one place where a caption report becomes the caption's text.
#include "commands/CaptionReport.h"

#include "numbers/NumberFormat.h"

namespace teilomat {

std::optional<double> CaptionReport::progressPercent() const {
  switch (state) {
    case CaptionState::UnderTest: return 0.0;
    case CaptionState::Progress:
    case CaptionState::BenchmarkProgress: return percent;
    default: return std::nullopt;
  }
}

bool CaptionReport::isResult() const {
  switch (state) {
    case CaptionState::Prime:
    case CaptionState::NotPrime:
    case CaptionState::NextPrime:
    case CaptionState::ListingFound:
    case CaptionState::ListingEnded:
    case CaptionState::BenchmarkScore: return true;
    default: return false;
  }
}

std::string captionStatus(const CaptionReport& report, const Separators& separators) {
  const auto n = [&] { return report.number.toString(separators); };
  // The listing's range; the caption after each prime keeps its historic
  // "Primzalen" on purpose.
  const auto range = [&](const char* primes) {
    return std::to_string(report.count) + primes + " zwischen " + n() + " und " + report.end.toString(separators);
  };
  switch (report.state) {
    case CaptionState::Start:
    case CaptionState::Plain:
    case CaptionState::Refused: return "Teilomat";
    case CaptionState::UnderTest: return n() + " wird geprüft";
    case CaptionState::Progress:
      return n() + " ist zu " + wholeText(report.percent) + " % überprüft; " + std::to_string(report.count) +
             " Zahlen als mög. Teiler getestet";
    case CaptionState::Prime: return n() + " ist Prim";  // the capital P is historic
    case CaptionState::NotPrime: return n() + " ist keine Primzahl";
    case CaptionState::NextPrime: return n() + " ist die nächste Primzahl";
    case CaptionState::ListingFound: return range(" Primzalen");
    case CaptionState::ListingEnded: return range(" Primzahlen");
    case CaptionState::BenchmarkProgress: return "Primmarktest zu " + wholeText(report.percent) + " % fertig";
    case CaptionState::BenchmarkScore:
      return "Vergleichspunkte: " + wholeText(report.percent) + " --- Realpunkte: " + wholeText(report.points);
    case CaptionState::Cancelled: return "abgebrochen";
  }
  return "Teilomat";
}

std::string captionText(const CaptionReport& report, const Separators& separators) {
  switch (report.state) {
    case CaptionState::Start: return "Teilomat ";
    case CaptionState::Plain:
    case CaptionState::Refused: return "Teilomat";
    default: return "Teilomat - (" + captionStatus(report, separators) + ")";
  }
}

}  // namespace teilomat
