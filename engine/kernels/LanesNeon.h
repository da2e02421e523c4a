// The lane operations of the vector scan on aarch64: V is float64x2_t (NEON, two double lanes).
//
// Included by the aarch64 kernel file, before VectorScan.h. NEON belongs to
// the base aarch64 instruction set, so TEILOMAT_VECTOR_TARGET stays empty
// (VectorLanes.h). Its division, fused multiply-add (vfmaq/vfmsq: one
// rounding) and round-to-nearest-even are IEEE operations like their AVX
// counterparts, so every exactness argument of VectorScan.h holds unchanged.
#pragma once

#include <arm_neon.h>
#include <cstdint>

#include "engine/kernels/VectorLanes.h"

namespace teilomat::kernel_detail {
namespace {

template <>
struct IntegerVector<2> {
  using Type = uint64x2_t;
};

template <class V>
TEILOMAT_LANES_INLINE V broadcast(double x) {
  return vdupq_n_f64(x);
}
template <class V>
TEILOMAT_LANES_INLINE V loadLanes(const double* p) {
  return vld1q_f64(p);
}
template <class V>
TEILOMAT_LANES_INLINE V fusedMultiplyAdd(V a, V b, V c) {  // a * b + c, rounded once
  return vfmaq_f64(c, a, b);
}
template <class V>
TEILOMAT_LANES_INLINE V fusedNegativeMultiplyAdd(V a, V b, V c) {  // c - a * b, rounded once
  return vfmsq_f64(c, a, b);
}
template <class V>
TEILOMAT_LANES_INLINE V roundToNearest(V x) {
  return vrndnq_f64(x);
}
// Bit k set when lane k of the all-ones-or-zero mask is set.
TEILOMAT_LANES_INLINE unsigned laneBits(uint64x2_t mask) {
  return static_cast<unsigned>((vgetq_lane_u64(mask, 0) & 1) | (vgetq_lane_u64(mask, 1) & 2));
}
template <class V>
TEILOMAT_LANES_INLINE unsigned equalLanes(V a, V b) {
  return laneBits(vceqq_f64(a, b));
}

// Integer lanes, for the integer-lane limb split only. A whole double below
// 2^51 in magnitude converts exactly; negative ones wrap modulo 2^64.
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> toInt64(V x) {
  return vreinterpretq_u64_s64(vcvtnq_s64_f64(x));
}
// a * b modulo 2^64 per lane: NEON has no 64-bit lane product, so lane by lane
// in the general registers (the full-sequence reference kernel only).
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> multiplyLow64(IntLanes<V> a, IntLanes<V> b) {
  const uint64x2_t low = vdupq_n_u64(vgetq_lane_u64(a, 0) * vgetq_lane_u64(b, 0));
  return vsetq_lane_u64(vgetq_lane_u64(a, 1) * vgetq_lane_u64(b, 1), low, 1);
}
// (high << 48) + low per lane.
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> shiftAdd48(IntLanes<V> high, IntLanes<V> low) {
  return vaddq_u64(vshlq_n_u64(high, 48), low);
}
template <class V>
TEILOMAT_LANES_INLINE unsigned equalIntLanes(IntLanes<V> a, IntLanes<V> b) {
  return laneBits(vceqq_u64(a, b));
}
template <class V>
TEILOMAT_LANES_INLINE IntLanes<V> broadcastInt(std::uint64_t x) {
  return vdupq_n_u64(x);
}

}  // namespace
}  // namespace teilomat::kernel_detail
