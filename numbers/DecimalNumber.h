// DecimalNumber: an exact decimal of 29 significant digits, the OLE Automation DECIMAL.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "numbers/NumberText.h"
#include "numbers/Separators.h"
#include "numbers/Uint128.h"

namespace teilomat {

// Raised by DecimalNumber operations that have no result.
class DecimalError : public std::runtime_error {
 public:
  enum class Kind { Overflow, DivideByZero, NotANumber };
  DecimalError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// DecimalNumber is a signed decimal value: a 96-bit unsigned magnitude, a
// power-of-ten scale from 0 to 28 and a sign,
//   value = (-1)^sign * magnitude / 10^scale,
// exactly as the OLE Automation DECIMAL type. The largest whole number is
// 79228162514264337593543950335 = 2^96 - 1, a number of 29 digits.
//
// It differs from an integer type in that results which need more than 96
// bits lose fraction digits instead of wrapping: a sum, product or quotient
// is rounded half to even at the last place that fits, and only a value that
// does not fit even at scale 0 is an overflow (DecimalError::Kind::Overflow).
// It differs from System.Decimal in .NET in that every quotient is stripped
// of trailing zeros (6.0 / 2 == 3 at scale 0) and text never keeps them.
//
// Scales: a sum keeps the larger scale (1.00 + 1 = 2.00), a product the sum of
// the scales (0.0005 * 0.002 = 0.0000010), a quotient as many places as fit,
// at most 28, with trailing zeros removed (1 / 4 = 0.25, 2 / 3 =
// 0.6666666666666666666666666667). Comparison is by value: 2.00 == 2, -0 == 0.
//
// Example:
//   DecimalNumber n = DecimalNumber::fromText("79228162514264337593543950335", Separators::comma());
//   DecimalNumber q = n / DecimalNumber(3);   // 26409387504754779197847983445
//   bool whole = q.isWhole();                 // true: 3 divides n
//   std::string s = (DecimalNumber(1) / DecimalNumber(4)).toString(Separators::comma());  // "0,25"
class DecimalNumber {
 public:
  static constexpr int kMaxScale = 28;
  static constexpr uint128 kMaxMagnitude = (uint128{1} << 96) - 1;

  constexpr DecimalNumber() noexcept = default;  // zero, scale 0
  explicit DecimalNumber(std::int64_t value) noexcept;
  // Throws DecimalError(Overflow) when magnitude exceeds 2^96 - 1, and
  // std::invalid_argument when scale is outside 0..28.
  static DecimalNumber fromParts(uint128 magnitude, int scale, bool negative);
  // The published conversion from text under the given separators: see
  // scanNumberText for the syntax. Excess digits are rounded half to even;
  // a value that does not fit at scale 0 throws Overflow, a text that is not
  // a number throws NotANumber. Trailing fraction zeros are dropped, and a
  // zero read from text is never negative ("-0" gives 0).
  static DecimalNumber fromText(std::string_view text, const Separators& separators);
  static DecimalNumber fromNumberText(const NumberText& number);

  uint128 magnitude() const { return magnitude_; }
  int scale() const { return scale_; }
  bool isNegative() const { return negative_; }  // may be set on a zero
  bool isZero() const { return magnitude_ == 0; }
  bool isWhole() const;  // no non-zero fraction digits
  // True when *this / divisor is exactly a whole number, decided on the exact
  // remainder. Not the same as (*this / divisor).isWhole(): a quotient with
  // 29 integer digits is rounded at scale 0 and may round to a whole number
  // (15845632502852867518708790069 / 2 = ...034.5 becomes ...034).
  // Throws DivideByZero for a zero divisor. Cost: a 128-bit remainder for
  // whole operands, else up to 256 shift-and-subtract steps.
  bool isMultipleOf(const DecimalNumber& divisor) const;

  DecimalNumber operator-() const;
  friend DecimalNumber operator+(const DecimalNumber& a, const DecimalNumber& b);
  friend DecimalNumber operator-(const DecimalNumber& a, const DecimalNumber& b);
  friend DecimalNumber operator*(const DecimalNumber& a, const DecimalNumber& b);
  // Throws DivideByZero for b == 0 and Overflow for a quotient beyond 2^96 - 1.
  friend DecimalNumber operator/(const DecimalNumber& a, const DecimalNumber& b);

  friend std::strong_ordering operator<=>(const DecimalNumber& a, const DecimalNumber& b);
  friend bool operator==(const DecimalNumber& a, const DecimalNumber& b) {
    return (a <=> b) == std::strong_ordering::equal;
  }
  // Whole counters and small integer constants compare by value.
  template <std::integral I>
  friend std::strong_ordering operator<=>(const DecimalNumber& a, I b) {
    return compareWithInteger(a, static_cast<__int128>(b));
  }
  template <std::integral I>
  friend bool operator==(const DecimalNumber& a, I b) {
    return compareWithInteger(a, static_cast<__int128>(b)) == std::strong_ordering::equal;
  }
  // Doubles compare by exact value; NaN is unordered.
  friend std::partial_ordering operator<=>(const DecimalNumber& a, double b);
  friend bool operator==(const DecimalNumber& a, double b) { return (a <=> b) == std::partial_ordering::equivalent; }

  // Digits without grouping or exponent, trailing fraction zeros removed, the
  // given decimal separator, "-" only for a non-zero negative value.
  std::string toString(const Separators& separators) const;
  std::string toString() const { return toString(Separators::point()); }
  // The nearest double (correctly rounded).
  double toDouble() const;

 private:
  static std::strong_ordering compareWithInteger(const DecimalNumber& a, __int128 b);

  uint128 magnitude_ = 0;
  std::uint8_t scale_ = 0;
  bool negative_ = false;
};

// Truncation toward zero, scale 0: Fix(7.9) == 7, Fix(-7.9) == -7.
DecimalNumber Fix(const DecimalNumber& a);

}  // namespace teilomat
