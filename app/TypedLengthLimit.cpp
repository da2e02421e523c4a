// The validator behind InputField: trims user insertions beyond a length limit.
#include "app/TypedLengthLimit.h"

#include <algorithm>

namespace teilomat {

TypedLengthLimit::TypedLengthLimit(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}

QValidator::State TypedLengthLimit::validate(QString& input, int& pos) const {
  const int allowed = std::max(limit_, previousLength_);
  if (bypass_ || input.size() <= allowed) return Acceptable;
  // The inserted run ends at the cursor; keep its first characters only.
  const int excess = static_cast<int>(input.size()) - allowed;
  if (pos < excess) return Invalid;  // not an insertion at the cursor: refuse it whole
  input.remove(pos - excess, excess);
  pos -= excess;
  return Acceptable;
}

}  // namespace teilomat
