// What every architecture's lane header shares: lane counts, the integer-lane type map and the function attribute.
//
// A vector kernel's file defines TEILOMAT_VECTOR_TARGET as the function
// attribute of the instruction set its lanes need
// (__attribute__((target("avx2,fma")))), then includes its architecture's
// lane header (LanesX86.h, LanesNeon.h) and VectorScan.h. Left undefined, the
// target is the base instruction set, as NEON on aarch64; an x86-64 kernel
// that forgets it fails to compile (the intrinsics refuse to be inlined).
// Every function of the lane headers and the scan carries the target, while
// the rest of the program stays plain (GCC and Clang both honour it), and
// lives in an unnamed namespace, so that each kernel file has its own copies
// and no copy built for one instruction set stands in for another's at link
// time.
//
// A lane header gives, for its vector types V: broadcast, loadLanes,
// fusedMultiplyAdd, fusedNegativeMultiplyAdd, roundToNearest (ties to even),
// equalLanes (a bit mask in lane order), and for the integer-lane limb split
// an IntegerVector specialisation, toInt64, multiplyLow64, shiftAdd48,
// equalIntLanes and broadcastInt. Plain + - * / come from the compiler's
// vector types.
#pragma once

#ifndef TEILOMAT_VECTOR_TARGET
#define TEILOMAT_VECTOR_TARGET
#endif
// Lane operations and tests: always inlined into the scan, which they must
// share the target with.
#define TEILOMAT_LANES_INLINE __attribute__((always_inline)) inline TEILOMAT_VECTOR_TARGET

namespace teilomat::kernel_detail {
namespace {

constexpr double kIntegerMagic = 6755399441055744.0;  // 1.5 * 2^52

template <class V>
constexpr int kLanes = sizeof(V) / sizeof(double);
// The 64-bit integer vector of as many lanes.
template <int Lanes>
struct IntegerVector;
template <class V>
using IntLanes = typename IntegerVector<kLanes<V>>::Type;

}  // namespace
}  // namespace teilomat::kernel_detail
