// The square-root bound of a trial division: the last candidate tested is the first one beyond it.
#pragma once

#include <cmath>

#include "numbers/DecimalNumber.h"

namespace teilomat {

// Fix(sqrt(n as double)) + 1: never below the integer square root of n.
// n must not be negative.
inline double squareRootBound(const DecimalNumber& n) { return std::trunc(std::sqrt(n.toDouble())) + 1.0; }

}  // namespace teilomat
