// Writing numbers as text: durations to three places, whole doubles, the general number format.
#include "numbers/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace teilomat {

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
  return formatThreeDecimals(milliseconds, separators) +
         " ms = " + formatThreeDecimals(milliseconds / 1000.0, separators) + " sek";
}

std::string wholeText(double value) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, std::trunc(value), std::chars_format::fixed, 0);
  std::string text(buffer, result.ptr);
  if (text == "-0") text = "0";
  return text;
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
