// Twips to pixels, the fonts and the colour helpers that both windows use.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

namespace teilomat {

// The windows are laid out in twips, 15 to a pixel at 100 % scale; Qt
// scales logical pixels for high-density screens by itself.
class WindowLook {
 public:
  static constexpr int kTwipsPerPixel = 15;

  static int pixels(int twips) { return twips / kTwipsPerPixel; }
  static QRect rect(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    return {pixels(leftTwips), pixels(topTwips), pixels(widthTwips), pixels(heightTwips)};
  }

  // A narrow sans serif at 11 pixels, small enough for the tight captions.
  static QFont controlFont();
  // "Comic Sans MS" 15.75 pt, else the look-alike "Comic Neue".
  static QFont infoFont();

  // A solid background of the widget's own (no stylesheet needed).
  static void paintBackground(QWidget* widget, const QColor& background);
  static void setColours(QWidget* widget, const QColor& background, const QColor& text);
};

}  // namespace teilomat
