// What every Teilomat process sets on its QApplication, and what the program does before it has one.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QApplication;

namespace teilomat {

class ApplicationSetup {
 public:
  // The reverse-DNS name under which the desktop entry, the icons and the
  // AppStream data are installed.
  static constexpr const char* kDesktopId = "org.example.Teilomat";

  // Fusion, so that the windows look alike on every desktop and in the
  // tests, unless a style is asked for: style (from -style NAME or
  // -style=NAME, see Start), else QT_STYLE_OVERRIDE, as Qt ranks them. A
  // name that no installed style has keeps Fusion (Qt has already said so on
  // stderr, with the names it knows). Qt's own texts in German
  // (installQtGerman). The windows' roles for screen readers (WindowRoles).
  static void configure(QApplication& app, const std::string& style = {});

  // Loads Qt's German catalogue (qtbase_de.qm) from directory and installs
  // it on app, so that context menus and standard buttons speak German
  // whatever the system locale. False, and nothing changed, when the file is
  // missing or unreadable: the program then shows Qt's English texts. The
  // overload without a directory reads Qt's own translations folder.
  static bool installQtGerman(QApplication& app, const QString& directory);
  static bool installQtGerman(QApplication& app);

  // What the command line asks for, decided before any window system is
  // touched, so that --help and --version work without a display.
  struct Start {
    bool openWindow = true;  // false: print the texts and end with exitCode
    int exitCode = 0;
    std::string standardOutput;
    std::string standardError;
    std::string platform;  // the value of -platform, empty when not given
    std::string style;     // the value of -style, empty when not given
  };
  // arguments without the program name; Qt's own options are let through.
  static Start readCommandLine(const std::vector<std::string>& arguments);

  // Empty when a Qt platform can be expected to open windows; otherwise a
  // message that says how to run the program instead. Reads the environment
  // only (QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY); a platform given on the
  // command line counts before QT_QPA_PLATFORM, as it does for Qt. Always
  // empty for the default platform of Windows, whose desktop is always there.
  static std::string missingDisplayMessage(const std::string& programPath, const std::string& platform = {});

  // What to add when Qt could not open the platform it tried (it then ends
  // the process): that no display answered, where a Wayland display was
  // looked for when Qt may have tried one (the socket named by
  // WAYLAND_DISPLAY, below XDG_RUNTIME_DIR unless absolute; whether it
  // exists), and how to run the program in a virtual X server instead.
  static std::string displayFailedMessage(const std::string& programPath, const std::string& platform = {});
};

}  // namespace teilomat
