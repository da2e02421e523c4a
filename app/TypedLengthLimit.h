// The validator behind InputField: trims user insertions beyond a length limit.
#pragma once

#include <QValidator>

namespace teilomat {

// Knows the length the field had before the edit (through textChanged), so
// that it can drop exactly the inserted characters that exceed the limit:
// they are the ones just before the cursor. While `bypass` is set, every
// text passes unchanged.
class TypedLengthLimit : public QValidator {
  Q_OBJECT
 public:
  TypedLengthLimit(int limit, QObject* parent);

  State validate(QString& input, int& pos) const override;
  void setPreviousLength(int length) { previousLength_ = length; }
  void setBypass(bool bypass) { bypass_ = bypass; }

 private:
  int limit_;
  int previousLength_ = 0;
  bool bypass_ = false;
};

}  // namespace teilomat
