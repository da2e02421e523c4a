// The validator behind InputField: trims user insertions beyond a length limit counted in whole characters.
#include "app/TypedLengthLimit.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace teilomat {

TypedLengthLimit::TypedLengthLimit(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}

int TypedLengthLimit::characterCount(const QString& text) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  int count = 0;
  while (finder.toNextBoundary() != -1) ++count;
  return count;
}

void TypedLengthLimit::setPreviousText(const QString& text) { previousCount_ = characterCount(text); }

QValidator::State TypedLengthLimit::validate(QString& input, int& pos) const {
  if (bypass_) return Acceptable;
  const int allowed = std::max(limit_, previousCount_);
  const int excess = characterCount(input) - allowed;
  if (excess <= 0) return Acceptable;
  // The inserted run ends at the cursor; keep its first characters only,
  // removing whole characters backwards from there.
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, input);
  finder.setPosition(pos);
  if (!finder.isAtBoundary()) return Invalid;  // the cursor inside a character: not a plain insertion
  int start = pos;
  for (int i = 0; i < excess; ++i) {
    start = static_cast<int>(finder.toPreviousBoundary());
    if (start < 0) return Invalid;  // not an insertion at the cursor: refuse it whole
  }
  input.remove(start, pos - start);
  pos = start;
  return Acceptable;
}

}  // namespace teilomat
