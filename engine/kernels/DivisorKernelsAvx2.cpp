// The AVX2 kernels: four candidates per double-precision division, exact for n < 2^96.
#include "engine/kernels/DivisorKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define TEILOMAT_VECTOR_TARGET __attribute__((target("avx2,fma")))
#include "engine/kernels/VectorScan.h"

// Cost: about twice the AVX-512 kernel's of the same kind; the full-sequence
// variant rebuilds 64-bit products from 32-bit ones, the other needs none.
TEILOMAT_DEFINE_VECTOR_KERNELS(firstDividingIndexAvx2, __m256d)
#endif
