// The AVX2 kernel: four candidates per double-precision division, exact for n < 2^96.
//
// The same test as the AVX-512 kernel (see there for the exactness of both
// the direct division and the 48-bit limb split), with what AVX2 lacks built
// from plain lanes: doubles become 64-bit integers by the 1.5 * 2^52 trick
// (exact for whole numbers below 2^51 in magnitude: r1 < 2^49, q2 < 2^48),
// and the low 64 bits of q2 * d come from three 32 x 32 bit products.
// Candidates from an even index: the first one plus {0,2,6,8}, then +12.
#include "engine/kernels/DivisorKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)

#include <immintrin.h>

#define TEILOMAT_AVX2 __attribute__((target("avx2,fma")))
#define TEILOMAT_AVX2_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

namespace teilomat {
namespace {

constexpr int kLanes = 4;
constexpr int kUnroll = 4;  // vectors per round: keeps several divisions in flight
constexpr double kTwoTo48 = 281474976710656.0;
constexpr double kIntegerMagic = 6755399441055744.0;  // 1.5 * 2^52
constexpr std::uint64_t kLow48 = (std::uint64_t{1} << 48) - 1;

struct Number {
  __m256d whole;   // n, for n <= 2^53
  __m256d high;    // n >> 48
  __m256d low;     // n mod 2^48
  __m256i lowInt;  // n mod 2^48
};

// A whole double below 2^51 in magnitude as a 64-bit integer.
TEILOMAT_AVX2_INLINE __m256i toInt64(__m256d x) {
  const __m256d magic = _mm256_set1_pd(kIntegerMagic);
  return _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(x, magic)), _mm256_castpd_si256(magic));
}

// a * b modulo 2^64 per lane.
TEILOMAT_AVX2_INLINE __m256i multiplyLow64(__m256i a, __m256i b) {
  const __m256i low = _mm256_mul_epu32(a, b);
  const __m256i cross = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), b),
                                         _mm256_mul_epu32(a, _mm256_srli_epi64(b, 32)));
  return _mm256_add_epi64(low, _mm256_slli_epi64(cross, 32));
}

// Bit k set when lane k's candidate divides n.
template <bool Wide>
TEILOMAT_AVX2_INLINE unsigned dividingLanes(const Number& n, __m256d d, __m256i dInt) {
  constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
  if constexpr (!Wide) {
    (void)dInt;
    const __m256d q = _mm256_round_pd(_mm256_div_pd(n.whole, d), kNearest);
    const __m256d r = _mm256_fnmadd_pd(q, d, n.whole);
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_EQ_OQ)));
  } else {
    const __m256d inv = _mm256_div_pd(_mm256_set1_pd(1.0), d);
    const __m256d q1 = _mm256_round_pd(_mm256_mul_pd(n.high, inv), kNearest);
    const __m256d r1 = _mm256_fnmadd_pd(q1, d, n.high);
    const __m256d x = _mm256_fmadd_pd(r1, _mm256_set1_pd(kTwoTo48), n.low);
    const __m256d q2 = _mm256_round_pd(_mm256_mul_pd(x, inv), kNearest);
    const __m256i xInt = _mm256_add_epi64(_mm256_slli_epi64(toInt64(r1), 48), n.lowInt);
    const __m256i product = multiplyLow64(toInt64(q2), dInt);
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(xInt, product))));
  }
}

// The candidates with indexes from..to; from is even and at least 2.
template <bool Wide>
TEILOMAT_AVX2 std::uint64_t scanVectors(uint128 n, std::uint64_t from, std::uint64_t to) {
  Number number;
  number.whole = _mm256_set1_pd(static_cast<double>(n));
  number.high = _mm256_set1_pd(static_cast<double>(static_cast<std::uint64_t>(n >> 48)));
  number.low = _mm256_set1_pd(static_cast<double>(static_cast<std::uint64_t>(n) & kLow48));
  number.lowInt = _mm256_set1_epi64x(static_cast<long long>(static_cast<std::uint64_t>(n) & kLow48));

  const auto first = static_cast<long long>(candidateAt(from));
  __m256i dInt = _mm256_add_epi64(_mm256_set1_epi64x(first), _mm256_setr_epi64x(0, 2, 6, 8));
  __m256d d = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(first)), _mm256_setr_pd(0, 2, 6, 8));
  const __m256i stepInt = _mm256_set1_epi64x(12);
  const __m256d step = _mm256_set1_pd(12.0);

  std::uint64_t index = from;
  std::uint64_t left = to - from + 1;
  while (left >= kLanes * kUnroll) {
    const unsigned m0 = dividingLanes<Wide>(number, d, dInt);
    const unsigned m1 = dividingLanes<Wide>(number, _mm256_add_pd(d, step), _mm256_add_epi64(dInt, stepInt));
    const unsigned m2 = dividingLanes<Wide>(number, _mm256_add_pd(d, _mm256_set1_pd(24.0)),
                                            _mm256_add_epi64(dInt, _mm256_set1_epi64x(24)));
    const unsigned m3 = dividingLanes<Wide>(number, _mm256_add_pd(d, _mm256_set1_pd(36.0)),
                                            _mm256_add_epi64(dInt, _mm256_set1_epi64x(36)));
    const unsigned hits = m0 | m1 << 4 | m2 << 8 | m3 << 12;
    if (hits != 0) return index + static_cast<std::uint64_t>(__builtin_ctz(hits));
    d = _mm256_add_pd(d, _mm256_set1_pd(48.0));
    dInt = _mm256_add_epi64(dInt, _mm256_set1_epi64x(48));
    index += kLanes * kUnroll;
    left -= kLanes * kUnroll;
  }
  // The rest one vector at a time; lanes past `to` are masked off.
  while (left > 0) {
    const unsigned valid = left >= kLanes ? 0xFu : (1u << left) - 1;
    const unsigned hits = dividingLanes<Wide>(number, d, dInt) & valid;
    if (hits != 0) return index + static_cast<std::uint64_t>(__builtin_ctz(hits));
    d = _mm256_add_pd(d, step);
    dInt = _mm256_add_epi64(dInt, stepInt);
    index += kLanes;
    left -= left >= kLanes ? kLanes : left;
  }
  return 0;
}

}  // namespace

// Cost: about 0.25 ns per candidate for n <= 2^53, roughly twice that above.
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to) {
  return kernel_detail::runVectorKernel(n, from, to, [n](bool direct, std::uint64_t first, std::uint64_t last) {
    return direct ? scanVectors<false>(n, first, last) : scanVectors<true>(n, first, last);
  });
}

}  // namespace teilomat

#else

namespace teilomat {
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to) {
  return firstDividingIndexScalar(n, from, to);
}
}  // namespace teilomat

#endif
