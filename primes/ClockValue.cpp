// Reading the benchmark's clock answer and writing doubles in the general number format.
#include "primes/ClockValue.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "primes/NumberText.h"

namespace teilomat {
namespace {

// Saturation of the exponent while reading: far beyond any double, with room
// in int64 for the adjustment by the count of fraction digits.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;  // 1e15

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of c as a digit of the given base, or -1.
int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

double readWhole(std::string_view digits, int base) {
  double value = 0.0;
  for (char c : digits) {
    const int v = digitValue(c, base);
    if (v < 0) break;
    value = value * base + v;
  }
  return value;
}

double readDecimal(std::string_view s) {
  std::size_t pos = 0;
  NumberText number;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    number.negative = s[pos] == '-';
    ++pos;
  }
  bool sawDigit = false;
  std::int64_t fractionDigits = 0;
  auto take = [&](char c) {
    sawDigit = true;
    if (c != '0' || !number.digits.empty()) number.digits.push_back(c);
  };
  while (pos < s.size() && isDigit(s[pos])) take(s[pos++]);
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    while (pos < s.size() && isDigit(s[pos])) {
      take(s[pos++]);
      ++fractionDigits;
    }
  }
  if (!sawDigit) return 0.0;

  std::int64_t exponent = 0;
  if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
    std::size_t p = pos + 1;
    bool negativeExponent = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
      negativeExponent = s[p] == '-';
      ++p;
    }
    // Without a digit the E cannot continue the number: it ends before the E.
    if (p < s.size() && isDigit(s[p])) {
      while (p < s.size() && isDigit(s[p])) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + (s[p] - '0');
        ++p;
      }
      if (exponent > kExponentLimit) exponent = kExponentLimit;
      if (negativeExponent) exponent = -exponent;
    }
  }
  // The answer cannot hold 1e15 fraction digits, so this stays in range.
  number.exponent = exponent - fractionDigits;
  return toDouble(number);
}

}  // namespace

double readClockValue(std::string_view answer) {
  std::string s;
  s.reserve(answer.size());
  for (char c : answer)
    if (!isBlank(c)) s.push_back(c);

  if (!s.empty() && s[0] == '&') {
    if (s.size() >= 2 && (s[1] == 'H' || s[1] == 'h')) return readWhole(std::string_view(s).substr(2), 16);
    if (s.size() >= 2 && (s[1] == 'O' || s[1] == 'o')) return readWhole(std::string_view(s).substr(2), 8);
    return 0.0;
  }
  return readDecimal(s);
}

std::string generalNumberText(double value, const Separators& separators) {
  char buffer[64];
  if (!std::isfinite(value)) {
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
  }
  if (value == 0.0) return "0";

  // Rounded to 15 significant digits: "-d.dddddddddddddde+XXX".
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
  const bool negative = text[0] == '-';
  const std::size_t mantissaStart = negative ? 1 : 0;
  const std::size_t ePos = text.find('e');
  std::string digits;
  for (std::size_t i = mantissaStart; i < ePos; ++i)
    if (text[i] != '.') digits.push_back(text[i]);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) out += separators.decimal + digits.substr(1);
    const int magnitude = std::abs(exponent);
    out += exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent >= 0) {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + separators.decimal + digits.substr(whole);
    }
  } else {
    out += "0" + separators.decimal + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return out;
}

}  // namespace teilomat
