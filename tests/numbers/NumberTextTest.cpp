// Tests of the number-text scanner and of its correctly rounded conversion to double.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <ostream>
#include <random>
#include <string>

#include "numbers/NumberText.h"

namespace teilomat {
namespace {

const Separators kComma = Separators::comma();
const Separators kPoint = Separators::point();
// A locale that groups with a narrow no-break space (U+202F) and a no-break
// space as decimal separator, to exercise multi-byte separators both ways.
const Separators kMultiByte{"\xC2\xA0", "\xE2\x80\xAF"};

struct Accepted {
  const char* name;
  std::string text;
  Separators separators;
  bool negative;
  std::string digits;
  std::int64_t exponent;
};
void PrintTo(const Accepted& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class NumberTextAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(NumberTextAccepts, ScansSignDigitsAndExponent) {
  const Accepted& row = GetParam();
  const std::optional<NumberText> number = scanNumberText(row.text, row.separators);
  ASSERT_TRUE(number.has_value()) << "text: \"" << row.text << '"';
  EXPECT_EQ(number->negative, row.negative);
  EXPECT_EQ(number->digits, row.digits);
  EXPECT_EQ(number->exponent, row.exponent);
}

INSTANTIATE_TEST_SUITE_P(
    NumberTextTable, NumberTextAccepts,
    ::testing::Values(Accepted{"PlainInteger", "17", kComma, false, "17", 0},
                      Accepted{"LeadingZerosBetweenBlanks", "  0017 ", kComma, false, "17", 0},
                      Accepted{"AllBlankKinds", "\t\r\n 42 \n\r\t", kPoint, false, "42", 0},
                      Accepted{"Zero", "0", kComma, false, "", 0},
                      Accepted{"ManyZerosWithFraction", "000,000", kComma, false, "", -3},
                      Accepted{"NegativeZero", "-0", kComma, true, "", 0},
                      Accepted{"Minus", "-5", kComma, true, "5", 0}, Accepted{"Plus", "+7", kComma, false, "7", 0},
                      Accepted{"GroupingCommaLocale", "1.000.000", kComma, false, "1000000", 0},
                      Accepted{"GroupingPointLocale", "1,000,000", kPoint, false, "1000000", 0},
                      Accepted{"IrregularAndTrailingGrouping", "1,00,0,,", kPoint, false, "1000", 0},
                      Accepted{"ConsecutiveGrouping", "1,,000", kPoint, false, "1000", 0},
                      Accepted{"GroupingBeforeDecimal", "1,.5", kPoint, false, "15", -1},
                      Accepted{"PointGroupsInCommaLocale", "1.5", kComma, false, "15", 0},
                      Accepted{"FractionCommaLocale", "12,50", kComma, false, "1250", -2},
                      Accepted{"FractionPointLocale", "12.50", kPoint, false, "1250", -2},
                      Accepted{"LeadingFractionZeros", "0,05", kComma, false, "5", -2},
                      Accepted{"NoIntegerDigits", ".5", kPoint, false, "5", -1},
                      Accepted{"NoFractionDigits", "5.", kPoint, false, "5", 0},
                      Accepted{"SignedNoIntegerDigits", "-,25", kComma, true, "25", -2},
                      Accepted{"ExponentUpper", "1E3", kComma, false, "1", 3},
                      Accepted{"ExponentNegative", "1e-2", kComma, false, "1", -2},
                      Accepted{"ExponentPlusLeadingZero", "1e+01", kPoint, false, "1", 1},
                      Accepted{"ExponentWithFraction", "1.5e20", kPoint, false, "15", 19},
                      Accepted{"ExponentAfterBareSeparator", "5.e2", kPoint, false, "5", 2},
                      Accepted{"ExponentManyLeadingZeros", "2e0000000000000000000000000000007", kPoint, false, "2", 7},
                      Accepted{"GroupedWithExponent", "1.000e-3", kComma, false, "1000", -3},
                      Accepted{"MaxDecimal", "79228162514264337593543950335", kComma, false,
                               "79228162514264337593543950335", 0},
                      Accepted{"MultiByteSeparators",
                               "-1\xE2\x80\xAF"
                               "234\xC2\xA0"
                               "5",
                               kMultiByte, true, "12345", -1},
                      Accepted{"BlankAsThousandsSeparator", "1 000", Separators{",", " "}, false, "1000", 0},
                      Accepted{"NoGroupingInLocale", "1000,5", Separators{",", ""}, false, "10005", -1}),
    [](const ::testing::TestParamInfo<Accepted>& info) { return std::string(info.param.name); });

struct Rejected {
  const char* name;
  std::string text;
  Separators separators;
};
void PrintTo(const Rejected& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class NumberTextRejects : public ::testing::TestWithParam<Rejected> {};

TEST_P(NumberTextRejects, IsNotANumber) {
  const Rejected& row = GetParam();
  EXPECT_FALSE(scanNumberText(row.text, row.separators).has_value()) << "text: \"" << row.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    NumberTextTable, NumberTextRejects,
    ::testing::Values(Rejected{"Empty", "", kComma}, Rejected{"OnlyBlanks", " \t\r\n", kComma},
                      Rejected{"Letters", "abc", kComma}, Rejected{"DigitsThenLetters", "12abc", kComma},
                      Rejected{"LeadingGrouping", ",1", kPoint}, Rejected{"LeadingGroupingGrouped", ",1,000", kPoint},
                      Rejected{"GroupingAfterSign", "-.1", kComma}, Rejected{"OnlyDecimalSeparator", ".", kPoint},
                      Rejected{"Parentheses", "()", kPoint}, Rejected{"ParenthesisedNumber", "(5)", kPoint},
                      Rejected{"TwoDecimalSeparators", "1..1", kPoint},
                      Rejected{"GroupingInFraction", "1.000,5", kPoint}, Rejected{"UnknownSeparator", "1;5", kPoint},
                      Rejected{"BlankInsideDigits", "1 000", kPoint}, Rejected{"BlankAfterSign", "- 5", kPoint},
                      Rejected{"BlankBeforeExponent", "1 e3", kPoint}, Rejected{"TwoSigns", "+-5", kPoint},
                      Rejected{"TrailingSign", "5-", kPoint}, Rejected{"SignOnly", "-", kPoint},
                      Rejected{"ExponentWithoutDigits", "1e", kPoint}, Rejected{"ExponentSignOnly", "1e+", kPoint},
                      Rejected{"ExponentWithoutMantissa", "e5", kPoint},
                      Rejected{"FractionalExponent", "1e3.5", kPoint}, Rejected{"DExponent", "1d3", kPoint},
                      Rejected{"HexPrefix", "0x10", kPoint}, Rejected{"Currency", "$5", kPoint},
                      Rejected{"NonAsciiDigit", "\xD9\xA1", kPoint},  // ARABIC-INDIC DIGIT ONE
                      Rejected{"HalfOfMultiByteSeparator",
                               "1\xE2\x80"
                               "000",
                               kMultiByte},
                      Rejected{"VerticalTabIsNoBlank", "\v5", kPoint}),
    [](const ::testing::TestParamInfo<Rejected>& info) { return std::string(info.param.name); });

TEST(NumberTextScan, SaturatesHugeExponentsWithoutWrapping) {
  const auto big = scanNumberText("1e99999999999999999999999999", kPoint);
  ASSERT_TRUE(big.has_value());
  EXPECT_GT(big->exponent, std::int64_t{1'000'000'000'000});
  const auto tiny = scanNumberText("1e-99999999999999999999999999", kPoint);
  ASSERT_TRUE(tiny.has_value());
  EXPECT_LT(tiny->exponent, std::int64_t{-1'000'000'000'000});
}

TEST(NumberTextScan, KeepsEveryDigitOfAVeryLongText) {
  const std::string text = "0." + std::string(5000, '0') + std::string(3000, '7');
  const auto number = scanNumberText(text, kPoint);
  ASSERT_TRUE(number.has_value());
  EXPECT_EQ(number->digits, std::string(3000, '7'));
  EXPECT_EQ(number->exponent, -8000);
}

// --- toDouble -----------------------------------------------------------

struct ToDoubleRow {
  const char* name;
  std::string text;
  double expected;
};
void PrintTo(const ToDoubleRow& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class NumberTextToDouble : public ::testing::TestWithParam<ToDoubleRow> {};

TEST_P(NumberTextToDouble, IsCorrectlyRounded) {
  const ToDoubleRow& row = GetParam();
  const auto number = scanNumberText(row.text, kPoint);
  ASSERT_TRUE(number.has_value());
  const double value = toDouble(*number);
  // Bitwise comparison: also tells +0 from -0.
  EXPECT_EQ(std::signbit(value), std::signbit(row.expected));
  EXPECT_EQ(value, row.expected) << "got " << value;
}

const std::string k2p53Plus1 = "9007199254740993";  // halfway between two doubles

INSTANTIATE_TEST_SUITE_P(
    NumberTextTable, NumberTextToDouble,
    ::testing::Values(
        ToDoubleRow{"Zero", "0", 0.0}, ToDoubleRow{"NegativeZero", "-0", -0.0}, ToDoubleRow{"OneTenth", "0.1", 0.1},
        ToDoubleRow{"SmallestDecimalStep", "1e-28", 1e-28},
        ToDoubleRow{"MaxDecimalIsTwoTo96", "79228162514264337593543950335", 0x1p96},
        ToDoubleRow{"MaxDecimalAtScale28", "7.9228162514264337593543950335", 7.9228162514264335},
        // The guard compares against 1e29: 29 nines and 10^29 both become it.
        ToDoubleRow{"TwentyNineNines", "99999999999999999999999999999", 1e29},
        ToDoubleRow{"TenToThe29", "100000000000000000000000000000", 1e29},
        ToDoubleRow{"GroupedThousands", "1,234,567.5", 1234567.5},
        ToDoubleRow{"TieGoesToEven", k2p53Plus1, 9007199254740992.0},
        ToDoubleRow{"TieBrokenByDigit900Places", k2p53Plus1 + "." + std::string(900, '0') + "1", 9007199254740994.0},
        ToDoubleRow{"TieKeptByTrailingZeros", k2p53Plus1 + "." + std::string(900, '0'), 9007199254740992.0},
        ToDoubleRow{"LargestDouble", "1.7976931348623157e308", std::numeric_limits<double>::max()},
        ToDoubleRow{"AboveLargestHalfway", "1.7976931348623159e308", std::numeric_limits<double>::infinity()},
        ToDoubleRow{"HugeExponent", "1e99999999999999999999", std::numeric_limits<double>::infinity()},
        ToDoubleRow{"NegativeHugeExponent", "-1e400", -std::numeric_limits<double>::infinity()},
        ToDoubleRow{"SmallestSubnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
        ToDoubleRow{"JustAboveHalfSmallestSubnormal", "2.4703282292062328e-324",
                    std::numeric_limits<double>::denorm_min()},
        ToDoubleRow{"JustBelowHalfSmallestSubnormal", "2.4703282292062327e-324", 0.0},
        ToDoubleRow{"TinyExponent", "1e-99999999999999999999", 0.0}, ToDoubleRow{"NegativeTiny", "-1e-400", -0.0},
        ToDoubleRow{"LongDigitsSmallExponent", std::string(1000, '1') + "e-999", 1.1111111111111112}),
    [](const ::testing::TestParamInfo<ToDoubleRow>& info) { return std::string(info.param.name); });

TEST(NumberTextToDoubleRandom, AgreesWithStrtodOnRandomTexts) {
  // strtod of the C library rounds correctly; this process stays in the "C"
  // locale, so it reads a point. Texts are built in our syntax and in its.
  constexpr std::uint32_t kSeed = 20240611;
  std::cout << "[ seed ] NumberTextToDouble random seed " << kSeed << '\n';
  std::mt19937_64 random(kSeed);
  for (int i = 0; i < 20000; ++i) {
    const int length = 1 + static_cast<int>(random() % (i % 10 == 0 ? 60 : 20));
    std::string digits;
    for (int d = 0; d < length; ++d) digits.push_back(static_cast<char>('0' + random() % 10));
    const int exponent = static_cast<int>(random() % 700) - 350;
    const bool negative = random() % 2 == 0;
    const std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(exponent);
    SCOPED_TRACE(text);
    const auto number = scanNumberText(text, kComma);
    ASSERT_TRUE(number.has_value());
    const double expected = std::strtod(text.c_str(), nullptr);
    const double value = toDouble(*number);
    ASSERT_EQ(value, expected);
    ASSERT_EQ(std::signbit(value), std::signbit(expected));
  }
}

}  // namespace
}  // namespace teilomat
