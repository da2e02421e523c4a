// The Info window: the program's name, its version and where updates come from.
#pragma once

#include <QWidget>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace teilomat {

// Not modal. "Schließen" only hides the window (it keeps its state); the
// close box discards it (WA_DeleteOnClose), so the next Info press builds a
// new one. Esc and Enter press "Schließen", as they end a dialog; the
// window has no other control to give them a meaning of their own.
class Form2 : public QWidget {
  Q_OBJECT
 public:
  static const char* const kInfoText;

  explicit Form2(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void hideOrEnd();

  QLabel* label1_;
  QPushButton* command1_;
};

}  // namespace teilomat
