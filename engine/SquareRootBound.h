// The square-root bound of a trial division: the last candidate tested is the first one beyond it.
#pragma once

#include <cmath>

#include "numbers/DecimalNumber.h"

namespace teilomat {

// Fix(sqrt(n as double)) + 1: never below the integer square root of n.
// n must not be negative.
inline double squareRootBound(const DecimalNumber& n) { return std::trunc(std::sqrt(n.toDouble())) + 1.0; }

// The same for a whole number held natively: the conversion to double rounds
// to nearest as DecimalNumber::toDouble does, so both agree.
inline double squareRootBound(uint128 n) { return std::trunc(std::sqrt(static_cast<double>(n))) + 1.0; }

}  // namespace teilomat
