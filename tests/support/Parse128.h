// Decimal digits to a 128-bit value, for the constants of tests and benchmarks.
#pragma once

#include "numbers/Uint128Text.h"

namespace teilomat::testing {

// digits: '0' to '9' only, at most kMaxParsedDigits of them.
inline uint128 parse128(const char* digits) { return parseDecimalDigits(digits); }

}  // namespace teilomat::testing
