// The AVX2 kernels of x86-64: four candidates per double-precision division, exact for n < 2^96.
#define TEILOMAT_VECTOR_TARGET __attribute__((target("avx2,fma")))
#include "engine/kernels/LanesX86.h"
#include "engine/kernels/VectorScan.h"

// Cost: about twice the AVX-512 kernel's of the same kind; the full-sequence
// variant rebuilds 64-bit products from 32-bit ones, the other needs none.
TEILOMAT_DEFINE_VECTOR_KERNELS(firstDividingIndexAvx2, __m256d)

namespace teilomat {

bool processorHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

}  // namespace teilomat
