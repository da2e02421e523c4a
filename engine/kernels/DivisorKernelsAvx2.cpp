// The AVX2 kernels: four candidates per double-precision division, exact for n < 2^96.
#include "engine/kernels/DivisorKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define TEILOMAT_VECTOR_TARGET __attribute__((target("avx2,fma")))
#include "engine/kernels/VectorScan.h"

namespace teilomat {

// Cost: about twice the AVX-512 kernel's of the same kind; the full-sequence
// variant rebuilds 64-bit products from 32-bit ones, the other needs none.
std::uint64_t firstDividingIndexAvx2(uint128 n, std::uint64_t from, std::uint64_t to) {
  return kernel_detail::scanWithWheel<__m256d>(n, from, to);
}

std::uint64_t firstDividingIndexAvx2Full(uint128 n, std::uint64_t from, std::uint64_t to) {
  return kernel_detail::scanFullSequence<__m256d, kernel_detail::ReferenceTests>(n, from, to);
}

}  // namespace teilomat
#endif
