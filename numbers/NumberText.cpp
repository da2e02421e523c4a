// Scanning of number text under the user's separators, and its correctly rounded double.
#include "numbers/NumberText.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "numbers/TextScanning.h"

namespace teilomat {
namespace {

using namespace scanning;

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
  number.negative = takeSign(body, pos);
  MantissaDigits mantissa(number);

  // Integer part: the thousands separator may follow any digit, repeatedly.
  bool sawIntegerDigit = false;
  while (pos < body.size()) {
    if (isDigit(body[pos])) {
      mantissa.take(body[pos++], false);
      sawIntegerDigit = true;
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
    while (pos < body.size() && isDigit(body[pos])) mantissa.take(body[pos++], true);
  }
  if (!mantissa.sawDigit()) return std::nullopt;

  // Exponent: e or E, optional sign, at least one digit; nothing may follow.
  const std::optional<std::int64_t> exponent = scanExponent(body, pos);
  if (pos != body.size()) return std::nullopt;
  mantissa.finish(exponent.value_or(0));
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
