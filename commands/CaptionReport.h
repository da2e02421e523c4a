// What the window caption reports: the number a command works on and what is happening to it.
#pragma once

// A command does not write its caption as text. It reports a typed value,
// and the caption's text is made from it in one place, captionText(), only
// when someone sees it: the window shows its caption at event passes, so
// most captions of a long loop are replaced unseen, and building their text
// would cost more than the trial divisions between them. Everything that
// wants to know what a command is doing (the desktop's launcher progress and
// notifications, a screen reader) reads the report, never the text.
//
// A report is a small value (about 80 bytes) that is copied, never
// allocated; it holds numbers, not texts. The caption's frame
// "Teilomat - (" … ")" and every wording live in CaptionReport.cpp.

#include <cstdint>
#include <optional>
#include <string>

#include "numbers/DecimalNumber.h"
#include "numbers/Separators.h"

namespace teilomat {

enum class CaptionState : std::uint8_t {
  Start,              // "Teilomat " as the window opens
  Plain,              // "Teilomat": a command starts afresh (the Primmarktest's prompt)
  Refused,            // "Teilomat": input refused, a box says why
  UnderTest,          // "<n> wird geprüft"
  Progress,           // "<n> ist zu <p> % überprüft; <k> Zahlen als mög. Teiler getestet"
  Prime,              // "<n> ist Prim"
  NotPrime,           // "<n> ist keine Primzahl"
  NextPrime,          // "<n> ist die nächste Primzahl"
  ListingFound,       // "<k> Primzalen zwischen <n> und <end>", after each prime found
  ListingEnded,       // "<k> Primzahlen zwischen <n> und <end>", a candidate passed the end
  BenchmarkProgress,  // "Primmarktest zu <p> % fertig"
  BenchmarkScore,     // "Vergleichspunkte: <v> --- Realpunkte: <r>"
  Cancelled,          // "abgebrochen": Esc ended the command
};

struct CaptionReport {
  CaptionState state = CaptionState::Start;
  DecimalNumber number;     // the subject; the start of a listing's range
  DecimalNumber end;        // the end of a listing's range
  double percent = 0;       // Progress, BenchmarkProgress; Vergleichspunkte for a score
  double points = 0;        // Realpunkte of a score
  std::uint64_t count = 0;  // divisors tried so far; primes listed so far

  static CaptionReport plain() { return of(CaptionState::Plain); }
  static CaptionReport refused() { return of(CaptionState::Refused); }
  static CaptionReport cancelled() { return of(CaptionState::Cancelled); }
  // UnderTest, Prime, NotPrime or NextPrime of n.
  static CaptionReport about(CaptionState state, const DecimalNumber& n) {
    CaptionReport report = of(state);
    report.number = n;
    return report;
  }
  static CaptionReport about(CaptionState state, uint128 n) {
    return about(state, DecimalNumber::fromParts(n, 0, false));
  }
  static CaptionReport progress(uint128 n, double percent, std::uint64_t count) {
    CaptionReport report = about(CaptionState::Progress, n);
    report.percent = percent;
    report.count = count;
    return report;
  }
  // ListingFound or ListingEnded.
  static CaptionReport listing(CaptionState state, std::uint64_t primes, const DecimalNumber& start,
                               const DecimalNumber& end) {
    CaptionReport report = about(state, start);
    report.end = end;
    report.count = primes;
    return report;
  }
  static CaptionReport benchmarkProgress(double percent) {
    CaptionReport report = of(CaptionState::BenchmarkProgress);
    report.percent = percent;
    return report;
  }
  static CaptionReport benchmarkScore(double vergleichspunkte, double realpunkte) {
    CaptionReport report = of(CaptionState::BenchmarkScore);
    report.percent = vergleichspunkte;
    report.points = realpunkte;
    return report;
  }
  static CaptionReport of(CaptionState state) {
    CaptionReport report;
    report.state = state;
    return report;
  }

  // The whole percent a running command has reached, where the caption
  // shows one; a number's test starts at 0.
  std::optional<double> progressPercent() const;
  // Whether the caption tells the outcome of a command: a verdict, a
  // listing's count, a score (not progress, not a refusal).
  bool isResult() const;
};

// The caption's text, numbers written with the given separators.
std::string captionText(const CaptionReport& report, const Separators& separators);
// What the caption says inside "Teilomat - (" … ")": "97 ist Prim". For
// the plain "Teilomat" captions, which say nothing, "Teilomat".
std::string captionStatus(const CaptionReport& report, const Separators& separators);

}  // namespace teilomat
