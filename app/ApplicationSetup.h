// What every Teilomat process sets on its QApplication: name, style and icon.
#pragma once

#include <string>

class QApplication;

namespace teilomat {

class ApplicationSetup {
 public:
  // Fusion everywhere, so that the windows look alike on every desktop and
  // in the tests.
  static void configure(QApplication& app);

  // Empty when a Qt platform can be expected to open windows; otherwise a
  // message that says how to run the program instead. Reads the environment
  // only (QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY).
  static std::string missingDisplayMessage(const std::string& programPath);
};

}  // namespace teilomat
