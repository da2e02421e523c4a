// The syntax of a number typed into a field: sign, digits, grouping, decimal separator, exponent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "numbers/Separators.h"

namespace teilomat {

// A number as written, before it is turned into a DecimalNumber or a double:
// value = (negative ? -1 : 1) * digits * 10^exponent.
// `digits` holds ASCII digits without leading zeros ("" for zero); trailing
// zeros may be present.
struct NumberText {
  bool negative = false;
  std::string digits;
  std::int64_t exponent = 0;
};

// Scans the whole text under the given separators. Accepted: surrounding
// blanks (space, tab, CR, LF), a leading + or -, the thousands separator
// anywhere after the first digit of the integer part, the decimal separator,
// a decimal exponent (e or E, optional sign, digits). At least one digit must
// stand in the mantissa. Anything else, or text left over, gives nullopt.
// Cost: linear in the text's length; no locale of the C library is consulted.
std::optional<NumberText> scanNumberText(std::string_view text, const Separators& separators);

// The nearest double to the value (correctly rounded); +-infinity when it is
// beyond the range of doubles, +-0 when it is below it.
double toDouble(const NumberText& number);

}  // namespace teilomat
