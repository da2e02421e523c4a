// Tests of the clock answer's reading and of the general number format.
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>

#include "numbers/ClockValue.h"
#include "numbers/NumberFormat.h"

namespace teilomat {
namespace {

struct ReadingCase {
  const char* name;
  const char* answer;
  double expected;
};
void PrintTo(const ReadingCase& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class ClockValueReading : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ClockValueReading, ReadsTheLeadingNumber) {
  const ReadingCase& c = GetParam();
  EXPECT_EQ(readClockValue(c.answer), c.expected) << "answer \"" << c.answer << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ClockValueReading,
    ::testing::Values(
        ReadingCase{"Whole", "800", 800.0}, ReadingCase{"PointFraction", "1.5", 1.5},
        ReadingCase{"CommaEndsTheNumber", "1,5", 1.0}, ReadingCase{"CommaAfterZero", "0,5", 0.0},
        ReadingCase{"BlanksBetweenDigits", "8 0 0", 800.0},
        ReadingCase{"TabsLineFeedsReturns", "\t8\r\n0 \n0\t", 800.0}, ReadingCase{"Negative", "-800", -800.0},
        ReadingCase{"PlusSign", "+800", 800.0}, ReadingCase{"BlankAfterSign", "- 8 00", -800.0},
        ReadingCase{"Hexadecimal", "&H1F", 31.0}, ReadingCase{"HexadecimalLowerCase", "&h1f", 31.0},
        ReadingCase{"HexadecimalBlanks", "& H 1 F", 31.0}, ReadingCase{"HexadecimalStopsAtG", "&HFG", 15.0},
        ReadingCase{"HexadecimalNoDigits", "&H", 0.0},
        ReadingCase{"HexadecimalBeyond32Bits", "&HFFFFFFFFFF", 1099511627775.0}, ReadingCase{"Octal", "&O17", 15.0},
        ReadingCase{"OctalLowerCase", "&o17", 15.0}, ReadingCase{"OctalStopsAt8", "&O178", 15.0},
        ReadingCase{"AmpersandOtherLetter", "&B101", 0.0}, ReadingCase{"SignBeforeAmpersand", "-&H10", 0.0},
        ReadingCase{"Exponent", "1E3", 1000.0}, ReadingCase{"ExponentLowerCase", "2.5e2", 250.0},
        ReadingCase{"ExponentSigned", "15E-1", 1.5}, ReadingCase{"ExponentPlus", "1E+2", 100.0},
        ReadingCase{"ExponentWithoutDigits", "1E", 1.0}, ReadingCase{"ExponentSignWithoutDigits", "1E+", 1.0},
        ReadingCase{"ExponentFollowedByLetter", "7Ex", 7.0}, ReadingCase{"ExponentStopsAtPoint", "1E2.5", 100.0},
        ReadingCase{"Letters", "abc", 0.0}, ReadingCase{"Empty", "", 0.0}, ReadingCase{"OnlyBlanks", "  \t ", 0.0},
        ReadingCase{"OnlySign", "-", 0.0}, ReadingCase{"OnlyPoint", ".", 0.0}, ReadingCase{"LeadingPoint", ".5", 0.5},
        ReadingCase{"NegativeLeadingPoint", "-.25", -0.25}, ReadingCase{"TrailingPoint", "12.", 12.0},
        ReadingCase{"SecondPointEnds", "1.2.3", 1.2}, ReadingCase{"UnitAfterNumber", "800MHz", 800.0},
        ReadingCase{"DoubleSign", "--5", 0.0}, ReadingCase{"LeadingZeros", "000800", 800.0},
        ReadingCase{"Zero", "0", 0.0},
        ReadingCase{"ManyFractionDigits", "3.14159265358979323846264338327950288", 3.141592653589793},
        ReadingCase{"LargestDouble", "1.7976931348623157E308", std::numeric_limits<double>::max()},
        ReadingCase{"BelowRangeIsZero", "1E-400", 0.0},
        ReadingCase{"HugeExponentDigits", "1E99999999999999999999999", std::numeric_limits<double>::infinity()},
        ReadingCase{"BeyondRange", "1e400", std::numeric_limits<double>::infinity()},
        ReadingCase{"NegativeBeyondRange", "-1e400", -std::numeric_limits<double>::infinity()}),
    [](const ::testing::TestParamInfo<ReadingCase>& info) { return std::string(info.param.name); });

TEST(ClockValueReadingSign, NegativeZeroEqualsZero) {
  const double v = readClockValue("-0");
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(std::signbit(v));
}

// Every decimal text written by the shortest round trip reads back exactly:
// the reading is correctly rounded, whatever the text's length.
TEST(ClockValueReadingSign, RoundTripsShortestTexts) {
  unsigned state = 12345u;  // fixed seed
  for (int i = 0; i < 2000; ++i) {
    state = state * 1103515245u + 12345u;
    const double mantissa = (state >> 8) / 16777216.0 + 0.5;
    const int exponent = static_cast<int>(state % 600) - 300;
    const double value = std::ldexp(mantissa, exponent);
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::string text(buffer, r.ptr);
    EXPECT_EQ(readClockValue(text), value) << text;
  }
}

struct FormatCase {
  const char* name;
  double value;
  const char* comma;  // under Separators::comma()
  const char* point;  // under Separators::point()
};
void PrintTo(const FormatCase& row, std::ostream* os) { *os << row.name; }  // the row's name, not its bytes

class ClockValueFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ClockValueFormat, WritesTheGeneralFormat) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(generalNumberText(c.value, Separators::comma()), c.comma);
  EXPECT_EQ(generalNumberText(c.value, Separators::point()), c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ClockValueFormat,
    ::testing::Values(
        FormatCase{"Whole", 800.0, "800", "800"}, FormatCase{"Fraction", 1.5, "1,5", "1.5"},
        FormatCase{"Negative", -800.0, "-800", "-800"}, FormatCase{"NegativeFraction", -0.25, "-0,25", "-0.25"},
        FormatCase{"NoGrouping", 1234567.0, "1234567", "1234567"}, FormatCase{"Zero", 0.0, "0", "0"},
        FormatCase{"NegativeZero", -0.0, "0", "0"}, FormatCase{"BinaryFractionShownShort", 0.1, "0,1", "0.1"},
        FormatCase{"FifteenDigits", 123456789012345.0, "123456789012345", "123456789012345"},
        FormatCase{"RoundedToFifteenDigits", 1.23456789012345678, "1,23456789012346", "1.23456789012346"},
        FormatCase{"SumShowsRounded", 0.1 + 0.2, "0,3", "0.3"},
        FormatCase{"LargestFixed", 999999999999999.0, "999999999999999", "999999999999999"},
        FormatCase{"RoundsUpToExponentForm", 999999999999999.5, "1E+15", "1E+15"},
        FormatCase{"ExponentForm", 1e20, "1E+20", "1E+20"},
        FormatCase{"ExponentFormFraction", 1.5e20, "1,5E+20", "1.5E+20"},
        FormatCase{"ThreeDigitExponent", 1.7976931348623157e308, "1,79769313486232E+308", "1.79769313486232E+308"},
        FormatCase{"SmallestFixed", 0.0001, "0,0001", "0.0001"},
        FormatCase{"SmallFixedDigits", 0.000123, "0,000123", "0.000123"},
        FormatCase{"SmallExponentForm", 0.00001, "1E-05", "1E-05"},
        FormatCase{"SmallExponentFraction", -1.5e-7, "-1,5E-07", "-1.5E-07"},
        FormatCase{"Subnormal", 5e-324, "4,94065645841247E-324", "4.94065645841247E-324"}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(ClockValueFormatSeparator, UsesAMultiByteSeparatorWhole) {
  const Separators narrow{"\u066B", "\u066C"};  // Arabic decimal and thousands separators
  EXPECT_EQ(generalNumberText(2.75, narrow),
            "2\u066B"
            "75");
  EXPECT_EQ(generalNumberText(2.5e-9, narrow),
            "2\u066B"
            "5E-09");
}

}  // namespace
}  // namespace teilomat
