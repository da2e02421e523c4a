// Reading a field's text as a number, the square-root bound and the duration text.
#include "primes/NumberInput.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "primes/NumberText.h"

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

const char* conversionFailureMessage(InputStatus status) {
  return status == InputStatus::OutOfRange ? kOutOfRangeMessage : kNotANumberMessage;
}

double squareRootBound(const DecimalNumber& n) {
  return std::trunc(std::sqrt(n.toDouble())) + 1.0;
}

std::string formatThreeDecimals(double value, const Separators& separators) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  std::string text(buffer, result.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);
  const auto point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, separators.decimal);
  return text;
}

std::string durationText(double milliseconds, const Separators& separators) {
  return formatThreeDecimals(milliseconds, separators) + " ms = " +
         formatThreeDecimals(milliseconds / 1000.0, separators) + " sek";
}

std::string wholeText(double value) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::trunc(value), std::chars_format::fixed, 0);
  std::string text(buffer, result.ptr);
  if (text == "-0") text = "0";
  return text;
}

}  // namespace teilomat
