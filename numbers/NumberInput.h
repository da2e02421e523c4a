// Reading a field's text as a number: the 29-digit guard, then the exact conversion.
#pragma once

#include <string>
#include <string_view>

#include "numbers/DecimalNumber.h"
#include "numbers/Separators.h"

namespace teilomat {

enum class InputStatus {
  Ok,
  NotANumber,     // the text is no number at all (empty, letters, ...)
  TooManyDigits,  // read as a double it is 1e29 or more: the 29-digit guard
  OutOfRange,     // passes the guard but does not fit a DecimalNumber
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

}  // namespace teilomat
