// Reading a field's text as a number, the square-root bound and the duration text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "primes/DecimalNumber.h"
#include "primes/Separators.h"

namespace teilomat {

enum class InputStatus {
  Ok,
  NotANumber,    // the text is no number at all (empty, letters, ...)
  TooManyDigits, // read as a double it is 1e29 or more: the 29-digit guard
  OutOfRange,    // passes the guard but does not fit a DecimalNumber
};

struct InputReading {
  InputStatus status = InputStatus::NotANumber;
  DecimalNumber value;
};

// The 29-digit guard, then the conversion under the user's separators. The
// guard compares the text's value as a double with 1e29, so 29 nines (which
// round to 1e29) are refused although they would fit. Without the guard
// (`guarded` false) a text of 1e29 or more fails the conversion instead.
InputReading readNumber(std::string_view text, const Separators& separators, bool guarded = true);

// Messages for input that the commands cannot work with.
inline constexpr const char* kNotANumberMessage =
    "Die Eingabe ist keine Zahl. Bitte eine ganze Zahl eingeben !!";
inline constexpr const char* kOutOfRangeMessage =
    "Die Zahl ist zu groß. Die größte Zahl, die geprüft werden kann, ist "
    "79228162514264337593543950335 !!";
inline constexpr const char* kFractionMessage =
    "Nur ganze Zahlen eingeben !! Eine Zahl mit Nachkommastellen kann keine Primzahl sein.";

// The message for a reading that failed other than by the guard.
const char* conversionFailureMessage(InputStatus status);

// Fix(sqrt(n as double)) + 1: never below the integer square root of n.
// n must not be negative.
double squareRootBound(const DecimalNumber& n);

// value rounded to three decimal places, at least one digit before the
// separator, no grouping: 1234.5678 -> "1234,568" under a comma locale.
// A value that rounds to zero is written without a sign.
std::string formatThreeDecimals(double value, const Separators& separators);

// "<t> ms = <t/1000> sek", e.g. "1234,568 ms = 1,235 sek".
std::string durationText(double milliseconds, const Separators& separators);

// A whole-valued double (a percent, a score) as plain digits, "-" when negative.
std::string wholeText(double value);

}  // namespace teilomat
