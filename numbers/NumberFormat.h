// Writing numbers as text: durations to three places, whole doubles, the general number format.
#pragma once

#include <string>

#include "numbers/Separators.h"

namespace teilomat {

// value rounded to three decimal places, at least one digit before the
// separator, no grouping: 1234.5678 -> "1234,568" under a comma locale.
// A value that rounds to zero is written without a sign.
std::string formatThreeDecimals(double value, const Separators& separators);

// "<t> ms = <t/1000> sek", e.g. "1234,568 ms = 1,235 sek".
std::string durationText(double milliseconds, const Separators& separators);

// A whole-valued double (a percent, a score) as plain digits, "-" when negative.
std::string wholeText(double value);

// A finite double in the general number format: at most 15 significant
// digits, no grouping, the locale's decimal separator, no fraction part when
// the rounded value is whole: 800 -> "800", 1.5 -> "1,5" (comma locale).
// Values whose rounded decimal exponent is 15 or more, or below -4, are
// written in exponent form with a signed exponent of at least two digits:
// 1e20 -> "1E+20", 1.5e-7 -> "1,5E-07". Zero (either sign) is "0".
// Infinities and NaN, which callers never pass, come out as "inf", "-inf", "nan".
std::string generalNumberText(double value, const Separators& separators);

}  // namespace teilomat
