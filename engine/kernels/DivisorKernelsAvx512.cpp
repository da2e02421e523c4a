// The AVX-512 kernels of x86-64: eight candidates per double-precision division, exact for n < 2^96.
#if !defined(__clang__)
// GCC 12 takes the deliberately undefined pass-through operand inside the
// unmasked AVX-512 intrinsics for an uninitialised variable.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define TEILOMAT_VECTOR_TARGET __attribute__((target("avx512f,avx512dq,avx512vl")))
#include "engine/kernels/LanesX86.h"
#include "engine/kernels/VectorScan.h"

// Cost per candidate of the full sequence, n near 2^96 far from the start:
// the full-sequence kernel about 0.22 ns on a 4 GHz core (0.13 ns for
// n <= 2^53), the wheel kernel about 1.8 times less (BM_KernelSlice_*).
TEILOMAT_DEFINE_VECTOR_KERNELS(firstDividingIndexAvx512, __m512d)

namespace teilomat {

bool processorHasAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
}

}  // namespace teilomat
