// List1's entries: whole numbers kept as 12-byte integers in fixed chunks, formatted only when drawn.
#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "numbers/Uint128.h"

namespace teilomat {

// A listing appends hundreds of thousands of primes; as widget items each
// would cost some 240 bytes. Here an entry (a number below 2^96) costs 12
// bytes in a chunk of kChunkEntries, so growth never copies or doubles the
// storage; its digits are written only when a row is drawn.
//
// Appends are cheap: the views hear of new rows only at publish() (one
// rowsInserted for all rows appended since), which the window calls at
// every real event pass and when a command ends. size() and entry() see
// every entry at once; rowCount() only the published ones. At most INT_MAX
// rows can be shown (Qt counts rows in int); entry() reaches them all.
class ListEntryModel : public QAbstractListModel {
  Q_OBJECT
 public:
  static constexpr std::size_t kChunkEntries = 4096;  // 48 KiB a chunk

  explicit ListEntryModel(QObject* parent = nullptr);
  ~ListEntryModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Empties the list; the views are told at once.
  void clear();
  // Stores the number (below 2^96); the views are told at the next publish().
  void append(uint128 number);
  std::size_t size() const { return size_; }
  // The number appended as entry `index`; 0, which no listing holds, past the end.
  uint128 entry(std::size_t index) const;
  // Tells the views of the entries appended since the last call.
  void publish();

 private:
  // An entry is 96 bits: the low 64 and the high 32 bits of the number.
  struct Chunk {
    std::uint64_t low[kChunkEntries];
    std::uint32_t high[kChunkEntries];
  };

  std::vector<std::unique_ptr<Chunk>> chunks_;
  std::size_t size_ = 0;
  int shown_ = 0;  // rows the views know of
};

}  // namespace teilomat
