// Decimal digits to a 128-bit value, for the constants of tests and benchmarks.
#pragma once

#include "numbers/Uint128.h"

namespace teilomat::testing {

inline uint128 parse128(const char* digits) {
  uint128 v = 0;
  for (const char* p = digits; *p; ++p) v = v * 10 + static_cast<unsigned>(*p - '0');
  return v;
}

}  // namespace teilomat::testing
