// The progress caption of the commands that test one candidate after another.
#pragma once

#include <cstdint>
#include <string>

#include "primes/NumberInput.h"
#include "primes/OutputSurface.h"
#include "primes/TrialDivision.h"

namespace teilomat {

// Writes "Teilomat - (<m> ist zu <p> % überprüft; <count> Zahlen als mög.
// Teiler getestet)" for the candidates of a search or a listing. The count
// is the run's divisor count, which is raised after the caption: a caption
// at a candidate's first divisor shows what the previous candidate left
// (3 at the first candidate of a run; count + 2 after a candidate that
// tested `count` divisors), a caption at its i-th divisor (i >= 2) shows
// i + 1. Cost: one string per caption written, nothing per division.
class CandidateProgress final : public TrialProgress {
 public:
  explicit CandidateProgress(OutputSurface& out) : out_(out) {}

  // The candidate whose trial division comes next, as its text.
  void beginCandidate(const std::string& candidateText) {
    prefix_ = "Teilomat - (" + candidateText + " ist zu ";
  }
  // The trial division of the current candidate tested `count` divisors.
  void endCandidate(std::uint64_t count) { leftover_ = count + 2; }

  void percentChanged(double percent, std::uint64_t index) override {
    const std::uint64_t shown = index == 1 ? leftover_ : index + 1;
    out_.setCaption(prefix_ + wholeText(percent) + " % überprüft; " + std::to_string(shown) +
                    " Zahlen als mög. Teiler getestet)");
  }

 private:
  OutputSurface& out_;
  std::string prefix_;
  std::uint64_t leftover_ = 3;
};

}  // namespace teilomat
