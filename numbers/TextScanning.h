// The pieces both number readers share: blanks, digits, a sign, mantissa digits and a saturated exponent.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "numbers/NumberText.h"

namespace teilomat::scanning {

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Exponents are saturated while scanning. The bound is far beyond any value
// a double or a DecimalNumber can hold, yet leaves room in int64 for the
// adjustment by the number of fraction digits (no text in memory has 1e15).
inline constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;  // 1e15

// An optional + or - at `pos`, stepped over; true for -.
inline bool takeSign(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return text[pos++] == '-';
  return false;
}

// Collects mantissa digits into a NumberText: no leading zeros are kept,
// and every fraction digit lowers the exponent by one.
class MantissaDigits {
 public:
  explicit MantissaDigits(NumberText& number) : number_(number) {}
  void take(char digit, bool fraction) {
    sawDigit_ = true;
    if (digit != '0' || !number_.digits.empty()) number_.digits.push_back(digit);
    if (fraction) ++fractionDigits_;
  }
  bool sawDigit() const { return sawDigit_; }
  // Sets the number's exponent from the written one.
  void finish(std::int64_t writtenExponent) { number_.exponent = writtenExponent - fractionDigits_; }

 private:
  NumberText& number_;
  bool sawDigit_ = false;
  std::int64_t fractionDigits_ = 0;
};

// An exponent at `pos`: e or E, an optional sign and at least one digit. Its
// value (saturated at +-kExponentLimit) with `pos` stepped past it, or
// nullopt with `pos` unchanged when no complete exponent stands there.
inline std::optional<std::int64_t> scanExponent(std::string_view text, std::size_t& pos) {
  if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return std::nullopt;
  std::size_t p = pos + 1;
  const bool negative = takeSign(text, p);
  if (p >= text.size() || !isDigit(text[p])) return std::nullopt;
  std::int64_t exponent = 0;
  for (; p < text.size() && isDigit(text[p]); ++p)
    if (exponent < kExponentLimit) exponent = exponent * 10 + (text[p] - '0');
  if (exponent > kExponentLimit) exponent = kExponentLimit;
  pos = p;
  return negative ? -exponent : exponent;
}

}  // namespace teilomat::scanning
