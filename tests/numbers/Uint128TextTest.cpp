// Tests of the decimal text of 128-bit whole numbers, both ways, at the edges of its 19-digit pieces.
#include <gtest/gtest.h>
#include <stdexcept>

#include "numbers/Uint128Text.h"

namespace teilomat {
namespace {

TEST(Uint128Text, WritesAndReadsTheEdgesOfItsPieces) {
  const uint128 tenTo19 = 10'000'000'000'000'000'000u;
  const struct {
    uint128 value;
    const char* text;
  } rows[] = {
      {0, "0"},
      {7, "7"},
      {tenTo19 - 1, "9999999999999999999"},
      {~std::uint64_t{0}, "18446744073709551615"},
      {uint128{1} << 64, "18446744073709551616"},
      {tenTo19 * tenTo19 - 1, "99999999999999999999999999999999999999"},
      {tenTo19 * tenTo19 + 5, "100000000000000000000000000000000000005"},
      {2 * tenTo19 * tenTo19 + 5, "200000000000000000000000000000000000005"},
      {(uint128{1} << 96) - 1, "79228162514264337593543950335"},
      {~uint128{0}, "340282366920938463463374607431768211455"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(toDecimalText(row.value), row.text);
    if (std::string_view(row.text).size() <= kMaxParsedDigits) {  // reading stops short of 39 digits
      EXPECT_EQ(parseDecimalDigits(row.text), row.value) << row.text;
    }
  }
  EXPECT_EQ(parseDecimalDigits(""), 0u);
  EXPECT_EQ(parseDecimalDigits("0000000000000000000000042"), 42u) << "leading zeros across a piece";
  for (const char* text : {"-1", "12 4", "1234567890123456789+", "12345678901234567890x"}) {
    EXPECT_THROW(parseDecimalDigits(text), std::invalid_argument) << text << ": a non-digit, first or within a piece";
  }
}

}  // namespace
}  // namespace teilomat
