// The Info window: the program's name, its version and where updates come from.
#include "app/Form2.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/TeilomatIcon.h"
#include "app/WindowLook.h"

namespace teilomat {

// The version is the build's (TEILOMAT_VERSION, as --version shows it).
const char* const Form2::kInfoText = "Teilomat  Version " TEILOMAT_VERSION
                                     "\n"
                                     "\n"
                                     "Download und Updates bei:\n"
                                     "www.example.org/teilomat\n"
                                     "downloads.example.org\n"
                                     "Bald mehr auf mathe.example.org, dort gibt es dann auch andere Matheprogs.";

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("Form2");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Teilomat - Info");
  setWindowIcon(teilomatIcon());
  setFont(WindowLook::controlFont());
  setFixedSize(WindowLook::pixels(4905), WindowLook::pixels(4125));
  WindowLook::paintBackground(this, Qt::black);  // button text colour in the standard scheme

  label1_ = new QLabel(this);
  label1_->setObjectName("Label1");
  label1_->setGeometry(WindowLook::rect(120, 240, 4695, 3135));
  label1_->setTextFormat(Qt::PlainText);
  label1_->setWordWrap(true);
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1_->setText(QString::fromUtf8(kInfoText));
  label1_->setFont(WindowLook::infoFont());
  WindowLook::setColours(label1_, Qt::black, Qt::white);

  command1_ = new QPushButton(QString::fromUtf8("Schließen"), this);
  command1_->setObjectName("Command1");
  command1_->setGeometry(WindowLook::rect(1200, 3600, 2415, 375));
  connect(command1_, &QPushButton::clicked, this, &Form2::hideOrEnd);
  command1_->setFocus();

  // Screen readers announce the window and its controls by these names; the
  // label's name is its whole text, which a screen reader reads when the
  // window opens (labels offer no text of their own to AT-SPI).
  setAccessibleName(QStringLiteral("Teilomat - Info"));
  label1_->setAccessibleName(label1_->text());
  command1_->setAccessibleName(QString::fromUtf8("Schließen"));
}

// The button ignores both keys (it is no dialog's default button), so they
// arrive here from whichever child has the focus.
void Form2::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() & ~Qt::KeypadModifier) break;
      command1_->click();
      return;
    default: break;
  }
  QWidget::keyPressEvent(event);
}

void Form2::hideOrEnd() {
  hide();
  // Hiding is no close, so Qt would not notice that the last window went:
  // when the main window is already closed, the program ends here.
  if (!QApplication::quitOnLastWindowClosed()) return;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->isWindow() && widget->windowType() != Qt::ToolTip &&
        widget->windowType() != Qt::Popup)
      return;
  QCoreApplication::quit();
}

}  // namespace teilomat
