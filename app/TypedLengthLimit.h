// The validator behind InputField: trims user insertions beyond a length limit counted in whole characters.
#pragma once

#include <QString>
#include <QValidator>

namespace teilomat {

// Counts characters as the user sees them (grapheme clusters): an emoji, a
// flag or a letter with combining accents is one character, and none is
// ever cut in half. Knows the text the field had before the edit (through
// textChanged), so that it can drop exactly the inserted characters that
// exceed the limit: they are the ones just before the cursor. While
// `bypass` is set, every text passes unchanged. Each check walks the text
// once: cheap for texts of a few dozen characters.
class TypedLengthLimit : public QValidator {
  Q_OBJECT
 public:
  TypedLengthLimit(int limit, QObject* parent);

  State validate(QString& input, int& pos) const override;
  void setPreviousText(const QString& text);
  void setBypass(bool bypass) { bypass_ = bypass; }

  // The number of grapheme clusters in `text`.
  static int characterCount(const QString& text);

 private:
  int limit_;
  int previousCount_ = 0;
  bool bypass_ = false;
};

}  // namespace teilomat
