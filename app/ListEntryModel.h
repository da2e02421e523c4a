// List1's entries: whole numbers kept as 16-byte integers in fixed chunks, formatted only when drawn or read.
#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "numbers/Uint128.h"

namespace teilomat {

// A listing appends hundreds of thousands of primes; as widget items each
// would cost some 240 bytes. Here an entry of plain digits (no leading zero,
// below 2^96) costs 16 bytes in a chunk of kChunkEntries, so growth never
// copies or doubles the storage; any other text is kept as it came, aside,
// and costs what a std::string costs. Reading an entry gives back exactly
// the text that was appended.
//
// Appends are cheap: the views hear of new rows only at publish() (one
// rowsInserted for all rows appended since), which the window calls at
// every real event pass and when a command ends. size() and entry() see
// every entry at once; rowCount() only the published ones. At most INT_MAX
// rows can be shown (Qt counts rows in int); entry() reaches them all.
class ListEntryModel : public QAbstractListModel {
  Q_OBJECT
 public:
  static constexpr std::size_t kChunkEntries = 4096;  // 64 KiB a chunk

  explicit ListEntryModel(QObject* parent = nullptr);
  ~ListEntryModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Empties the list; the views are told at once.
  void clear();
  // Stores the entry; the views are told at the next publish().
  void append(const std::string& entry);
  std::size_t size() const { return size_; }
  // The entry's text as appended; the empty text past the end.
  std::string entry(std::size_t index) const;
  // Tells the views of the entries appended since the last call.
  void publish();

 private:
  uint128 stored(std::size_t index) const { return chunks_[index / kChunkEntries][index % kChunkEntries]; }

  std::vector<std::unique_ptr<uint128[]>> chunks_;
  std::vector<std::string> texts_;  // entries that are not plain numbers
  std::size_t size_ = 0;
  int shown_ = 0;  // rows the views know of
};

}  // namespace teilomat
