// List1's entries: whole numbers kept as 12-byte integers in fixed chunks, formatted only when drawn.
#include "app/ListEntryModel.h"

#include <algorithm>
#include <limits>

#include "numbers/Uint128Text.h"

namespace teilomat {

ListEntryModel::ListEntryModel(QObject* parent) : QAbstractListModel(parent) {}
ListEntryModel::~ListEntryModel() = default;

int ListEntryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QVariant ListEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) return {};
  return QString::fromStdString(toDecimalText(entry(static_cast<std::size_t>(index.row()))));
}

Qt::ItemFlags ListEntryModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void ListEntryModel::clear() {
  beginResetModel();
  chunks_.clear();
  chunks_.shrink_to_fit();
  size_ = 0;
  shown_ = 0;
  endResetModel();
}

void ListEntryModel::append(uint128 number) {
  if (size_ % kChunkEntries == 0) chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
  Chunk& chunk = *chunks_.back();
  chunk.low[size_ % kChunkEntries] = static_cast<std::uint64_t>(number);
  chunk.high[size_ % kChunkEntries] = static_cast<std::uint32_t>(number >> 64);
  ++size_;
}

uint128 ListEntryModel::entry(std::size_t index) const {
  if (index >= size_) return 0;
  const Chunk& chunk = *chunks_[index / kChunkEntries];
  return uint128{chunk.high[index % kChunkEntries]} << 64 | chunk.low[index % kChunkEntries];
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
