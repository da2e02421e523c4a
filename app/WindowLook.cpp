// Twips to pixels, the fonts and the colour helpers that both windows use.
#include "app/WindowLook.h"

#include <QFontDatabase>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace teilomat {

QFont WindowLook::controlFont() {
  // Each family with the largest pixel size at which the longest texts still
  // fit: the start text of Label2 in 257 x 73 pixels and "Signalton an ?"
  // in the 89 pixels of Check1. The first one installed wins.
  struct Choice {
    const char* family;
    int pixels;
  };
  static const Choice choices[] = {
      {"DejaVu Sans Condensed", 11}, {"Liberation Sans", 10}, {"Arimo", 10},
      {"Nimbus Sans", 10},           {"Arial", 10},           {"DejaVu Sans", 10},
  };
  const QStringList installed = QFontDatabase::families();
  QFont font;
  font.setPixelSize(10);
  font.setStyleHint(QFont::SansSerif);
  for (const Choice& choice : choices) {
    if (installed.contains(QString::fromLatin1(choice.family), Qt::CaseInsensitive)) {
      font.setFamilies({QString::fromLatin1(choice.family)});
      font.setPixelSize(choice.pixels);
      break;
    }
  }
  return font;
}

QFont WindowLook::infoFont() {
  QFont font;
  font.setFamilies({"Comic Sans MS", "Comic Neue"});
  font.setPointSizeF(15.75);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::Cursive);
  return font;
}

void WindowLook::paintBackground(QWidget* widget, const QColor& background) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void WindowLook::setColours(QWidget* widget, const QColor& background, const QColor& text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::ButtonText, text);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace teilomat
