// Scanning of number text under the user's separators, and its correctly rounded double.
#include "primes/NumberText.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace teilomat {

namespace {

// Exponents are saturated here while scanning. The bound is far beyond any
// value a double or a DecimalNumber can hold, yet leaves room in int64 for the
// adjustment by the number of fraction digits.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;  // 1e15

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// True when `text` continues at `pos` with the non-empty `token`. An empty
// separator (a locale without grouping) never matches.
bool startsWithAt(std::string_view text, std::size_t pos, const std::string& token) {
  return !token.empty() && text.substr(pos).starts_with(token);
}

}  // namespace

std::optional<NumberText> scanNumberText(std::string_view text, const Separators& separators) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  const std::string_view body = text.substr(begin, end - begin);

  NumberText number;
  std::size_t pos = 0;
  if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
    number.negative = body[pos] == '-';
    ++pos;
  }

  // Digits go into number.digits once the first non-zero one is seen, so the
  // string never has leading zeros; each fraction digit lowers the exponent.
  bool sawDigit = false;
  std::int64_t fractionDigits = 0;
  auto takeDigit = [&](char c) {
    sawDigit = true;
    if (c != '0' || !number.digits.empty()) number.digits.push_back(c);
  };

  // Integer part: the thousands separator may follow any digit, repeatedly.
  bool sawIntegerDigit = false;
  while (pos < body.size()) {
    if (isDigit(body[pos])) {
      takeDigit(body[pos]);
      sawIntegerDigit = true;
      ++pos;
    } else if (sawIntegerDigit && !startsWithAt(body, pos, separators.decimal) &&
               startsWithAt(body, pos, separators.thousands)) {
      pos += separators.thousands.size();
    } else {
      break;
    }
  }

  // Fraction part.
  if (startsWithAt(body, pos, separators.decimal)) {
    pos += separators.decimal.size();
    while (pos < body.size() && isDigit(body[pos])) {
      takeDigit(body[pos]);
      ++fractionDigits;
      ++pos;
    }
  }
  if (!sawDigit) return std::nullopt;

  // Exponent: e or E, optional sign, at least one digit.
  std::int64_t exponent = 0;
  if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
    ++pos;
    bool negativeExponent = false;
    if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
      negativeExponent = body[pos] == '-';
      ++pos;
    }
    if (pos >= body.size() || !isDigit(body[pos])) return std::nullopt;
    while (pos < body.size() && isDigit(body[pos])) {
      if (exponent < kExponentLimit) exponent = exponent * 10 + (body[pos] - '0');
      ++pos;
    }
    if (exponent > kExponentLimit) exponent = kExponentLimit;
    if (negativeExponent) exponent = -exponent;
  }
  if (pos != body.size()) return std::nullopt;

  // A text longer than the limit cannot exist in memory, so this stays in range.
  number.exponent = exponent - fractionDigits;
  return number;
}

double toDouble(const NumberText& number) {
  const double sign = number.negative ? -1.0 : 1.0;

  // Trailing zeros only lengthen the string that is handed to from_chars.
  std::string_view digits = number.digits;
  std::int64_t exponent = number.exponent;
  while (!digits.empty() && digits.back() == '0') {
    digits.remove_suffix(1);
    ++exponent;
  }
  if (digits.empty()) return sign * 0.0;

  // The value lies in [10^(magnitude-1), 10^magnitude).
  const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) + exponent;
  if (magnitude > 310) return sign * std::numeric_limits<double>::infinity();  // >= 1e309
  if (magnitude < -330) return sign * 0.0;  // < 1e-330, below half the least subnormal

  // 767 significant digits always decide the rounding of a double; keep 800
  // and stand for any non-zero rest by one more non-zero digit ("sticky").
  constexpr std::size_t kKeptDigits = 800;
  std::string canonical;
  if (digits.size() > kKeptDigits) {
    canonical.assign(digits.substr(0, kKeptDigits));
    exponent += static_cast<std::int64_t>(digits.size() - kKeptDigits);
    // digits ends in a non-zero digit, so the rest is non-zero.
    canonical.push_back('1');
    exponent -= 1;
  } else {
    canonical.assign(digits);
  }
  canonical += 'e';
  canonical += std::to_string(exponent);

  double value = 0.0;
  const char* first = canonical.data();
  const char* last = first + canonical.size();
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::scientific);
  if (ec == std::errc::result_out_of_range) {
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return sign * value;
}

}  // namespace teilomat
