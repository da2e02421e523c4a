// The clock value of the Primmarktest: reading the typed answer as a double.
#pragma once

#include <string_view>

namespace teilomat {

// The numeric value of a typed answer, read leniently from its start:
// - blanks, tabs, line feeds and carriage returns are dropped everywhere
//   first, so "8 0 0" reads as 800;
// - then an optional sign, digits, at most one "." as the decimal point
//   (always the point, whatever the locale) and an optional exponent: E or e
//   followed by an optional sign and at least one digit. An E without digits
//   after it ends the number before the E, so "1E" and "1E+" read as 1;
// - or "&H" / "&O" (letters in either case) and a hexadecimal / octal whole
//   number, never signed; beyond 2^53 its value is rounded digit by digit;
// - reading stops at the first character that cannot continue the number
//   ("1,5" reads as 1); an answer without a leading number reads as 0.
// The decimal value is correctly rounded; beyond the range of doubles it is
// +-infinity, below it +-0. No locale of the C library is consulted.
// Cost: linear in the answer's length, one allocation.
double readClockValue(std::string_view answer);

}  // namespace teilomat
