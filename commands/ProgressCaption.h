// The progress caption of a trial division: "<m> ist zu <p> % überprüft; <k> Zahlen als mög. Teiler getestet".
#pragma once

#include <cstdint>
#include <string>

#include "commands/OutputSurface.h"
#include "engine/TrialDivision.h"

namespace teilomat {

// Writes the progress caption whenever the whole percent of a trial division
// changes. The count shown at the run's i-th divisor (i >= 2) is i + 1, the
// divisors tried with 2 counted too. At a run's first divisor it is what the
// previous run left: the primality test shows 2 there; a search or listing,
// which trial-divides one candidate after another, shows 3 at its first
// candidate and count + 2 after a candidate that tested `count` divisors (its
// count is raised only after the caption). Cost: one small report per
// caption; the text is built only when the window shows it.
class ProgressCaption final : public TrialProgress {
 public:
  // firstCount: what the first run's first divisor shows.
  ProgressCaption(OutputSurface& out, std::uint64_t firstCount) : out_(out), leftover_(firstCount) {}

  // The whole number whose trial division comes next.
  void beginRun(uint128 number) { number_ = number; }
  // The run tested `count` divisors.
  void endRun(std::uint64_t count) { leftover_ = count + 2; }

  void percentChanged(double percent, std::uint64_t index) override;

  // The whole percent the caption showed last.
  double shownPercent() const { return shownPercent_; }

 private:
  OutputSurface& out_;
  uint128 number_ = 0;
  std::uint64_t leftover_;
  double shownPercent_ = 0;
};

}  // namespace teilomat
