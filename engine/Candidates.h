// The candidate divisors 3, 5, 7, 11, 13, ... by index: the numbering every loop and kernel shares.
#pragma once

#include <cstdint>

#include "numbers/Uint128.h"

namespace teilomat {

// The candidate divisors are 3 and then every odd number that is not a
// multiple of 3: 3, 5, 7, 11, 13, 17, 19, 23, 25, ... They are numbered from
// 1, so the index of a candidate is the count of candidates tested up to it.
constexpr std::uint64_t candidateAt(std::uint64_t index) {
  return index == 1 ? 3 : (index % 2 == 0 ? 3 * index - 1 : 3 * index - 2);
}
// How many candidates are <= x.
constexpr std::uint64_t candidatesUpTo(std::uint64_t x) { return x < 3 ? 0 : 1 + (x + 1) / 6 + (x - 1) / 6; }
// The index of the first candidate above the square-root bound: the last one
// that the loops test. bound is whole-valued and below 2^53.
constexpr std::uint64_t lastCandidateIndex(double bound) {
  return candidatesUpTo(static_cast<std::uint64_t>(bound)) + 1;
}

}  // namespace teilomat
