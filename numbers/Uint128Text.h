// Whole 128-bit numbers as decimal digits and back: the one place where their text is written and read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "numbers/Uint128.h"

namespace teilomat {

// The digits of `value`: no sign, no grouping, "0" for zero, the same under
// every locale, as a whole DecimalNumber is written. Cost: native 64-bit
// conversion below 2^64, one 128-bit division and remainder per 19 digits
// above; some 20 to 40 ns, plus the string's allocation beyond 15 digits.
std::string toDecimalText(uint128 value);
// The same digits appended to `text`, which saves a string per number where
// many are written into one text, as in a save.
void appendDecimalText(std::string& text, uint128 value);

// The value of `digits`, which holds only '0' to '9' and at most
// kMaxParsedDigits of them, so that no value overflows; "" is 0. Callers
// check the characters and the length; any other character (a sign, a
// blank) throws std::invalid_argument rather than giving a wrong value.
// Cost: one 64-bit conversion per 19 digits and one 128-bit multiply-add
// between them, a few nanoseconds.
inline constexpr std::size_t kMaxParsedDigits = 38;
uint128 parseDecimalDigits(std::string_view digits);

}  // namespace teilomat
