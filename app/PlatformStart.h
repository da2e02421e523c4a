// What starting the program differs in between platforms: where its texts go before a window exists, whether it needs a
// display named, the menus' font.
#pragma once

#include <QStringList>
#include <string>

namespace teilomat {

// One implementation per platform, chosen by the build:
// - PlatformStart.cpp, for Linux and other Unix systems: standard output and
//   error as they are; Qt's X11 and Wayland platforms need a display named
//   in the environment (DISPLAY, WAYLAND_DISPLAY).
// - windows/PlatformStart.cpp: a GUI program has no console of its own, so
//   the texts go to the handles its starter redirected (a file, a pipe) or
//   else to the console of the program that started it (AttachConsole), as
//   UTF-16 so that umlauts show whatever the console's code page; the
//   Windows desktop is always there. Menus and boxes get Windows' interface
//   font, or a sans serif where it is missing.
class PlatformStart {
 public:
  // text: UTF-8, printed whole; nothing happens where it has nowhere to go.
  static void print(const std::string& text, bool toErrorOutput);
  // Whether Qt's default platform here needs DISPLAY or WAYLAND_DISPLAY.
  static bool needsDisplayVariable();
  // The families, first found first, for the text of menus and boxes (the
  // windows' own controls choose theirs in WindowLook); empty: the desktop's.
  static QStringList interfaceFontFamilies();
};

}  // namespace teilomat
