// List1's entries: whole numbers kept as 12-byte integers in fixed chunks, formatted only when drawn or read.
#include "app/ListEntryModel.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

#include "numbers/Uint128.h"

namespace teilomat {
namespace {

constexpr std::size_t kMaxDigits = 29;  // 2^96 - 1 has 29 digits
constexpr std::uint64_t kTenPow19 = 10'000'000'000'000'000'000ull;

// The value of a text of plain digits that formats back to the same text;
// none when it is no such text or too large for 96 bits.
std::optional<uint128> plainNumber(const std::string& text) {
  if (text.empty() || text.size() > kMaxDigits) return std::nullopt;
  if (text.size() > 1 && text[0] == '0') return std::nullopt;  // leading zeros would be lost
  uint128 value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value >> 96) return std::nullopt;
  return value;
}

// Decimal digits; one 128-bit division at most, the rest in 64 bits.
std::string digitsOf(uint128 value) {
  char buffer[48];
  char* end = buffer;
  if (value <= std::numeric_limits<std::uint64_t>::max()) {
    end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value)).ptr;
    return std::string(buffer, end);
  }
  const auto high = static_cast<std::uint64_t>(value / kTenPow19);  // below 2^96 / 10^19 < 2^33
  const auto low = static_cast<std::uint64_t>(value % kTenPow19);
  end = std::to_chars(buffer, buffer + sizeof buffer, high).ptr;
  char lowDigits[20];
  char* lowEnd = std::to_chars(lowDigits, lowDigits + sizeof lowDigits, low).ptr;
  const std::size_t lowLength = static_cast<std::size_t>(lowEnd - lowDigits);
  std::string text(buffer, end);
  text.append(19 - lowLength, '0');
  text.append(lowDigits, lowLength);
  return text;
}

}  // namespace

ListEntryModel::ListEntryModel(QObject* parent) : QAbstractListModel(parent) {}
ListEntryModel::~ListEntryModel() = default;

int ListEntryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QVariant ListEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) return {};
  return QString::fromStdString(entry(static_cast<std::size_t>(index.row())));
}

Qt::ItemFlags ListEntryModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void ListEntryModel::clear() {
  beginResetModel();
  chunks_.clear();
  chunks_.shrink_to_fit();
  texts_.clear();
  texts_.shrink_to_fit();
  size_ = 0;
  shown_ = 0;
  endResetModel();
}

void ListEntryModel::append(const std::string& entry) {
  std::uint64_t low;
  std::uint32_t high;
  const std::optional<uint128> number = plainNumber(entry);
  if (number && (*number >> 64) != kTextHigh) {
    low = static_cast<std::uint64_t>(*number);
    high = static_cast<std::uint32_t>(*number >> 64);
  } else {  // the top 2^64 numbers share their high part with the texts' mark
    low = texts_.size();
    high = kTextHigh;
    texts_.push_back(entry);
  }
  if (size_ % kChunkEntries == 0) chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
  Chunk& chunk = *chunks_.back();
  chunk.low[size_ % kChunkEntries] = low;
  chunk.high[size_ % kChunkEntries] = high;
  ++size_;
}

std::string ListEntryModel::entry(std::size_t index) const {
  if (index >= size_) return {};
  const Chunk& chunk = *chunks_[index / kChunkEntries];
  const std::uint64_t low = chunk.low[index % kChunkEntries];
  const std::uint32_t high = chunk.high[index % kChunkEntries];
  if (high == kTextHigh) return texts_[low];
  return digitsOf(uint128(high) << 64 | low);
}

void ListEntryModel::publish() {
  const std::size_t limit = std::numeric_limits<int>::max();
  const int target = static_cast<int>(std::min(size_, limit));
  if (target <= shown_) return;
  beginInsertRows(QModelIndex(), shown_, target - 1);
  shown_ = target;
  endInsertRows();
}

}  // namespace teilomat
