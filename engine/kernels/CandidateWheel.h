// The candidates with no prime factor up to 13, by period of 30030: the table the skipping kernels walk.
#pragma once

#include <cstdint>

namespace teilomat {

// The candidates coprime to 30030 = 2 * 3 * 5 * 7 * 11 * 13, numbered by
// "wheel position": position p stands for block p / 5760 plus the
// (p mod 5760)-th residue coprime to 30030. Only blocks from 1 on are used
// (values from 30030 up), where every candidate the wheel leaves out has a
// prime factor 5, 7, 11 or 13 below it. Built once, on first use, through a
// thread-safe static; read-only afterwards, so any number of threads may
// share it. Size: about 72 KB.
class CandidateWheel {
 public:
  static constexpr std::uint64_t kPeriod = 30030;
  static constexpr std::uint64_t kResidues = 5760;  // Euler's phi(30030)
  // Full-sequence candidates per period: indexes b * 10010 + 1 .. (b + 1) * 10010
  // are the candidates between b * 30030 and (b + 1) * 30030 for b >= 1.
  static constexpr std::uint64_t kIndexesPerPeriod = kPeriod / 3;

  // A run of full-sequence indexes from..to (from >= 1) cut where the wheel
  // takes over: the indexes below the first wheel block, to be tested one by
  // one, and the wheel positions of the rest. Either part may be empty.
  struct Split {
    std::uint64_t headFrom, headTo;             // indexes; none when headTo < headFrom
    std::uint64_t firstPosition, lastPosition;  // wheel positions; none when lastPosition < firstPosition
    bool hasHead() const { return headFrom <= headTo; }
    bool hasWheel() const { return firstPosition <= lastPosition; }
  };

  static const CandidateWheel& instance();

  // The residues in ascending order, as doubles (exact) for the vector loads.
  const double* residues() const { return residues_; }
  // gaps()[k]: from residue k to the next one (the last to the first of the
  // next block), at most 22; the scalar kernel steps through the wheel by them.
  const std::uint8_t* gaps() const { return gaps_; }
  // The first wheel position whose candidate has full-sequence index >= index,
  // and the last one whose index is <= index; index > kIndexesPerPeriod.
  std::uint64_t firstPositionFrom(std::uint64_t index) const;
  std::uint64_t lastPositionUpTo(std::uint64_t index) const;
  // Cost: two table reads, no division by a variable.
  Split split(std::uint64_t from, std::uint64_t to) const;
  std::uint64_t valueAt(std::uint64_t position) const {
    return position / kResidues * kPeriod + static_cast<std::uint64_t>(residues_[position % kResidues]);
  }

 private:
  CandidateWheel();

  alignas(64) double residues_[kResidues];
  std::uint8_t gaps_[kResidues];
  // rank_[o]: how many of the first o candidates of a block are coprime to 30030.
  std::uint16_t rank_[kIndexesPerPeriod + 1];
};

}  // namespace teilomat
