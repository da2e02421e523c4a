// A single-line text field whose limit holds for typed and pasted text only.
#include "app/InputField.h"

#include "app/TypedLengthLimit.h"

namespace teilomat {

InputField::InputField(int limit, QWidget* parent) : QLineEdit(parent), limit_(limit) {
  if (limit_ <= 0) return;
  validator_ = new TypedLengthLimit(limit_, this);
  setValidator(validator_);
  connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { validator_->setPreviousText(text); });
}

void InputField::setProgramText(const QString& text) {
  if (!validator_) return setText(text);
  validator_->setBypass(true);
  setText(text);
  validator_->setBypass(false);
}

}  // namespace teilomat
