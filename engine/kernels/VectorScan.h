// The one scan loop of the vector kernels, over 2-lane (NEON), 4-lane (AVX2) or 8-lane (AVX-512) double vectors.
//
// Include this file only from a kernel file, after its architecture's lane
// header (LanesX86.h, LanesNeon.h), whose operations the scan is written in;
// VectorLanes.h says how the instruction set is chosen. Everything lives in
// an unnamed namespace, so each kernel file has its own copies.
//
// Candidates are tested in rounds of kUnroll vectors (8, 16 or 32 candidates).
// Lanes are in candidate order, so the lowest set bit of a round's hit mask
// is the smallest dividing candidate. Two candidate streams feed the rounds:
// the full sequence (from an even index: the first candidate plus
// {0,2,6,8,12,14,18,20}, each vector 3 * lanes beyond the last) and the
// 30030 wheel (residues from CandidateWheel plus the block's base).
//
// Exactness, with every candidate d in 5 .. 2^49 and M = 1.5 * 2^52 (for a
// whole x with |x| < 2^51, x + M rounds to a whole number and (x + M) - M is
// exact), 1/d correctly rounded (relative error <= 2^-53):
// - The divided direct test (full-sequence kernels), n <= 2^53: q = rint(n / d), r = fma(-q, d, n). If d
//   divides n, the quotient is a whole number below 2^53, so the division
//   returns it exactly and r is 0. Otherwise n - q*d is a non-zero whole
//   number, which no single rounding turns into 0.
// - The integer-lane limb split (full-sequence kernels), n < 2^96: n = nh * 2^48 + nl, nh, nl < 2^48 exact.
//   q1 = rint(nh * inv) is within 0.53 of nh/d, so r1 = fma(-q1, d, nh) is a
//   whole number below 0.53 d in magnitude and exact. X = r1 * 2^48 + nl is
//   congruent to n modulo d and |X/d| < 2^48; the estimate x * inv with
//   x = fma(r1, 2^48, nl) carries three roundings, so it is within
//   3 * 2^-53 * 2^48 < 1/8 of X/d, and q2 = rint(x * inv) is X/d whenever d
//   divides X. X - q2*d is formed in 64-bit integer lanes as
//   (r1 << 48) + nl - q2*d modulo 2^64, where nothing is lost: zero exactly
//   when d divides n.
// - The reciprocal direct test, n <= 2^53: q = fma(n, inv, M) - M is n * inv
//   (within (n/d) * 2^-53 < 1/4 of n/d, as n/d < 2^51) rounded once to a
//   whole number, so q = n/d when d divides n and r = fma(-q, d, n) = 0;
//   otherwise n - q*d is a non-zero whole number below 0.75 d, which the fma
//   yields exactly.
// - The reciprocal limb split, n < 2^96: q1 = fma(nh, inv, M) - M and
//   r1 = fma(-q1, d, nh) as above, exact, |r1| < 0.51 d. x = fma(r1, 2^48, nl)
//   rounds X once; q2 = fma(x, inv, M) - M is x * inv rounded once, and
//   |X/d| < 0.75 * 2^48, so x * inv is within 2.1 * 2^-53 * 0.75 * 2^48 < 1/16
//   of X/d: q2 = X/d whenever d divides X. s = fma(-q2, d, r1 * 2^48) is the
//   whole number (X - q2*d) - nl, below 0.57 d + 2^48 < 2^53 in magnitude,
//   hence exact, so s == -nl exactly when d divides X, that is, n. No integer
//   lanes, two operations fewer than the integer-lane split, and 1/d does not depend on n,
//   so the scan divides a round ahead and the division latency overlaps the
//   current round's tests.
// Needs strict IEEE arithmetic: no -ffast-math. No product here feeds an
// addition outside an explicit fma, so contraction cannot change a result.
#pragma once

#include <cstdint>

#include "engine/kernels/CandidateWheel.h"
#include "engine/kernels/DivisorKernels.h"
#include "engine/kernels/VectorLanes.h"

// The scan functions carry the target too (the lane operations are inlined
// into them).
#define TEILOMAT_VECTOR_FUNCTION TEILOMAT_VECTOR_TARGET

namespace teilomat::kernel_detail {
namespace {

constexpr double kTwoTo48 = 281474976710656.0;
constexpr std::uint64_t kLow48 = (std::uint64_t{1} << 48) - 1;
constexpr int kUnroll = 4;  // vectors per round: keeps several divisions in flight

// ---- The divisibility tests ------------------------------------------------

template <class V>
struct Number {
  V whole;     // n, for n <= 2^53
  V high;      // n >> 48
  V low;       // n mod 2^48
  V minusLow;  // -(n mod 2^48)
  IntLanes<V> lowInt;

  TEILOMAT_VECTOR_FUNCTION explicit Number(uint128 n) {
    const auto low48 = static_cast<std::uint64_t>(n) & kLow48;
    whole = broadcast<V>(static_cast<double>(n));
    high = broadcast<V>(static_cast<double>(static_cast<std::uint64_t>(n >> 48)));
    low = broadcast<V>(static_cast<double>(low48));
    minusLow = broadcast<V>(-static_cast<double>(low48));
    lowInt = broadcastInt<V>(low48);
  }
};

// x * inv rounded once to a whole number, for |x * inv| < 2^51.
template <class V>
TEILOMAT_LANES_INLINE V roundedProduct(V x, V inv) {
  const V magic = broadcast<V>(kIntegerMagic);
  return fusedMultiplyAdd(x, inv, magic) - magic;
}
// Bit k set when n - q*d, rounded once, is zero in lane k.
template <class V>
TEILOMAT_LANES_INLINE unsigned zeroRemainderLanes(const Number<V>& n, V q, V d) {
  return equalLanes(fusedNegativeMultiplyAdd(q, d, n.whole), broadcast<V>(0.0));
}

// Each test: lanes(n, d, inv) has bit k set when lane k of d divides n; inv
// is 1/d when kReciprocal, else unused and never computed.
struct DividedDirect {
  static constexpr bool kReciprocal = false;
  template <class V>
  TEILOMAT_LANES_INLINE static unsigned lanes(const Number<V>& n, V d, V) {
    return zeroRemainderLanes(n, roundToNearest(n.whole / d), d);
  }
};
struct IntegerLimbSplit {
  static constexpr bool kReciprocal = true;
  template <class V>
  TEILOMAT_LANES_INLINE static unsigned lanes(const Number<V>& n, V d, V inv) {
    const V q1 = roundToNearest(n.high * inv);
    const V r1 = fusedNegativeMultiplyAdd(q1, d, n.high);
    const V x = fusedMultiplyAdd(r1, broadcast<V>(kTwoTo48), n.low);
    const V q2 = roundToNearest(x * inv);
    const IntLanes<V> xInt = shiftAdd48<V>(toInt64(r1), n.lowInt);
    return equalIntLanes<V>(xInt, multiplyLow64<V>(toInt64(q2), toInt64(d)));
  }
};
struct ReciprocalDirect {
  static constexpr bool kReciprocal = true;
  template <class V>
  TEILOMAT_LANES_INLINE static unsigned lanes(const Number<V>& n, V d, V inv) {
    return zeroRemainderLanes(n, roundedProduct(n.whole, inv), d);
  }
};
struct ReciprocalLimbSplit {
  static constexpr bool kReciprocal = true;
  template <class V>
  TEILOMAT_LANES_INLINE static unsigned lanes(const Number<V>& n, V d, V inv) {
    const V r1 = fusedNegativeMultiplyAdd(roundedProduct(n.high, inv), d, n.high);
    const V q2 = roundedProduct(fusedMultiplyAdd(r1, broadcast<V>(kTwoTo48), n.low), inv);
    return equalLanes(fusedNegativeMultiplyAdd(q2, d, r1 * kTwoTo48), n.minusLow);
  }
};

// One division per vector inside its round: the full-sequence kernels, the
// reference the faster ones are checked and measured against.
struct ReferenceTests {
  using Direct = DividedDirect;
  using Wide = IntegerLimbSplit;
  static constexpr bool kAhead = false;
};
// Two operations fewer per wide vector, 1/d divided a round ahead.
struct PipelinedTests {
  using Direct = ReciprocalDirect;
  using Wide = ReciprocalLimbSplit;
  static constexpr bool kAhead = true;
};

// ---- Candidate streams: each next() yields the next round's candidates -----

template <class V>
struct Round {
  V d[kUnroll];
  V inv[kUnroll];
};

// The full sequence from an even index; positions are the indexes.
template <class V>
struct FullStream {
  V next_;

  TEILOMAT_VECTOR_FUNCTION explicit FullStream(std::uint64_t evenIndex) {
    static constexpr double kOffsets[8] = {0, 2, 6, 8, 12, 14, 18, 20};
    next_ = loadLanes<V>(kOffsets) + static_cast<double>(candidateAt(evenIndex));
  }
  TEILOMAT_LANES_INLINE void next(Round<V>& round) {
    for (int u = 0; u < kUnroll; ++u) round.d[u] = next_ + 3.0 * kLanes<V> * u;
    next_ += 3.0 * kLanes<V> * kUnroll;
  }
  static std::uint64_t indexAt(std::uint64_t position) { return position; }
};

// The wheel from a round-aligned position: rounds never cross a block, since
// kLanes * kUnroll divides the 5760 residues.
template <class V>
struct WheelStream {
  static_assert(CandidateWheel::kResidues % (kLanes<V> * kUnroll) == 0);
  const CandidateWheel& wheel_;
  std::uint64_t offset_;
  double base_;

  WheelStream(const CandidateWheel& wheel, std::uint64_t position)
      : wheel_(wheel),
        offset_(position % CandidateWheel::kResidues),
        base_(static_cast<double>(position / CandidateWheel::kResidues * CandidateWheel::kPeriod)) {}
  TEILOMAT_LANES_INLINE void next(Round<V>& round) {
    const double* residues = wheel_.residues() + offset_;
    for (int u = 0; u < kUnroll; ++u) round.d[u] = loadLanes<V>(residues + kLanes<V> * u) + base_;
    offset_ += kLanes<V> * kUnroll;
    if (offset_ == CandidateWheel::kResidues) {
      offset_ = 0;
      base_ += static_cast<double>(CandidateWheel::kPeriod);
    }
  }
  std::uint64_t indexAt(std::uint64_t position) const { return candidatesUpTo(wheel_.valueAt(position)); }
};

// ---- The scan ---------------------------------------------------------------

template <class V, class Test>
TEILOMAT_LANES_INLINE void reciprocals(Round<V>& round) {
  if constexpr (Test::kReciprocal)
    for (int u = 0; u < kUnroll; ++u) round.inv[u] = broadcast<V>(1.0) / round.d[u];
}

// The first position in [first, last] whose candidate passes Test, as its
// index, or 0. The stream stands at `start`, the position of its next round:
// first - kLanes * kUnroll < start <= first; lanes outside [first, last]
// are computed and masked off.
template <class V, class Test, bool Ahead, class Stream>
TEILOMAT_VECTOR_FUNCTION std::uint64_t scanRounds(const Number<V>& n, Stream stream, std::uint64_t start,
                                                  std::uint64_t first, std::uint64_t last) {
  constexpr std::uint64_t kRound = kLanes<V> * kUnroll;
  Round<V> current, coming;
  stream.next(current);
  if constexpr (Ahead) reciprocals<V, Test>(current);
  std::uint64_t valid = ~std::uint64_t{0} << (first - start);
  for (std::uint64_t s = start;; s += kRound) {
    stream.next(coming);
    reciprocals<V, Test>(Ahead ? coming : current);
    std::uint64_t hits = 0;
    for (int u = 0; u < kUnroll; ++u)
      hits |= std::uint64_t{Test::lanes(n, current.d[u], current.inv[u])} << (kLanes<V> * u);
    const bool lastRound = last - s < kRound;
    if (lastRound) valid &= (std::uint64_t{2} << (last - s)) - 1;
    hits &= valid;
    if (hits != 0) return stream.indexAt(s + static_cast<std::uint64_t>(__builtin_ctzll(hits)));
    if (lastRound) return 0;
    valid = ~std::uint64_t{0};
    current = coming;
  }
}

// The full sequence over [from, to]: short runs to the full-sequence scalar
// kernel; the lone 3 and any other odd start (a 6k+1) singly, so that the
// vectors start at a 6k-1. Candidates below 2^49 (vectorPays).
template <class V, class Tests>
TEILOMAT_VECTOR_FUNCTION std::uint64_t scanFullSequence(uint128 n, std::uint64_t from, std::uint64_t to) {
  if (!vectorPays(from, to)) return firstDividingIndexScalarFull(n, from, to);
  if (from % 2 == 1) {
    if (firstDividingIndexScalarFull(n, from, from) != 0) return from;
    ++from;
  }
  const Number<V> number(n);
  if (n <= kDirectLimit)
    return scanRounds<V, typename Tests::Direct, Tests::kAhead>(number, FullStream<V>(from), from, from, to);
  return scanRounds<V, typename Tests::Wide, Tests::kAhead>(number, FullStream<V>(from), from, from, to);
}

// The full sequence below the first wheel block, the wheel from there on;
// short runs and candidates from 2^49 on to the scalar kernel's wheel.
template <class V>
TEILOMAT_VECTOR_FUNCTION std::uint64_t scanWithWheel(uint128 n, std::uint64_t from, std::uint64_t to) {
  if (!vectorPays(from, to)) return firstDividingIndexScalar(n, from, to);
  const CandidateWheel& wheel = CandidateWheel::instance();
  const CandidateWheel::Split split = wheel.split(from, to);
  if (split.hasHead())
    if (const std::uint64_t hit = scanFullSequence<V, PipelinedTests>(n, split.headFrom, split.headTo)) return hit;
  if (!split.hasWheel()) return 0;
  const std::uint64_t first = split.firstPosition, last = split.lastPosition;
  const std::uint64_t start = first - first % (kLanes<V> * kUnroll);
  const Number<V> number(n);
  if (n <= kDirectLimit)
    return scanRounds<V, ReciprocalDirect, true>(number, WheelStream<V>(wheel, start), start, first, last);
  return scanRounds<V, ReciprocalLimbSplit, true>(number, WheelStream<V>(wheel, start), start, first, last);
}

#undef TEILOMAT_VECTOR_FUNCTION

}  // namespace
}  // namespace teilomat::kernel_detail

// Defines a kernel file's two entry points over lane type V, in namespace
// teilomat, as the kernel table declares them: `name`, the wheel kernel, and
// `name##Full`, the full-sequence reference. Plain functions, outside the
// target: each only calls its scan, which carries it.
#define TEILOMAT_DEFINE_VECTOR_KERNELS(name, V)                                            \
  namespace teilomat {                                                                     \
  std::uint64_t name(uint128 n, std::uint64_t from, std::uint64_t to) {                    \
    return kernel_detail::scanWithWheel<V>(n, from, to);                                   \
  }                                                                                        \
  std::uint64_t name##Full(uint128 n, std::uint64_t from, std::uint64_t to) {              \
    return kernel_detail::scanFullSequence<V, kernel_detail::ReferenceTests>(n, from, to); \
  }                                                                                        \
  }
