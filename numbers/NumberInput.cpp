// Reading a field's text as a number: the 29-digit guard, then the exact conversion.
#include "numbers/NumberInput.h"

#include "numbers/NumberText.h"

namespace teilomat {

InputReading readNumber(std::string_view text, const Separators& separators, bool guarded) {
  InputReading reading;
  const auto number = scanNumberText(text, separators);
  if (!number) return reading;  // NotANumber
  if (guarded && !(toDouble(*number) < 1e29)) {
    reading.status = InputStatus::TooManyDigits;
    return reading;
  }
  try {
    reading.value = DecimalNumber::fromNumberText(*number);
    reading.status = InputStatus::Ok;
  } catch (const DecimalError&) {
    reading.status = InputStatus::OutOfRange;
  }
  return reading;
}

}  // namespace teilomat
