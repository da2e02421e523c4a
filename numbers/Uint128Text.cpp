// Whole 128-bit numbers as decimal digits and back, in 19-digit pieces that native 64-bit arithmetic handles.
#include "numbers/Uint128Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace teilomat {
namespace {

constexpr std::size_t kPieceDigits = 19;  // 10^19 - 1 is the largest 19-digit piece below 2^64
constexpr std::uint64_t kTenTo19 = 10'000'000'000'000'000'000u;

// 10^0 to 10^19.
constexpr auto kPowersOfTen = [] {
  std::array<std::uint64_t, kPieceDigits + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

}  // namespace

void appendDecimalText(std::string& text, uint128 value) {
  // 2^128 - 1 has 39 digits: a leading piece and at most two of 19 digits.
  std::uint64_t pieces[2];
  int count = 0;
  while (value >> 64 != 0) {
    pieces[count++] = static_cast<std::uint64_t>(value % kTenTo19);
    value /= kTenTo19;
  }
  char buffer[40];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value)).ptr;
  while (count > 0) {
    // A piece keeps its leading zeros: its digits right-aligned in 19 places.
    char piece[kPieceDigits];
    const char* pieceEnd = std::to_chars(piece, piece + kPieceDigits, pieces[--count]).ptr;
    const auto length = static_cast<std::size_t>(pieceEnd - piece);
    end = std::fill_n(end, kPieceDigits - length, '0');
    end = std::copy_n(piece, length, end);
  }
  text.append(buffer, end);
}

std::string toDecimalText(uint128 value) {
  std::string text;
  appendDecimalText(text, value);
  return text;
}

uint128 parseDecimalDigits(std::string_view digits) {
  uint128 value = 0;
  while (!digits.empty()) {
    const std::size_t take = std::min(digits.size(), kPieceDigits);
    std::uint64_t piece = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + take, piece);
    if (error != std::errc{} || end != digits.data() + take) {
      throw std::invalid_argument("parseDecimalDigits: not only digits");
    }
    value = value * kPowersOfTen[take] + piece;
    digits.remove_prefix(take);
  }
  return value;
}

}  // namespace teilomat
