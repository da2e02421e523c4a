// Tests of DecimalNumber: published vectors, the program's facts, and random cases against exact digit-string
// arithmetic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "numbers/DecimalNumber.h"
#include "numbers/NumberFormat.h"
#include "numbers/Uint128Text.h"

namespace teilomat {
namespace {

const Separators kComma = Separators::comma();
const Separators kPoint = Separators::point();
const std::string kMaxText = "79228162514264337593543950335";

// --- Exact reference arithmetic on decimal digit strings -----------------
// Natural numbers as digit strings without leading zeros ("0" for zero).
// Deliberately simple schoolbook code, independent of the 128-bit code.

std::string trimmed(std::string s) {
  const auto first = s.find_first_not_of('0');
  return first == std::string::npos ? "0" : s.substr(first);
}

int compareNat(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a < b ? -1 : (a > b ? 1 : 0);
}

std::string addNat(const std::string& a, const std::string& b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    const int x = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
    const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    sum.push_back(static_cast<char>('0' + (x + y + carry) % 10));
    carry = (x + y + carry) / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return trimmed(sum);
}

std::string subNat(const std::string& a, const std::string& b) {  // a >= b
  std::string diff;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int x = a[a.size() - 1 - i] - '0' - borrow;
    const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    borrow = x < y ? 1 : 0;
    diff.push_back(static_cast<char>('0' + x + 10 * borrow - y));
  }
  std::reverse(diff.begin(), diff.end());
  return trimmed(diff);
}

std::string mulNat(const std::string& a, const std::string& b) {
  std::vector<int> cells(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) cells[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (std::size_t k = cells.size() - 1; k > 0; --k) {
    cells[k - 1] += cells[k] / 10;
    cells[k] %= 10;
  }
  std::string product;
  for (int cell : cells) product.push_back(static_cast<char>('0' + cell));
  return trimmed(product);
}

std::string shiftNat(const std::string& a, int places) {  // a * 10^places
  return a == "0" ? a : a + std::string(static_cast<std::size_t>(places), '0');
}

// Long division: {floor(a / b), a mod b}, b > 0.
std::pair<std::string, std::string> divModNat(const std::string& a, const std::string& b) {
  std::string quotient;
  std::string rest = "0";
  for (char c : a) {
    rest = trimmed(rest + c);
    int digit = 0;
    while (compareNat(rest, b) >= 0) {
      rest = subNat(rest, b);
      ++digit;
    }
    quotient.push_back(static_cast<char>('0' + digit));
  }
  return {trimmed(quotient), rest};
}

std::string natOf(uint128 value) {
  std::string s;
  do {
    s.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  std::reverse(s.begin(), s.end());
  return s;
}

// "5000...": half of 10^places, written with `places` digits.
std::string halfUnit(std::size_t places) {
  std::string half(places, '0');
  half[0] = '5';
  return half;
}

bool isOdd(const std::string& nat) { return (nat.back() - '0') % 2 == 1; }

// A signed exact value: (negative ? -1 : 1) * magnitude / 10^scale; zero is
// never negative.
struct Exact {
  bool negative = false;
  std::string magnitude = "0";
  int scale = 0;
};

Exact exactOf(const DecimalNumber& d) { return {d.isNegative() && !d.isZero(), natOf(d.magnitude()), d.scale()}; }

int compareExact(const Exact& a, const Exact& b) {
  const int signA = a.magnitude == "0" ? 0 : (a.negative ? -1 : 1);
  const int signB = b.magnitude == "0" ? 0 : (b.negative ? -1 : 1);
  if (signA != signB || signA == 0) return signA < signB ? -1 : (signA > signB ? 1 : 0);
  const int scale = std::max(a.scale, b.scale);
  const int order = compareNat(shiftNat(a.magnitude, scale - a.scale), shiftNat(b.magnitude, scale - b.scale));
  return signA * order;
}

Exact addExact(const Exact& a, const Exact& b) {
  const int scale = std::max(a.scale, b.scale);
  const std::string x = shiftNat(a.magnitude, scale - a.scale);
  const std::string y = shiftNat(b.magnitude, scale - b.scale);
  if (a.negative == b.negative) return {a.negative, addNat(x, y), scale};
  if (compareNat(x, y) >= 0) return {a.negative && x != y, subNat(x, y), scale};
  return {b.negative, subNat(y, x), scale};
}

Exact mulExact(const Exact& a, const Exact& b) {
  const std::string product = mulNat(a.magnitude, b.magnitude);
  return {product != "0" && a.negative != b.negative, product, a.scale + b.scale};
}

// The DECIMAL result of an exact sum or product: drop the fewest digits so
// that the scale is at most 28 and the half-even rounded magnitude is at most
// 2^96 - 1; nullopt for an overflow.
std::optional<Exact> fitReference(const Exact& exact) {
  for (int drop = std::max(0, exact.scale - 28);; ++drop) {
    if (exact.scale - drop < 0) return std::nullopt;
    const std::string padded = std::string(static_cast<std::size_t>(drop), '0') + exact.magnitude;
    const std::string kept = trimmed(padded.substr(0, padded.size() - static_cast<std::size_t>(drop)));
    const std::string dropped = padded.substr(padded.size() - static_cast<std::size_t>(drop));
    bool up = false;
    if (drop > 0) {
      const int order = dropped.compare(halfUnit(static_cast<std::size_t>(drop)));
      up = order > 0 || (order == 0 && isOdd(kept));
    }
    const std::string rounded = up ? addNat(kept, "1") : kept;
    if (compareNat(rounded, kMaxText) <= 0) return Exact{exact.negative && rounded != "0", rounded, exact.scale - drop};
  }
}

// The DECIMAL quotient: the largest scale s <= 28 at which the half-even
// rounded quotient fits, trailing zeros then removed; nullopt for overflow.
std::optional<Exact> divideReference(const Exact& a, const Exact& b) {
  // a / b = numerator / denominator exactly; q28 = that value at scale 28.
  const std::string numerator = shiftNat(a.magnitude, b.scale);
  const std::string denominator = shiftNat(b.magnitude, a.scale);
  const auto [q28, rest] = divModNat(shiftNat(numerator, 28), denominator);
  for (int scale = 28; scale >= 0; --scale) {
    const auto drop = static_cast<std::size_t>(28 - scale);
    const std::string padded = std::string(drop, '0') + q28;
    const std::string kept = trimmed(padded.substr(0, padded.size() - drop));
    const std::string dropped = padded.substr(padded.size() - drop);
    bool up = false;
    if (drop == 0) {
      const int order = compareNat(mulNat(rest, "2"), denominator);
      up = order > 0 || (order == 0 && isOdd(kept));
    } else {
      const int order = dropped.compare(halfUnit(drop));
      up = order > 0 || (order == 0 && (rest != "0" || isOdd(kept)));
    }
    std::string rounded = up ? addNat(kept, "1") : kept;
    if (compareNat(rounded, kMaxText) <= 0) {
      int resultScale = scale;
      while (resultScale > 0 && rounded.size() > 1 && rounded.back() == '0') {
        rounded.pop_back();
        --resultScale;
      }
      if (rounded == "0") resultScale = 0;
      return Exact{rounded != "0" && a.negative != b.negative, rounded, resultScale};
    }
  }
  return std::nullopt;
}

// --- Helpers -------------------------------------------------------------

// A DecimalNumber written literally with its scale kept: "4.50" is 450 at
// scale 2, "-0.0" is a negative zero at scale 1. Point as separator.
DecimalNumber literal(const std::string& text) {
  const bool negative = text.front() == '-';
  const std::string body = negative ? text.substr(1) : text;
  const auto point = body.find('.');
  const std::string digits = point == std::string::npos ? body : body.substr(0, point) + body.substr(point + 1);
  const int scale = point == std::string::npos ? 0 : static_cast<int>(body.size() - point - 1);
  uint128 magnitude = 0;
  for (char c : digits) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  return DecimalNumber::fromParts(magnitude, scale, negative);
}

// Same value, same scale, same sign when non-zero.
::testing::AssertionResult sameDecimal(const DecimalNumber& actual, const DecimalNumber& expected) {
  if (actual.magnitude() == expected.magnitude() && actual.scale() == expected.scale() &&
      (actual.isZero() || actual.isNegative() == expected.isNegative())) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got " << (actual.isNegative() ? "-" : "+") << natOf(actual.magnitude())
                                       << " scale " << actual.scale() << ", expected "
                                       << (expected.isNegative() ? "-" : "+") << natOf(expected.magnitude())
                                       << " scale " << expected.scale();
}

::testing::AssertionResult matchesExact(const DecimalNumber& actual, const Exact& expected) {
  const Exact got = exactOf(actual);
  if (got.negative == expected.negative && got.magnitude == expected.magnitude && got.scale == expected.scale) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got " << (got.negative ? "-" : "+") << got.magnitude << " scale "
                                       << got.scale << ", expected " << (expected.negative ? "-" : "+")
                                       << expected.magnitude << " scale " << expected.scale;
}

std::optional<DecimalError::Kind> errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DecimalError& error) {
    return error.kind();
  }
  return std::nullopt;
}

// --- Published vectors of arithmetic -------------------------------------

enum class Op { Add, Subtract, Multiply, Divide };

struct ArithmeticRow {
  const char* name;
  Op op;
  std::string a;
  std::string b;
  std::string expected;  // literal with the expected scale; empty when an error is expected
  std::optional<DecimalError::Kind> error;
};
void PrintTo(const ArithmeticRow& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class DecimalVectors : public ::testing::TestWithParam<ArithmeticRow> {};

TEST_P(DecimalVectors, GivesThePublishedResult) {
  const ArithmeticRow& row = GetParam();
  const DecimalNumber a = literal(row.a);
  const DecimalNumber b = literal(row.b);
  DecimalNumber result;
  const auto error = errorOf([&] {
    switch (row.op) {
      case Op::Add: result = a + b; break;
      case Op::Subtract: result = a - b; break;
      case Op::Multiply: result = a * b; break;
      case Op::Divide: result = a / b; break;
    }
  });
  if (row.error) {
    EXPECT_EQ(error, row.error);
  } else {
    ASSERT_FALSE(error.has_value());
    EXPECT_TRUE(sameDecimal(result, literal(row.expected)));
  }
}

std::string arithmeticRowName(const ::testing::TestParamInfo<ArithmeticRow>& info) { return info.param.name; }

constexpr auto kOverflow = DecimalError::Kind::Overflow;
constexpr auto kDivideByZero = DecimalError::Kind::DivideByZero;

INSTANTIATE_TEST_SUITE_P(
    DecimalPublished, DecimalVectors,
    ::testing::Values(
        ArithmeticRow{"V01_OneThird", Op::Divide, "1", "3", "0.3333333333333333333333333333", {}},
        ArithmeticRow{"V02_TwoThirdsRoundsUp", Op::Divide, "2", "3", "0.6666666666666666666666666667", {}},
        ArithmeticRow{"V03_TenthByThree", Op::Divide, "0.1", "3", "0.0333333333333333333333333333", {}},
        ArithmeticRow{"V04_OneByPointThree", Op::Divide, "1", "0.3", "3.3333333333333333333333333333", {}},
        ArithmeticRow{"V05_TenthByThreeHundredths", Op::Divide, "0.1", "0.03", "3.3333333333333333333333333333", {}},
        ArithmeticRow{"V06_TenthByPointThree", Op::Divide, "0.1", "0.3", "0.3333333333333333333333333333", {}},
        ArithmeticRow{"V07_TenHundredthsByPointThree", Op::Divide, "0.10", "0.3", "0.3333333333333333333333333333", {}},
        ArithmeticRow{"V08_FortyFiveByPointNine", Op::Divide, "45", "0.9", "50", {}},
        ArithmeticRow{"V09_FourPointFiveByNineHundredths", Op::Divide, "4.5", "0.09", "50", {}},
        ArithmeticRow{"V10_FourPointFiveByNine", Op::Divide, "4.5", "9", "0.5", {}},
        ArithmeticRow{"V11_NegativeQuotient", Op::Divide, "-45", "9", "-5", {}},
        ArithmeticRow{"V12_ByZero", Op::Divide, "1", "0", "", kDivideByZero},
        ArithmeticRow{"V13_ZeroByZero", Op::Divide, "0", "0", "", kDivideByZero},
        // Native versions differ (5.0 or 5); every quotient here is stripped.
        ArithmeticRow{"V14_StrippedToScale0", Op::Divide, "4.50", "0.9", "5", {}},
        ArithmeticRow{"V15_ProductKeepsScale", Op::Multiply, "0.0005", "0.002", "0.0000010", {}},
        ArithmeticRow{"V16_ProductScale7", Op::Multiply, "0.0002", "0.002", "0.0000004", {}},
        ArithmeticRow{"V17_LargeProduct",
                      Op::Multiply,
                      "18446744073709551615",
                      "2000000000",
                      "36893488147419103230000000000",
                      {}},
        ArithmeticRow{"V18_ProductOverflow", Op::Multiply, "18446744073709551615", "20000000000", "", kOverflow},
        ArithmeticRow{"V19_ProductLosesPlaces",
                      Op::Multiply,
                      "184467440737095516.15",
                      "40000000001",
                      "7378697629668288086737095516.2",
                      {}},
        ArithmeticRow{"V20_MaxPlusOne", Op::Add, kMaxText, "1", "", kOverflow},
        ArithmeticRow{
            "V21_SumLosesPlace", Op::Add, "7922816251426433759354395033.5", "0.1", "7922816251426433759354395034", {}},
        ArithmeticRow{"V22_MaxPlusNegative", Op::Add, kMaxText, "-123.456", "79228162514264337593543950212", {}},
        ArithmeticRow{"V23_MaxPlusTwelve", Op::Add, kMaxText, "12.3456", "", kOverflow},
        ArithmeticRow{"V24_DifferenceLosesPlaces",
                      Op::Subtract,
                      "7922816251426433759354395033",
                      "123.567",
                      "7922816251426433759354394909.4",
                      {}},
        ArithmeticRow{"V25_SumDropsToScale0",
                      Op::Add,
                      "7000000000000000000000000000.0",
                      "7000000000000000000000000000.0",
                      "14000000000000000000000000000",
                      {}},
        ArithmeticRow{"V26_SumOverflow", Op::Add, "70000000000000000000000000000", "70000000000000000000000000000", "",
                      kOverflow},
        ArithmeticRow{"V27_SumKeepsLargerScale", Op::Add, "1.00", "1", "2.00", {}},
        ArithmeticRow{"FortyFiveByNine", Op::Divide, "45", "9", "5", {}},
        ArithmeticRow{"TenthByOne", Op::Divide, "0.1", "1", "0.1", {}},
        ArithmeticRow{"ZeroByOne", Op::Divide, "0", "1", "0", {}},
        ArithmeticRow{"MaxByTenthOverflows", Op::Divide, kMaxText, "0.1", "", kOverflow},
        ArithmeticRow{"MaxPlusSmallFractionIsMax", Op::Add, kMaxText, "0.123456", kMaxText, {}},
        ArithmeticRow{"MaxPlusLargerFractionOverflows", Op::Add, kMaxText, "1.23456", "", kOverflow},
        ArithmeticRow{"OneMinusOne", Op::Add, "1", "-1", "0", {}},
        ArithmeticRow{"ZeroMinusZero", Op::Subtract, "0", "0", "0", {}},
        ArithmeticRow{"ZerosKeepScale", Op::Add, "0.00", "0", "0.00", {}},
        ArithmeticRow{"ProductFourTenThousandths", Op::Multiply, "0.0002", "2", "0.0004", {}},
        ArithmeticRow{"MaxByThreeExact", Op::Divide, kMaxText, "3", "26409387504754779197847983445", {}},
        ArithmeticRow{"MaxByTwoRoundsToEvenUp", Op::Divide, kMaxText, "2", "39614081257132168796771975168", {}},
        ArithmeticRow{"OneSeventh", Op::Divide, "1", "7", "0.1428571428571428571428571429", {}},
        ArithmeticRow{"ThousandThirds", Op::Divide, "1000", "3", "333.33333333333333333333333333", {}},
        ArithmeticRow{"OneByMaxIsZero", Op::Divide, "1", kMaxText, "0", {}},
        ArithmeticRow{"QuarterStripped", Op::Divide, "1", "4", "0.25", {}},
        ArithmeticRow{"TenByTwoStripped", Op::Divide, "10", "2", "5", {}},
        ArithmeticRow{"SixPointZeroByTwoStripped", Op::Divide, "6.0", "2", "3", {}},
        ArithmeticRow{"ThousandthsByFourStripped", Op::Divide, "1.000", "4", "0.25", {}},
        ArithmeticRow{"SignIsXorOfSigns", Op::Divide, "-1", "-4", "0.25", {}}),
    arithmeticRowName);

// Derived from the published rules rather than stated by a source.
INSTANTIATE_TEST_SUITE_P(DecimalInferred, DecimalVectors,
                         ::testing::Values(ArithmeticRow{"Inferred_HalfQuotientGoesToEven",
                                                         Op::Divide,
                                                         "79228162514264337593543950333",
                                                         "2",
                                                         "39614081257132168796771975166",
                                                         {}},
                                           ArithmeticRow{"Inferred_HalfTimesTinyUnderflowsToZero",
                                                         Op::Multiply,
                                                         "0.5",
                                                         "0.0000000000000000000000000001",
                                                         "0.0000000000000000000000000000",
                                                         {}},
                                           ArithmeticRow{"Inferred_TwoAndAHalfTimesTinyToEven",
                                                         Op::Multiply,
                                                         "2.5",
                                                         "0.0000000000000000000000000001",
                                                         "0.0000000000000000000000000002",
                                                         {}},
                                           ArithmeticRow{"Inferred_TinyTimesTinyIsZero",
                                                         Op::Multiply,
                                                         "0.0000000000000000000000000001",
                                                         "0.0000000000000000000000000001",
                                                         "0.0000000000000000000000000000",
                                                         {}},
                                           ArithmeticRow{"Inferred_MaxPlusHalfOverflows", Op::Add, kMaxText, "0.5", "",
                                                         kOverflow},
                                           ArithmeticRow{"Inferred_MaxMinusOnePlusHalfToEven",
                                                         Op::Add,
                                                         "79228162514264337593543950334",
                                                         "0.5",
                                                         "79228162514264337593543950334",
                                                         {}},
                                           ArithmeticRow{"Inferred_ProductStickyBeyondHalf",
                                                         Op::Multiply,
                                                         "2.50000000000000000000000001",
                                                         "0.0000000000000000000000000001",
                                                         "0.0000000000000000000000000003",
                                                         {}},
                                           // One more place would give 2^96 - 1 + 5/7, which rounds past 96 bits.
                                           ArithmeticRow{"Inferred_QuotientCarryKeepsFewerPlaces",
                                                         Op::Divide,
                                                         "55459713759985036315480765235",
                                                         "7",
                                                         "7922816251426433759354395034",
                                                         {}}),
                         arithmeticRowName);

// --- Comparison ------------------------------------------------------------

TEST(DecimalCompare, PublishedOrder) {
  EXPECT_EQ(literal("-0") <=> literal("0"), std::strong_ordering::equal);  // V28
  EXPECT_TRUE(literal("-0") == literal("0"));
  EXPECT_EQ(literal("123.456") <=> literal(kMaxText), std::strong_ordering::less);  // V29
}

struct OrderRow {
  const char* name;
  std::string a;
  std::string b;
  std::strong_ordering expected;
};
void PrintTo(const OrderRow& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class DecimalOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(DecimalOrder, ComparesByValue) {
  const OrderRow& row = GetParam();
  const DecimalNumber a = literal(row.a);
  const DecimalNumber b = literal(row.b);
  EXPECT_EQ(a <=> b, row.expected);
  EXPECT_EQ(b <=> a, 0 <=> row.expected);
  EXPECT_EQ(a == b, row.expected == 0);
  EXPECT_EQ(a < b, row.expected < 0);
  EXPECT_EQ(a >= b, row.expected >= 0);
}

INSTANTIATE_TEST_SUITE_P(
    DecimalTable, DecimalOrder,
    ::testing::Values(
        OrderRow{"ZerosOfAllKinds", "-0.000", "0", std::strong_ordering::equal},
        OrderRow{"ScaleDoesNotMatter", "2.00", "2", std::strong_ordering::equal},
        OrderRow{"FractionAboveWhole", "2.0000000000000000000000000001", "2", std::strong_ordering::greater},
        OrderRow{"NegativesReversed", "-2.5", "-2.49", std::strong_ordering::less},
        OrderRow{"NegativeBelowZero", "-0.0000000000000000000000000001", "0", std::strong_ordering::less},
        OrderRow{"MaxAboveMaxMinusOne", kMaxText, "79228162514264337593543950334", std::strong_ordering::greater},
        OrderRow{"MaxAtScale28AboveSeven", "7.9228162514264337593543950335", "7", std::strong_ordering::greater},
        OrderRow{"MaxAtScale28BelowEight", "7.9228162514264337593543950335", "8", std::strong_ordering::less},
        OrderRow{"NegativeMaxBelowPositiveTiny", "-" + kMaxText, "0.0000000000000000000000000001",
                 std::strong_ordering::less}),
    [](const ::testing::TestParamInfo<OrderRow>& info) { return std::string(info.param.name); });

TEST(DecimalCompare, WithIntegers) {
  EXPECT_TRUE(literal("17.000") == 17);
  EXPECT_TRUE(literal("-0.0") == 0);
  EXPECT_TRUE(literal("16.9") < 17);
  EXPECT_TRUE(literal("17.1") > 17);
  EXPECT_TRUE(literal("-17.1") < -17);
  EXPECT_TRUE(literal("2.5") > 2u);
  EXPECT_TRUE(literal("2.5") < std::uint64_t{3});
  EXPECT_TRUE(literal("281474976710656") == std::int64_t{281474976710656});
  EXPECT_TRUE(literal("1") > std::numeric_limits<std::int64_t>::min());
  EXPECT_TRUE(literal(kMaxText) < std::numeric_limits<std::uint64_t>::max() * uint128{1} * 5000000000ULL);
  EXPECT_TRUE(literal("-" + kMaxText) > std::numeric_limits<__int128>::min());
  EXPECT_TRUE(literal(kMaxText) < std::numeric_limits<__int128>::max());
  EXPECT_TRUE(literal("-0.5") > -1);
  EXPECT_TRUE(literal("-0.5") < 0);
}

TEST(DecimalCompare, WithDoublesByExactValue) {
  EXPECT_TRUE(literal("0.5") == 0.5);
  EXPECT_TRUE(literal("-0") == 0.0);
  EXPECT_TRUE(literal("0") == -0.0);
  // 0.1 as a double is 0.1000000000000000055511151231257827..., above 0.1.
  EXPECT_TRUE(literal("0.1") < 0.1);
  EXPECT_TRUE(literal("0.1000000000000000055511151232") > 0.1);
  EXPECT_TRUE(literal("0.1000000000000000055511151231") < 0.1);
  // 2^96 is a double just above the largest DecimalNumber.
  EXPECT_TRUE(literal(kMaxText) < 0x1p96);
  EXPECT_TRUE(literal(kMaxText) > 0x1p95);
  EXPECT_TRUE(literal("79228162514264328797450928128") == 0x1p96 - 0x1p43);  // largest double below 2^96
  EXPECT_TRUE(literal("-" + kMaxText) > -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(literal(kMaxText) < std::numeric_limits<double>::infinity());
  EXPECT_TRUE(literal("0.0000000000000000000000000001") > std::numeric_limits<double>::denorm_min());
  EXPECT_TRUE(literal("-0.0000000000000000000000000001") < -std::numeric_limits<double>::denorm_min());
  EXPECT_TRUE(literal("0") < std::numeric_limits<double>::denorm_min());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(literal("1") <=> nan, std::partial_ordering::unordered);
  EXPECT_FALSE(literal("1") == nan);
  EXPECT_FALSE(literal("1") < nan);
}

// --- The divisibility facts the commands rely on --------------------------

TEST(DecimalDivisibility, FactsOfTheLargestNumbers) {
  const DecimalNumber max = DecimalNumber::fromText(kMaxText, kComma);
  for (int d : {3, 5, 7}) {
    SCOPED_TRACE(d);
    EXPECT_TRUE(max.isMultipleOf(DecimalNumber(d)));
    EXPECT_TRUE((max / DecimalNumber(d)).isWhole());
  }
  EXPECT_TRUE(sameDecimal(max / DecimalNumber(3), literal("26409387504754779197847983445")));

  const DecimalNumber n333 = literal("79228162514264337593543950333");
  for (int d : {2, 3, 5, 7}) {
    SCOPED_TRACE(d);
    EXPECT_FALSE(n333.isMultipleOf(DecimalNumber(d)));
  }
  EXPECT_TRUE(n333.isMultipleOf(DecimalNumber(23)));
  EXPECT_TRUE(sameDecimal(n333 / DecimalNumber(23), literal("3444702718011492938849736971")));

  const DecimalNumber n069 = literal("15845632502852867518708790069");
  EXPECT_FALSE(n069.isMultipleOf(DecimalNumber(2)));
}

TEST(DecimalDivisibility, RoundedQuotientCanLookWhole) {
  // The quotients below have 29 integer digits' worth of precision only at
  // scale 0, where the exact .5 ties to even: the quotient is whole although
  // 2 does not divide. Divisibility must be asked with isMultipleOf.
  const DecimalNumber n069 = literal("15845632502852867518708790069");
  EXPECT_TRUE(sameDecimal(n069 / DecimalNumber(2), literal("7922816251426433759354395034")));
  EXPECT_TRUE((n069 / DecimalNumber(2)).isWhole());
  EXPECT_TRUE((literal("79228162514264337593543950333") / DecimalNumber(2)).isWhole());
}

TEST(DecimalDivisibility, FractionalOperands) {
  EXPECT_TRUE(literal("7.5").isMultipleOf(literal("2.5")));
  EXPECT_TRUE(literal("7.50").isMultipleOf(literal("0.5")));
  EXPECT_FALSE(literal("7.5").isMultipleOf(literal("2")));
  EXPECT_TRUE(literal("-12").isMultipleOf(literal("0.0000000000000000000000000003")));
  EXPECT_TRUE(literal("0").isMultipleOf(literal("7")));
  EXPECT_EQ(errorOf([] { (void)literal("1").isMultipleOf(literal("0.00")); }), kDivideByZero);
}

// --- Fix, sign, construction ------------------------------------------------

TEST(DecimalFix, TruncatesTowardZero) {
  EXPECT_TRUE(sameDecimal(Fix(literal("7.9")), literal("7")));
  EXPECT_TRUE(sameDecimal(Fix(literal("-7.9")), literal("-7")));
  EXPECT_TRUE(sameDecimal(Fix(literal("-2.7")), literal("-2")));  // inferred vector
  EXPECT_TRUE(sameDecimal(Fix(literal("7.9228162514264337593543950335")), literal("7")));
  EXPECT_TRUE(sameDecimal(Fix(literal(kMaxText)), literal(kMaxText)));
  const DecimalNumber minusHalf = Fix(literal("-0.5"));  // inferred: -0
  EXPECT_TRUE(minusHalf.isZero());
  EXPECT_EQ(minusHalf.scale(), 0);
  EXPECT_TRUE(minusHalf.isNegative());
  EXPECT_EQ(Fix(literal("12.00")).scale(), 0);
}

TEST(DecimalBasics, WholenessAndNegation) {
  EXPECT_TRUE(literal("5.000").isWhole());
  EXPECT_FALSE(literal("5.001").isWhole());
  EXPECT_TRUE(literal("0.0").isWhole());
  EXPECT_FALSE(literal("0.0000000000000000000000000001").isWhole());
  const DecimalNumber negZero = -DecimalNumber();
  EXPECT_TRUE(negZero.isNegative());  // Neg(+0) is -0
  EXPECT_FALSE((-negZero).isNegative());
  EXPECT_TRUE(sameDecimal(-literal("1.50"), literal("-1.50")));
}

TEST(DecimalBasics, FromIntegerAndParts) {
  EXPECT_TRUE(sameDecimal(DecimalNumber(std::numeric_limits<std::int64_t>::min()), literal("-9223372036854775808")));
  EXPECT_TRUE(sameDecimal(DecimalNumber(std::numeric_limits<std::int64_t>::max()), literal("9223372036854775807")));
  EXPECT_TRUE(sameDecimal(DecimalNumber(-1), literal("-1")));
  EXPECT_TRUE(DecimalNumber(0).isZero());
  EXPECT_EQ(errorOf([] { (void)DecimalNumber::fromParts(DecimalNumber::kMaxMagnitude + 1, 0, false); }), kOverflow);
  EXPECT_THROW((void)DecimalNumber::fromParts(1, 29, false), std::invalid_argument);
  EXPECT_THROW((void)DecimalNumber::fromParts(1, -1, false), std::invalid_argument);
  EXPECT_NO_THROW((void)DecimalNumber::fromParts(DecimalNumber::kMaxMagnitude, 28, true));
}

// --- From text ------------------------------------------------------------------

struct FromTextRow {
  const char* name;
  std::string text;
  Separators separators;
  std::string expected;  // literal with the expected scale; empty when an error is expected
  std::optional<DecimalError::Kind> error;
};
void PrintTo(const FromTextRow& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class DecimalFromText : public ::testing::TestWithParam<FromTextRow> {};

TEST_P(DecimalFromText, ReadsTheNumber) {
  const FromTextRow& row = GetParam();
  DecimalNumber result;
  const auto error = errorOf([&] { result = DecimalNumber::fromText(row.text, row.separators); });
  if (row.error) {
    EXPECT_EQ(error, row.error);
  } else {
    ASSERT_FALSE(error.has_value());
    EXPECT_TRUE(sameDecimal(result, literal(row.expected)));
  }
}

constexpr auto kNotANumber = DecimalError::Kind::NotANumber;

INSTANTIATE_TEST_SUITE_P(
    DecimalTable, DecimalFromText,
    ::testing::Values(
        FromTextRow{"V33_TrailingZeroDropped", "4294967296.0", kPoint, "4294967296", {}},
        FromTextRow{"V34_MinusOne", "-1", kPoint, "-1", {}}, FromTextRow{"V35_Empty", "", kPoint, "", kNotANumber},
        FromTextRow{"V36_LeadingGrouping", ",1,000", kPoint, "", kNotANumber},
        FromTextRow{"V37_OnlySeparator", ".", kPoint, "", kNotANumber},
        FromTextRow{"V38_Parentheses", "()", kPoint, "", kNotANumber},
        FromTextRow{"V39_IrregularGrouping", "1,00,0,,", kPoint, "1000", {}},
        FromTextRow{"BigTrailingZeroDropped", "18446744073709551616.0", kPoint, "18446744073709551616", {}},
        FromTextRow{"Inferred_FractionZerosDropped", "1.50", kPoint, "1.5", {}},
        FromTextRow{"BlanksAndLeadingZeros", " 0017 ", kComma, "17", {}},
        FromTextRow{"GroupingCommaLocale", "1.000.000", kComma, "1000000", {}},
        FromTextRow{"GroupingPointLocale", "1,000,000", kPoint, "1000000", {}},
        FromTextRow{"ExponentUpper", "1E3", kComma, "1000", {}},
        FromTextRow{"ExponentNegative", "1e-2", kComma, "0.01", {}}, FromTextRow{"Minus", "-5", kComma, "-5", {}},
        FromTextRow{"Plus", "+7", kComma, "7", {}}, FromTextRow{"NoIntegerDigits", ",5", kComma, "0.5", {}},
        FromTextRow{"NoFractionDigits", "5,", kComma, "5", {}}, FromTextRow{"Letters", "abc", kComma, "", kNotANumber},
        FromTextRow{"LeadingGroupingCommaLocale", ".1", kComma, "", kNotANumber},
        FromTextRow{"Max", kMaxText, kComma, kMaxText, {}},
        FromTextRow{"MaxPlusOneOverflows", "79228162514264337593543950336", kComma, "", kOverflow},
        FromTextRow{"ThirtyDigitsOverflow", "100000000000000000000000000000", kComma, "", kOverflow},
        FromTextRow{"TwentyNineNinesOverflow", "99999999999999999999999999999", kComma, "", kOverflow},
        FromTextRow{"HugeExponentOverflows", "1e99999999999999999999", kComma, "", kOverflow},
        FromTextRow{"Inferred_MaxAndAHalfOverflows", "79228162514264337593543950335,5", kComma, "", kOverflow},
        FromTextRow{
            "Inferred_TieToEven", "79228162514264337593543950334,5", kComma, "79228162514264337593543950334", {}},
        FromTextRow{"TieToEvenUp", "79228162514264337593543950333,5", kComma, "79228162514264337593543950334", {}},
        FromTextRow{"DigitsAfterTieAreSticky",
                    "79228162514264337593543950334,50000000000000000000000001",
                    kComma,
                    kMaxText,
                    {}},
        FromTextRow{"MaxAtScale28", "7,9228162514264337593543950335", kComma, "7.9228162514264337593543950335", {}},
        FromTextRow{"TwentyNinthDigitDoesNotFitRounds", "9,9999999999999999999999999999", kComma, "10", {}},
        FromTextRow{"LongFractionRounded",
                    "0,333333333333333333333333333333333333",
                    kComma,
                    "0.3333333333333333333333333333",
                    {}},
        FromTextRow{"LongFractionRoundsUp",
                    "0,666666666666666666666666666666666666",
                    kComma,
                    "0.6666666666666666666666666667",
                    {}},
        FromTextRow{"FractionBeyond29Digits",
                    "123456789,123456789123456789123456789",
                    kComma,
                    "123456789.12345678912345678912",
                    {}},
        FromTextRow{"BelowSmallestStepIsZero", "0,00000000000000000000000000004999", kComma, "0", {}},
        FromTextRow{"HalfSmallestStepTiesToZero", "0,00000000000000000000000000005", kComma, "0", {}},
        FromTextRow{"AboveHalfSmallestStepRoundsUp",
                    "0,000000000000000000000000000051",
                    kComma,
                    "0.0000000000000000000000000001",
                    {}},
        FromTextRow{"TinyExponentIsZero", "5e-99999999999999999999", kComma, "0", {}},
        FromTextRow{"ExponentShiftsIntoRange", "0,000000000000000000000000000001e30", kComma, "1", {}},
        FromTextRow{"ExponentFillsDigits", "7,9228162514264337593543950335e28", kComma, kMaxText, {}},
        FromTextRow{"LongZeroTextIsZero", "0,000000000000000000000000000000000000000000000", kComma, "0", {}},
        FromTextRow{"NegativeFraction", "-0,25", kComma, "-0.25", {}}),
    [](const ::testing::TestParamInfo<FromTextRow>& info) { return std::string(info.param.name); });

TEST(DecimalFromTextZero, IsNeverNegative) {
  for (const char* text : {"-0", "-0,000", "-0e5", "-0,00000000000000000000000000001"}) {
    SCOPED_TRACE(text);
    const DecimalNumber zero = DecimalNumber::fromText(text, kComma);
    EXPECT_TRUE(zero.isZero());
    EXPECT_FALSE(zero.isNegative());
  }
}

TEST(DecimalFromTextLong, ThousandsOfDigitsAreRoundedOnce) {
  // 0.4999...9 with 2000 nines past the 29th place still rounds down; a final
  // 1 after 2000 zeros makes the exact half round up.
  const std::string below = "0," + std::string(27, '0') + "4" + std::string(2000, '9');
  EXPECT_TRUE(sameDecimal(DecimalNumber::fromText(below, kComma), literal("0." + std::string(27, '0') + "5")));
  const std::string nines = "0," + std::string(28, '0') + "4" + std::string(2000, '9');
  EXPECT_TRUE(DecimalNumber::fromText(nines, kComma).isZero());
  const std::string overHalf = "0," + std::string(28, '0') + "5" + std::string(2000, '0') + "1";
  EXPECT_TRUE(sameDecimal(DecimalNumber::fromText(overHalf, kComma), literal("0.0000000000000000000000000001")));
}

// --- To text and to double ---------------------------------------------------------

TEST(DecimalToText, PublishedForms) {
  EXPECT_EQ(literal("1.0").toString(kPoint), "1");
  EXPECT_EQ(literal("1.000").toString(kPoint), "1");
  EXPECT_EQ(literal("1.500").toString(kPoint), "1.5");  // V40
  EXPECT_EQ(literal("-1.5").toString(kPoint), "-1.5");
  EXPECT_EQ(literal("0.0009").toString(kPoint), "0.0009");
  EXPECT_EQ(literal("0.0009").toString(kComma), "0,0009");  // V41
  EXPECT_EQ(literal("18446744073709551616").toString(kComma), "18446744073709551616");
  EXPECT_EQ(literal(kMaxText).toString(kComma), kMaxText);
  EXPECT_EQ(literal("7922816251426433759.3543950335").toString(kPoint), "7922816251426433759.3543950335");
  EXPECT_EQ(literal("7.9228162514264337593543950335").toString(kComma), "7,9228162514264337593543950335");
  EXPECT_EQ(literal("0.0000000000000000000000000001").toString(kPoint), "0.0000000000000000000000000001");
  EXPECT_EQ(literal("-0.00").toString(kPoint), "0");
  EXPECT_EQ(literal("-0").toString(kComma), "0");
  EXPECT_EQ(literal("0").toString(), "0");
  EXPECT_EQ(literal("17").toString(Separators{"\xC2\xA0", "\xE2\x80\xAF"}), "17");
  EXPECT_EQ(literal("1.25").toString(Separators{"\xC2\xA0", "\xE2\x80\xAF"}),
            "1\xC2\xA0"
            "25");
}

TEST(DecimalToDouble, IsCorrectlyRounded) {
  // The historical three-step conversion gives 1.0000000000000001e-28 here;
  // this type returns the nearest double.
  EXPECT_EQ(literal("0.0000000000000000000000000001").toDouble(), 1e-28);
  EXPECT_EQ(literal("7.9228162514264337593543950335").toDouble(), 7.9228162514264335);
  EXPECT_EQ(literal(kMaxText).toDouble(), 0x1p96);
  EXPECT_EQ(literal("10000000000000.099609375").toDouble(), 10000000000000.099609375);
  EXPECT_EQ(literal("-32768.00").toDouble(), -32768.0);
  EXPECT_EQ(literal("18446744073709551616").toDouble(), 0x1p64);
  EXPECT_EQ(literal("0.1").toDouble(), 0.1);
  EXPECT_EQ(literal("0").toDouble(), 0.0);
  EXPECT_TRUE(std::signbit(literal("-0").toDouble()));
}

// --- Random cases against the exact reference ------------------------------------

class DecimalRandom : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kSeed = 0x7E11'0A7Eu;
  void SetUp() override { std::cout << "[ seed ] DecimalRandom seed " << kSeed << '\n'; }

  // Magnitudes of every bit length, with a share of boundary values; scales
  // mostly small so that sums and products often need rounding.
  DecimalNumber next() {
    const int kind = static_cast<int>(random_() % 16);
    uint128 magnitude = 0;
    if (kind == 0) {
      magnitude = DecimalNumber::kMaxMagnitude - random_() % 3;
    } else if (kind == 1) {
      magnitude = 1;
      for (int i = static_cast<int>(random_() % 29); i > 0; --i) magnitude *= 10;
      magnitude *= 1 + random_() % 7;
    } else {
      const int bits = static_cast<int>(random_() % 97);
      magnitude = (uint128{random_()} << 64 | random_()) & ((uint128{1} << bits) - 1);
    }
    if (magnitude > DecimalNumber::kMaxMagnitude) magnitude = DecimalNumber::kMaxMagnitude;
    const int scale = random_() % 3 == 0 ? static_cast<int>(random_() % 29) : static_cast<int>(random_() % 6);
    return DecimalNumber::fromParts(magnitude, scale, random_() % 2 == 0);
  }

  std::mt19937_64 random_{kSeed};
};

TEST_F(DecimalRandom, SumsAndDifferencesMatchExactArithmetic) {
  for (int i = 0; i < 4000; ++i) {
    const DecimalNumber a = next();
    const DecimalNumber b = next();
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << a.toString() << " and " << b.toString());
    for (bool subtract : {false, true}) {
      Exact other = exactOf(b);
      if (subtract && other.magnitude != "0") other.negative = !other.negative;
      const std::optional<Exact> expected = fitReference(addExact(exactOf(a), other));
      DecimalNumber result;
      const auto error = errorOf([&] { result = subtract ? a - b : a + b; });
      if (!expected) {
        ASSERT_EQ(error, kOverflow);
      } else {
        ASSERT_FALSE(error.has_value());
        ASSERT_TRUE(matchesExact(result, *expected));
      }
    }
  }
}

TEST_F(DecimalRandom, ProductsMatchExactArithmetic) {
  for (int i = 0; i < 4000; ++i) {
    DecimalNumber a = next();
    DecimalNumber b = next();
    // Many products of two random magnitudes overflow; shrink one often.
    if (i % 2 == 0) b = Fix(b / DecimalNumber(std::int64_t{1} << (random_() % 62)));
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << a.toString() << " * " << b.toString());
    const std::optional<Exact> expected = fitReference(mulExact(exactOf(a), exactOf(b)));
    DecimalNumber result;
    const auto error = errorOf([&] { result = a * b; });
    if (!expected) {
      ASSERT_EQ(error, kOverflow);
    } else {
      ASSERT_FALSE(error.has_value());
      ASSERT_TRUE(matchesExact(result, *expected));
    }
  }
}

TEST_F(DecimalRandom, QuotientsMatchExactArithmetic) {
  for (int i = 0; i < 3000; ++i) {
    const DecimalNumber a = next();
    DecimalNumber b = next();
    if (i % 3 == 0) b = DecimalNumber(static_cast<std::int64_t>(2 + random_() % 1000));  // trial divisors
    if (b.isZero()) continue;
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << a.toString() << " / " << b.toString());
    const std::optional<Exact> expected = divideReference(exactOf(a), exactOf(b));
    DecimalNumber result;
    const auto error = errorOf([&] { result = a / b; });
    if (!expected) {
      ASSERT_EQ(error, kOverflow);
    } else {
      ASSERT_FALSE(error.has_value());
      ASSERT_TRUE(matchesExact(result, *expected));
    }
  }
}

TEST_F(DecimalRandom, WholeDivisionAgreesWithExactRemainder) {
  for (int i = 0; i < 3000; ++i) {
    const DecimalNumber a = Fix(next());
    DecimalNumber d = i % 2 == 0 ? DecimalNumber(static_cast<std::int64_t>(2 + random_() % 100000)) : Fix(next());
    if (d.isZero()) continue;
    // Build some exact multiples as well.
    DecimalNumber n = a;
    if (i % 4 == 1) {
      const auto product = errorOf([&] { n = Fix(a / d) * d; });
      if (product) continue;
    }
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << n.toString() << " / " << d.toString());
    const auto [q, r] = divModNat(natOf(n.magnitude()), natOf(d.magnitude()));
    ASSERT_EQ(n.isMultipleOf(d), r == "0");
    if (r == "0") {
      // Then the quotient is whole and exact: q * d + 0 == n.
      const DecimalNumber quotient = n / d;
      ASSERT_TRUE(quotient.isWhole());
      ASSERT_EQ(natOf(quotient.magnitude()), q);
      ASSERT_EQ(natOf(Fix(quotient).magnitude()), q);
    } else if (compareNat(q, "7922816251426433759354395033") <= 0) {
      // With a place to spare, Fix(n / d) is floor(n / d) unless rounding at
      // the last kept place carried into the next whole number.
      const DecimalNumber quotient = n / d;
      const std::string fixed = natOf(Fix(quotient).magnitude());
      ASSERT_TRUE(fixed == q || fixed == addNat(q, "1"));
      if (fixed == addNat(q, "1")) {
        // Rounding carried into the next whole number: the quotient is then exactly q + 1.
        ASSERT_EQ(quotient.scale(), 0);
      }
    }
  }
}

TEST_F(DecimalRandom, OrderMatchesExactComparison) {
  for (int i = 0; i < 4000; ++i) {
    const DecimalNumber a = next();
    // Close pairs: the same value at another scale, or one unit apart.
    DecimalNumber b = next();
    if (i % 3 == 0) {
      const DecimalNumber step =
          DecimalNumber::fromParts(random_() % 3, static_cast<int>(random_() % 29), random_() % 2);
      if (!errorOf([&] { b = a + step; })) b = a + step;
    }
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << a.toString() << " vs " << b.toString());
    const int expected = compareExact(exactOf(a), exactOf(b));
    ASSERT_EQ(a <=> b, expected <=> 0);

    const auto integer = static_cast<std::int64_t>(random_());
    const int scaleShift = static_cast<int>(random_() % 20);
    const std::int64_t small = integer >> (scaleShift + 30);
    for (std::int64_t value : {integer, small}) {
      Exact asExact{value < 0,
                    natOf(value < 0 ? uint128{0} - static_cast<uint128>(value) : static_cast<uint128>(value)), 0};
      ASSERT_EQ(a <=> value, compareExact(exactOf(a), asExact) <=> 0) << value;
      ASSERT_EQ(Fix(a) <=> value, compareExact(exactOf(Fix(a)), asExact) <=> 0) << value;
    }
  }
}

TEST_F(DecimalRandom, OrderAgainstDoublesMatchesExactValue) {
  // The exact value of a double m * 2^e as a decimal: m * 2^e, or m * 5^-e / 10^-e.
  auto exactOfDouble = [](double x) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    std::string magnitude = natOf(static_cast<uint128>(std::ldexp(fraction, 53)));
    exponent -= 53;
    int scale = 0;
    for (; exponent > 0; --exponent) magnitude = mulNat(magnitude, "2");
    for (; exponent < 0; ++exponent, ++scale) magnitude = mulNat(magnitude, "5");
    return Exact{x < 0 && magnitude != "0", magnitude, scale};
  };
  for (int i = 0; i < 3000; ++i) {
    const DecimalNumber a = next();
    double x = 0;
    switch (i % 3) {
      case 0: x = a.toDouble(); break;  // nearest double: often equal, or just beside
      case 1: x = std::nextafter(a.toDouble(), random_() % 2 ? 1e300 : -1e300); break;
      default:
        x = std::ldexp(static_cast<double>(random_() >> 11), static_cast<int>(random_() % 200) - 180);
        if (random_() % 2) x = -x;
    }
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << a.toString() << " vs " << x);
    const int expected = compareExact(exactOf(a), exactOfDouble(x));
    ASSERT_EQ(a <=> x, expected <=> 0);
  }
}

TEST_F(DecimalRandom, TextRoundTripsUnderBothLocales) {
  for (int i = 0; i < 4000; ++i) {
    const DecimalNumber a = next();
    // The text form written by the reference: digits, separator, fraction without trailing zeros.
    const Exact exact = exactOf(a);
    std::string digits =
        std::string(static_cast<std::size_t>(std::max(0, exact.scale + 1 - static_cast<int>(exact.magnitude.size()))),
                    '0') +
        exact.magnitude;
    std::string integerPart = digits.substr(0, digits.size() - static_cast<std::size_t>(exact.scale));
    std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(exact.scale));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    for (const Separators& separators : {kComma, kPoint}) {
      const std::string expectedText =
          (exact.negative ? "-" : "") + integerPart + (fraction.empty() ? "" : separators.decimal + fraction);
      const std::string text = a.toString(separators);
      ASSERT_EQ(text, expectedText);
      const DecimalNumber back = DecimalNumber::fromText(text, separators);
      ASSERT_EQ(back, a) << text;
      ASSERT_EQ(back.scale(), static_cast<int>(fraction.size())) << text;
    }
    // Whole magnitudes are written natively too, without a DecimalNumber.
    ASSERT_EQ(toDecimalText(a.magnitude()), exact.magnitude.empty() ? "0" : exact.magnitude);
    // ... and their square-root bounds start from the same double.
    ASSERT_EQ(static_cast<double>(a.magnitude()), DecimalNumber::fromParts(a.magnitude(), 0, false).toDouble());
  }
}

TEST_F(DecimalRandom, ToDoubleMatchesStrtod) {
  // strtod rounds correctly and this process stays in the "C" locale.
  for (int i = 0; i < 4000; ++i) {
    const DecimalNumber a = next();
    const std::string text = a.toString(kPoint);
    ASSERT_EQ(a.toDouble(), std::strtod(text.c_str(), nullptr)) << text;
  }
}

}  // namespace
}  // namespace teilomat
