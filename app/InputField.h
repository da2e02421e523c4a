// A single-line text field whose limit holds for typed and pasted text only.
#pragma once

#include <QLineEdit>

namespace teilomat {

class TypedLengthLimit;

// QLineEdit::setMaxLength would also cut the program's own texts (a
// 29-digit number copied into a 28-character field). Here a validator trims
// whatever the user inserts beyond the limit, as a classic maximum length
// does, while setProgramText() puts any text in whole. The limit counts
// whole characters as the user sees them, never UTF-16 units, and an
// insertion is cut between characters only. A field that already holds more
// than the limit accepts no further typed characters but can be shortened.
class InputField : public QLineEdit {
  Q_OBJECT
 public:
  // limit 0: no limit.
  explicit InputField(int limit, QWidget* parent = nullptr);

  int typedLimit() const { return limit_; }
  // Sets the text unchecked; the user's undo history is cleared as by setText().
  void setProgramText(const QString& text);

 private:
  int limit_;
  TypedLengthLimit* validator_ = nullptr;
};

}  // namespace teilomat
