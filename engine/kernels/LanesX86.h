// The lane operations of the vector scan on x86-64: V is __m256d (AVX2 + FMA) or __m512d (AVX-512).
//
// Included by the x86-64 kernel files, before VectorScan.h: each function
// carries TEILOMAT_VECTOR_TARGET, the instruction set of the kernel file that
// includes it (VectorLanes.h).
#pragma once

#include <cstdint>
#include <immintrin.h>

#include "engine/kernels/VectorLanes.h"

namespace teilomat::kernel_detail {
namespace {

template <>
struct IntegerVector<4> {
  using Type = __m256i;
};
template <>
struct IntegerVector<8> {
  using Type = __m512i;
};
template <class V>
constexpr bool kWide = kLanes<V> == 8;

template <class V>
TEILOMAT_LANES_INLINE V broadcast(double x) {
  if constexpr (kWide<V>) return _mm512_set1_pd(x);
  else return _mm256_set1_pd(x);
}
template <class V>
TEILOMAT_LANES_INLINE V loadLanes(const double* p) {
  if constexpr (kWide<V>) return _mm512_loadu_pd(p);
  else return _mm256_loadu_pd(p);
}
template <class V>
TEILOMAT_LANES_INLINE V fusedMultiplyAdd(V a, V b, V c) {  // a * b + c, rounded once
  if constexpr (kWide<V>) return _mm512_fmadd_pd(a, b, c);
  else return _mm256_fmadd_pd(a, b, c);
}
template <class V>
TEILOMAT_LANES_INLINE V fusedNegativeMultiplyAdd(V a, V b, V c) {  // c - a * b, rounded once
  if constexpr (kWide<V>) return _mm512_fnmadd_pd(a, b, c);
  else return _mm256_fnmadd_pd(a, b, c);
}
template <class V>
TEILOMAT_LANES_INLINE V roundToNearest(V x) {
  constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
  if constexpr (kWide<V>) return _mm512_roundscale_pd(x, kNearest);
  else return _mm256_round_pd(x, kNearest);
}
// Bit k set when lane k of a equals lane k of b.
template <class V>
TEILOMAT_LANES_INLINE unsigned equalLanes(V a, V b) {
  if constexpr (kWide<V>) {
    return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ);
  } else {
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_EQ_OQ)));
  }
}

// Integer lanes, for the integer-lane limb split only. A whole double below 2^51 in
// magnitude as a 64-bit integer: AVX-512DQ converts; AVX2 adds 1.5 * 2^52
// and subtracts its bit pattern.
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> toInt64(V x) {
  if constexpr (kWide<V>) {
    return _mm512_cvtpd_epi64(x);
  } else {
    const __m256d magic = _mm256_set1_pd(kIntegerMagic);
    return _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(x, magic)), _mm256_castpd_si256(magic));
  }
}
// a * b modulo 2^64 per lane; AVX2 builds it from three 32 x 32 bit products.
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> multiplyLow64(IntLanes<V> a, IntLanes<V> b) {
  if constexpr (kWide<V>) {
    return _mm512_mullo_epi64(a, b);
  } else {
    const __m256i low = _mm256_mul_epu32(a, b);
    const __m256i cross =
        _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), b), _mm256_mul_epu32(a, _mm256_srli_epi64(b, 32)));
    return _mm256_add_epi64(low, _mm256_slli_epi64(cross, 32));
  }
}
// (high << 48) + low per lane.
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> shiftAdd48(IntLanes<V> high, IntLanes<V> low) {
  if constexpr (kWide<V>) return _mm512_add_epi64(_mm512_slli_epi64(high, 48), low);
  else return _mm256_add_epi64(_mm256_slli_epi64(high, 48), low);
}
template <class V>
TEILOMAT_LANES_INLINE unsigned equalIntLanes(IntLanes<V> a, IntLanes<V> b) {
  if constexpr (kWide<V>) {
    return _mm512_cmpeq_epi64_mask(a, b);
  } else {
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(a, b))));
  }
}
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> broadcastInt(std::uint64_t x) {
  if constexpr (kWide<V>) return _mm512_set1_epi64(static_cast<long long>(x));
  else return _mm256_set1_epi64x(static_cast<long long>(x));
}

}  // namespace
}  // namespace teilomat::kernel_detail
