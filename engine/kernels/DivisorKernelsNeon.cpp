// The NEON kernels of aarch64: two candidates per double-precision division, exact for n < 2^96.
// NEON is part of every aarch64 processor: no target attribute, no processor test.
#include "engine/kernels/LanesNeon.h"
#include "engine/kernels/VectorScan.h"

// Cost on real ARM hardware is unmeasured; per division it does two
// candidates where the scalar kernel does one, and the wheel skips 42.5 % of
// the candidates as on x86-64.
TEILOMAT_DEFINE_VECTOR_KERNELS(firstDividingIndexNeon, float64x2_t)
