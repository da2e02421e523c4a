// Reading the benchmark's clock answer leniently, as a double.
#include "numbers/ClockValue.h"

#include <string>

#include "numbers/NumberText.h"
#include "numbers/TextScanning.h"

namespace teilomat {
namespace {

using namespace scanning;

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

// Sign, digits, at most one "." and an exponent; stops at the first
// character that cannot continue the number.
double readDecimal(std::string_view s) {
  std::size_t pos = 0;
  NumberText number;
  number.negative = takeSign(s, pos);
  MantissaDigits mantissa(number);
  while (pos < s.size() && isDigit(s[pos])) mantissa.take(s[pos++], false);
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    while (pos < s.size() && isDigit(s[pos])) mantissa.take(s[pos++], true);
  }
  if (!mantissa.sawDigit()) return 0.0;
  // Without a digit the E cannot continue the number: it ends before the E.
  mantissa.finish(scanExponent(s, pos).value_or(0));
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

}  // namespace teilomat
