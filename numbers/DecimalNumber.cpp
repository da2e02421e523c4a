// Arithmetic, comparison and text conversion of the 96-bit scaled decimal.
#include "numbers/DecimalNumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "numbers/Uint128Text.h"

namespace teilomat {

namespace {

// An unsigned 256-bit integer, four 64-bit limbs with the least significant
// first. Wide enough for every intermediate value here: a product of two
// magnitudes (< 2^192), a magnitude aligned by 10^28 (< 2^190), a magnitude
// shifted left by up to 150 bits (< 2^246). Operations that would carry out
// of the top limb are not used with such operands.
class Wide {
 public:
  Wide() = default;
  explicit Wide(uint128 value)
      : limbs_{static_cast<std::uint64_t>(value), static_cast<std::uint64_t>(value >> 64), 0, 0} {}

  bool isZero() const { return (limbs_[0] | limbs_[1] | limbs_[2] | limbs_[3]) == 0; }
  bool fitsMagnitude() const {  // <= 2^96 - 1
    return limbs_[3] == 0 && limbs_[2] == 0 && (limbs_[1] >> 32) == 0;
  }
  uint128 low128() const { return (uint128{limbs_[1]} << 64) | limbs_[0]; }
  bool isOdd() const { return (limbs_[0] & 1) != 0; }

  Wide& mulSmall(std::uint64_t factor) {
    uint128 carry = 0;
    for (auto& limb : limbs_) {
      const uint128 product = uint128{limb} * factor + carry;
      limb = static_cast<std::uint64_t>(product);
      carry = product >> 64;
    }
    return *this;
  }
  Wide& mulPow10(int exponent) {
    for (; exponent >= 19; exponent -= 19) mulSmall(10'000'000'000'000'000'000ULL);
    std::uint64_t factor = 1;
    for (; exponent > 0; --exponent) factor *= 10;
    return mulSmall(factor);
  }
  Wide& shiftLeft(int bits) {  // bits < 256
    for (; bits >= 64; bits -= 64) {
      for (int i = 3; i > 0; --i) limbs_[i] = limbs_[i - 1];
      limbs_[0] = 0;
    }
    if (bits > 0) {
      for (int i = 3; i > 0; --i) limbs_[i] = (limbs_[i] << bits) | (limbs_[i - 1] >> (64 - bits));
      limbs_[0] <<= bits;
    }
    return *this;
  }
  // Divides in place and returns the remainder.
  std::uint64_t divSmall(std::uint64_t divisor) {
    uint128 rest = 0;
    for (int i = 3; i >= 0; --i) {
      const uint128 current = (rest << 64) | limbs_[i];
      limbs_[i] = static_cast<std::uint64_t>(current / divisor);
      rest = current % divisor;
    }
    return static_cast<std::uint64_t>(rest);
  }
  Wide& add(const Wide& other) {
    uint128 carry = 0;
    for (int i = 0; i < 4; ++i) {
      const uint128 sum = uint128{limbs_[i]} + other.limbs_[i] + carry;
      limbs_[i] = static_cast<std::uint64_t>(sum);
      carry = sum >> 64;
    }
    return *this;
  }
  Wide& subtract(const Wide& other) {  // requires *this >= other
    std::uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint64_t a = limbs_[i];
      const std::uint64_t b = other.limbs_[i];
      limbs_[i] = a - b - borrow;
      borrow = (a < b || (a == b && borrow != 0)) ? 1 : 0;
    }
    return *this;
  }
  static Wide multiply(uint128 a, uint128 b) {  // full 256-bit product
    const std::uint64_t a0 = static_cast<std::uint64_t>(a), a1 = static_cast<std::uint64_t>(a >> 64);
    const std::uint64_t b0 = static_cast<std::uint64_t>(b), b1 = static_cast<std::uint64_t>(b >> 64);
    Wide result(uint128{a0} * b0);
    Wide middle(uint128{a0} * b1);
    middle.add(Wide(uint128{a1} * b0));  // < 2^129, no carry out of the top
    middle.shiftLeft(64);
    result.add(middle);
    Wide high(uint128{a1} * b1);
    high.shiftLeft(128);
    result.add(high);
    return result;
  }

  // Remainder of *this by a non-zero divisor below 2^255, by binary long
  // division. Cost: one shift and compare per bit of *this.
  Wide remainder(const Wide& divisor) const {
    Wide rest;
    for (int bit = 255; bit >= 0; --bit) {
      rest.shiftLeft(1);
      rest.limbs_[0] |= (limbs_[bit / 64] >> (bit % 64)) & 1;
      if (rest >= divisor) rest.subtract(divisor);
    }
    return rest;
  }

  friend std::strong_ordering operator<=>(const Wide& a, const Wide& b) {
    for (int i = 3; i >= 0; --i) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] <=> b.limbs_[i];
    }
    return std::strong_ordering::equal;
  }

 private:
  std::array<std::uint64_t, 4> limbs_{};
};

uint128 pow10(int exponent) {  // exponent 0..38
  uint128 result = 1;
  for (int i = 0; i < exponent; ++i) result *= 10;
  return result;
}

[[noreturn]] void throwOverflow() { throw DecimalError(DecimalError::Kind::Overflow, "DecimalNumber overflow"); }

// Drops trailing zeros of the fraction, lowering the scale towards 0.
void stripTrailingZeros(uint128& magnitude, int& scale) {
  while (scale > 0 && magnitude % 10 == 0) {
    magnitude /= 10;
    --scale;
  }
}

// Brings an exact value, magnitude / 10^scale with scale 0..56, into the
// DECIMAL range: drops the fewest trailing digits so that the scale is at
// most 28 and the magnitude, rounded half to even on all dropped digits,
// fits 96 bits. A value whose digits all drop away becomes zero (underflow
// is no error); one that does not fit at scale 0 is an overflow.
// Cost: one 256-bit division by 10 per dropped digit.
DecimalNumber roundToFit(Wide magnitude, int scale, bool negative) {
  int firstDropped = 0;      // the most significant dropped digit
  bool restNonZero = false;  // any non-zero digit below it
  int dropped = 0;
  auto dropDigit = [&] {
    restNonZero = restNonZero || firstDropped != 0;
    firstDropped = static_cast<int>(magnitude.divSmall(10));
    ++dropped;
  };
  while (scale - dropped > DecimalNumber::kMaxScale) dropDigit();
  for (;;) {
    Wide rounded = magnitude;
    if (dropped > 0 && (firstDropped > 5 || (firstDropped == 5 && (restNonZero || magnitude.isOdd())))) {
      rounded.add(Wide(1));
    }
    if (rounded.fitsMagnitude()) {
      return DecimalNumber::fromParts(rounded.low128(), scale - dropped, negative);
    }
    if (scale - dropped == 0) throwOverflow();
    dropDigit();
  }
}

// Value of a number written as digits * 10^exponent, exponent possibly huge.
DecimalNumber fromDigits(std::string_view digits, std::int64_t exponent, bool negative) {
  while (!digits.empty() && digits.back() == '0') {
    digits.remove_suffix(1);
    ++exponent;
  }
  if (digits.empty()) return DecimalNumber::fromParts(0, 0, negative);
  const auto count = static_cast<std::int64_t>(digits.size());

  if (exponent >= 0) {
    // A whole number of more than 29 digits is at least 10^29 > 2^96 - 1.
    if (count + exponent > 29) throwOverflow();
    const uint128 magnitude = parseDecimalDigits(digits) * pow10(static_cast<int>(exponent));
    if (magnitude > DecimalNumber::kMaxMagnitude) throwOverflow();
    return DecimalNumber::fromParts(magnitude, 0, negative);
  }

  // The exact value has scale -exponent. Drop the fewest trailing digits so
  // that at most 29 significant digits and at most 28 places remain and the
  // rounded magnitude fits; all dropped digits take part in the rounding.
  const std::int64_t scale = -exponent;
  std::int64_t drop = std::max<std::int64_t>({0, scale - DecimalNumber::kMaxScale, count - 29});
  for (;; ++drop) {
    if (drop > scale) throwOverflow();
    uint128 kept = 0;
    int firstDropped = 0;
    bool restNonZero = false;
    if (drop <= count) {
      const auto keptCount = static_cast<std::size_t>(count - drop);
      kept = parseDecimalDigits(digits.substr(0, keptCount));
      if (drop > 0) {
        firstDropped = digits[keptCount] - '0';
        restNonZero = keptCount + 1 < digits.size();  // the last digit is non-zero
      }
    } else {
      // Every digit lies below the first dropped place, which holds a zero.
      restNonZero = true;
    }
    if (firstDropped > 5 || (firstDropped == 5 && (restNonZero || (kept & 1) != 0))) ++kept;
    if (kept <= DecimalNumber::kMaxMagnitude) {
      int resultScale = static_cast<int>(scale - drop);
      stripTrailingZeros(kept, resultScale);
      return DecimalNumber::fromParts(kept, resultScale, negative);
    }
  }
}

// Sign of a value for comparisons: -1, 0 or 1; any zero is 0.
int signOf(const DecimalNumber& a) { return a.isZero() ? 0 : (a.isNegative() ? -1 : 1); }

// Orders magnitudes given as exact values, then applies the common sign.
std::strong_ordering withSign(std::strong_ordering magnitudeOrder, int sign) {
  if (sign >= 0) return magnitudeOrder;
  return 0 <=> magnitudeOrder;
}

}  // namespace

DecimalNumber::DecimalNumber(std::int64_t value) noexcept
    // Through __int128 so that the most negative int64 has its magnitude too.
    : magnitude_(static_cast<uint128>(value < 0 ? -static_cast<__int128>(value) : static_cast<__int128>(value))),
      negative_(value < 0) {}

DecimalNumber DecimalNumber::fromParts(uint128 magnitude, int scale, bool negative) {
  if (scale < 0 || scale > kMaxScale) throw std::invalid_argument("DecimalNumber scale outside 0..28");
  if (magnitude > kMaxMagnitude) throwOverflow();
  DecimalNumber result;
  result.magnitude_ = magnitude;
  result.scale_ = static_cast<std::uint8_t>(scale);
  result.negative_ = negative;
  return result;
}

DecimalNumber DecimalNumber::fromText(std::string_view text, const Separators& separators) {
  const std::optional<NumberText> number = scanNumberText(text, separators);
  if (!number) throw DecimalError(DecimalError::Kind::NotANumber, "not a number");
  return fromNumberText(*number);
}

DecimalNumber DecimalNumber::fromNumberText(const NumberText& number) {
  DecimalNumber result = fromDigits(number.digits, number.exponent, number.negative);
  // A typed "-0", or a negative value too small to hold, reads as plain zero,
  // so that isNegative() of a read number always means a value below zero.
  if (result.isZero()) result.negative_ = false;
  return result;
}

bool DecimalNumber::isWhole() const { return magnitude_ % pow10(scale_) == 0; }

bool DecimalNumber::isMultipleOf(const DecimalNumber& divisor) const {
  if (divisor.isZero()) throw DecimalError(DecimalError::Kind::DivideByZero, "DecimalNumber division by zero");
  if (scale_ == 0 && divisor.scale_ == 0) return magnitude_ % divisor.magnitude_ == 0;
  // a / b = (ma * 10^sb) / (mb * 10^sa), both sides below 2^190.
  Wide dividend(magnitude_);
  dividend.mulPow10(divisor.scale_);
  Wide divisorWide(divisor.magnitude_);
  divisorWide.mulPow10(scale_);
  return dividend.remainder(divisorWide).isZero();
}

DecimalNumber DecimalNumber::operator-() const {
  DecimalNumber result = *this;
  result.negative_ = !negative_;
  return result;
}

DecimalNumber operator+(const DecimalNumber& a, const DecimalNumber& b) {
  // Align both to the larger scale; the sum is exact in 256 bits and then
  // rounded once.
  const int scale = std::max(a.scale(), b.scale());
  Wide x(a.magnitude());
  x.mulPow10(scale - a.scale());
  Wide y(b.magnitude());
  y.mulPow10(scale - b.scale());
  if (a.isNegative() == b.isNegative()) {
    x.add(y);
    return roundToFit(x, scale, a.isNegative());
  }
  // Opposite signs: the larger magnitude gives the sign; an exact zero is
  // positive.
  if (x >= y) {
    x.subtract(y);
    return roundToFit(x, scale, a.isNegative() && !x.isZero());
  }
  y.subtract(x);
  return roundToFit(y, scale, b.isNegative());
}

DecimalNumber operator-(const DecimalNumber& a, const DecimalNumber& b) { return a + (-b); }

DecimalNumber operator*(const DecimalNumber& a, const DecimalNumber& b) {
  // The exact product has the sum of the scales (up to 56) and fewer than
  // 192 bits; roundToFit brings it back into range.
  return roundToFit(Wide::multiply(a.magnitude(), b.magnitude()), a.scale() + b.scale(),
                    a.isNegative() != b.isNegative());
}

DecimalNumber operator/(const DecimalNumber& a, const DecimalNumber& b) {
  if (b.isZero()) throw DecimalError(DecimalError::Kind::DivideByZero, "DecimalNumber division by zero");
  const bool negative = a.isNegative() != b.isNegative();

  // value = (ma / mb) * 10^shift. Long division yields q_t = floor(ma * 10^t / mb)
  // one decimal digit t at a time, which stands for the value at scale
  // t - shift. Scales run from 0 (t = max(shift, 0)) to 28 (t = 28 + shift);
  // the last t whose rounded quotient fits 96 bits is taken.
  const uint128 divisor = b.magnitude();
  const int shift = b.scale() - a.scale();
  const int firstT = std::max(shift, 0);
  const int lastT = DecimalNumber::kMaxScale + shift;

  uint128 quotient = a.magnitude() / divisor;
  uint128 remainder = a.magnitude() % divisor;
  // Both stay below 2^100: quotient <= 2^96 - 1 before each step and the
  // remainder below the divisor.
  auto nextDigit = [&](uint128& q, uint128& r) {
    const uint128 wide = r * 10;
    q = q * 10 + wide / divisor;
    r = wide % divisor;
  };
  // Rounded half to even on the remainder of the exact quotient.
  auto rounded = [&](uint128 q, uint128 r) {
    const uint128 twice = r * 2;  // r < 2^96
    return (twice > divisor || (twice == divisor && (q & 1) != 0)) ? q + 1 : q;
  };

  int t = 0;
  for (; t < firstT; ++t) {
    nextDigit(quotient, remainder);
    if (quotient > DecimalNumber::kMaxMagnitude) throwOverflow();  // only grows from here
  }
  uint128 result = rounded(quotient, remainder);
  if (result > DecimalNumber::kMaxMagnitude) throwOverflow();
  // More places while the division has not terminated and they fit.
  while (t < lastT && remainder != 0) {
    uint128 q = quotient;
    uint128 r = remainder;
    nextDigit(q, r);
    if (q > DecimalNumber::kMaxMagnitude) break;
    const uint128 candidate = rounded(q, r);
    if (candidate > DecimalNumber::kMaxMagnitude) break;  // rounding carried past 96 bits
    quotient = q;
    remainder = r;
    result = candidate;
    ++t;
  }
  int scale = t - shift;
  stripTrailingZeros(result, scale);
  return DecimalNumber::fromParts(result, scale, negative);
}

DecimalNumber Fix(const DecimalNumber& a) {
  return DecimalNumber::fromParts(a.magnitude() / pow10(a.scale()), 0, a.isNegative());
}

std::strong_ordering operator<=>(const DecimalNumber& a, const DecimalNumber& b) {
  const int signA = signOf(a);
  const int signB = signOf(b);
  if (signA != signB || signA == 0) return signA <=> signB;
  // Same non-zero sign: compare magnitudes aligned to the larger scale.
  const int scale = std::max(a.scale(), b.scale());
  Wide x(a.magnitude());
  x.mulPow10(scale - a.scale());
  Wide y(b.magnitude());
  y.mulPow10(scale - b.scale());
  return withSign(x <=> y, signA);
}

std::strong_ordering DecimalNumber::compareWithInteger(const DecimalNumber& a, __int128 b) {
  const int signA = signOf(a);
  const int signB = b == 0 ? 0 : (b < 0 ? -1 : 1);
  if (signA != signB || signA == 0) return signA <=> signB;
  // |b| as unsigned, also for the most negative __int128.
  const uint128 absB = b < 0 ? uint128{0} - static_cast<uint128>(b) : static_cast<uint128>(b);
  Wide y(absB);
  y.mulPow10(a.scale());  // < 2^128 * 10^28 < 2^222
  return withSign(Wide(a.magnitude()) <=> y, signA);
}

std::partial_ordering operator<=>(const DecimalNumber& a, double b) {
  if (std::isnan(b)) return std::partial_ordering::unordered;
  const int signA = signOf(a);
  const int signB = b == 0.0 ? 0 : (b < 0 ? -1 : 1);
  if (signA != signB || signA == 0) return signA <=> signB;
  const double absB = std::fabs(b);
  // |a| < 2^96 <= |b|, also for infinity.
  if (absB >= 0x1p96) return withSign(std::strong_ordering::less, signA);

  // |b| = mantissa * 2^exponent exactly, with an odd mantissa below 2^53.
  int binaryExponent = 0;
  const double fraction = std::frexp(absB, &binaryExponent);  // absB = fraction * 2^binaryExponent
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int exponent = binaryExponent - 53;
  const int zeros = std::countr_zero(mantissa);
  mantissa >>= zeros;
  exponent += zeros;

  // Compare |a| = M / 10^s with mantissa * 2^exponent.
  Wide left(a.magnitude());
  Wide right(mantissa);
  right.mulPow10(a.scale());
  if (exponent >= 0) {
    right.shiftLeft(exponent);  // mantissa * 2^exponent < 2^96, times 10^28 < 2^190
  } else if (exponent >= -150) {
    left.shiftLeft(-exponent);  // < 2^246
  } else {
    // |b| < 2^53 * 2^-151 = 2^-98, below the smallest non-zero |a| = 10^-28.
    return withSign(std::strong_ordering::greater, signA);
  }
  return withSign(left <=> right, signA);
}

std::string DecimalNumber::toString(const Separators& separators) const {
  // At least one digit before the places of the scale: 5 with scale 2 is 0,05.
  std::string digits = toDecimalText(magnitude_);
  const auto width = static_cast<std::size_t>(scale_) + 1;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');

  std::string text = magnitude_ != 0 && negative_ ? "-" : "";
  const std::size_t integerDigits = digits.size() - scale_;
  text.append(digits, 0, integerDigits);
  std::string_view fraction = std::string_view(digits).substr(integerDigits);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (!fraction.empty()) {
    text += separators.decimal;
    text += fraction;
  }
  return text;
}

double DecimalNumber::toDouble() const {
  NumberText number;
  number.negative = negative_;
  if (magnitude_ != 0) number.digits = toDecimalText(magnitude_);
  number.exponent = -static_cast<std::int64_t>(scale_);
  return teilomat::toDouble(number);
}

}  // namespace teilomat
