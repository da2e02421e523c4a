// The residue and rank tables of the 30030 wheel, built once.
#include "engine/kernels/CandidateWheel.h"

#include <algorithm>
#include <numeric>

namespace teilomat {

const CandidateWheel& CandidateWheel::instance() {
  static const CandidateWheel wheel;
  return wheel;
}

// Cost: one gcd per residue, about 0.1 ms, once.
CandidateWheel::CandidateWheel() {
  std::uint64_t count = 0;
  for (std::uint64_t r = 1; r < kPeriod; ++r)
    if (std::gcd(r, kPeriod) == 1) residues_[count++] = static_cast<double>(r);
  for (std::uint64_t k = 0; k < kResidues; ++k) {
    const double next = k + 1 < kResidues ? residues_[k + 1] : residues_[0] + static_cast<double>(kPeriod);
    gaps_[k] = static_cast<std::uint8_t>(next - residues_[k]);
  }
  // The candidates of a block lie at offsets 1, 5, 7, 11, 13, ... from its start.
  rank_[0] = 0;
  for (std::uint64_t o = 0; o < kIndexesPerPeriod; ++o) {
    const std::uint64_t offset = 6 * (o / 2) + (o % 2 == 0 ? 1 : 5);
    rank_[o + 1] = static_cast<std::uint16_t>(rank_[o] + (std::gcd(offset, kPeriod) == 1 ? 1 : 0));
  }
}

std::uint64_t CandidateWheel::firstPositionFrom(std::uint64_t index) const {
  const std::uint64_t block = (index - 1) / kIndexesPerPeriod;
  return block * kResidues + rank_[(index - 1) % kIndexesPerPeriod];
}

std::uint64_t CandidateWheel::lastPositionUpTo(std::uint64_t index) const {
  const std::uint64_t block = (index - 1) / kIndexesPerPeriod;
  return block * kResidues + rank_[(index - 1) % kIndexesPerPeriod + 1] - 1;
}

CandidateWheel::Split CandidateWheel::split(std::uint64_t from, std::uint64_t to) const {
  constexpr std::uint64_t kFirstWheelIndex = kIndexesPerPeriod + 1;
  Split split{from, std::min(to, kFirstWheelIndex - 1), 1, 0};
  if (to >= kFirstWheelIndex) {
    split.firstPosition = firstPositionFrom(std::max(from, kFirstWheelIndex));
    split.lastPosition = lastPositionUpTo(to);
  }
  return split;
}

}  // namespace teilomat
