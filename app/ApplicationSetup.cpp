// What every Teilomat process sets on its QApplication, and what the program does before it has one.
#include "app/ApplicationSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string_view>

#include "app/PlatformStart.h"
#include "app/TeilomatIcon.h"
#include "app/WindowRoles.h"

#ifndef TEILOMAT_VERSION
#error "TEILOMAT_VERSION comes from the project version in CMake"
#endif

namespace teilomat {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// The platform Qt is told to use: -platform counts before QT_QPA_PLATFORM, as for Qt.
std::string chosenPlatform(const std::string& platform) {
  const char* fromEnvironment = std::getenv("QT_QPA_PLATFORM");
  return !platform.empty() ? platform : fromEnvironment ? fromEnvironment : "";
}

// The style asked for (-style before QT_STYLE_OVERRIDE, as Qt ranks them),
// when one of that name is installed; Fusion otherwise. Qt has already made
// and applied an asked-for style by now: making it once more costs a few
// allocations and keeps this choice in one place.
QStyle* chosenStyle(const std::string& style) {
  QString name = QString::fromStdString(style);
  if (name.isEmpty()) name = qEnvironmentVariable("QT_STYLE_OVERRIDE");
  if (!name.isEmpty())
    if (QStyle* asked = QStyleFactory::create(name)) return asked;
  return QStyleFactory::create(QStringLiteral("Fusion"));
}

// Why the Wayland display Qt looked for did not answer, as far as the file
// system tells: where libwayland looks for the socket, and whether one is there.
std::string waylandTrouble() {
  const std::string display = isSet("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
  const std::string named = "Die Wayland-Anzeige „" + display + "“";
  if (display.front() != '/' && !isSet("XDG_RUNTIME_DIR"))
    return named + " ist nicht zu finden, weil XDG_RUNTIME_DIR nicht gesetzt ist.\n";
  const std::string socket = display.front() == '/' ? display : std::getenv("XDG_RUNTIME_DIR") + ("/" + display);
  std::error_code error;
  if (!std::filesystem::is_socket(socket, error))
    return named + " gibt es nicht: unter " + socket +
           " liegt kein Socket. WAYLAND_DISPLAY (und XDG_RUNTIME_DIR) müssen die Anzeige eines laufenden "
           "Compositors nennen.\n";
  return named + " (" + socket + ") nimmt keine Verbindung an, oder Qts Wayland-Anbindung (Paket qt6-wayland) fehlt.\n";
}

// The options that QApplication and its platform plugins take from the
// command line (Qt accepts each with one dash or two). The command line is
// read before QApplication exists, because --help, --version and a refused
// option must be answered without a display, where constructing
// QApplication would end the process; and Qt offers no way to ask for its
// own options before then. So they are listed here, with whether they take
// the next argument as their value; an option that a later Qt adds is
// refused until it is listed.
constexpr std::string_view kQtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                                    "platformtheme",   "plugin",
                                                    "qwindowgeometry", "qwindowtitle",
                                                    "qwindowicon",     "geometry",
                                                    "title",           "icon",
                                                    "display",         "name",
                                                    "session",         "style",
                                                    "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "sync", "nograb", "dograb", "testability"};
constexpr std::string_view kQtOptionsWithEquals[] = {"style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N>
bool listed(const std::string_view (&list)[N], std::string_view name) {
  return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

template <std::size_t N>
bool startsWithListed(const std::string_view (&list)[N], std::string_view name) {
  return std::any_of(std::begin(list), std::end(list),
                     [&](std::string_view prefix) { return name.starts_with(prefix); });
}

const char* const kHelp =
    "Aufruf: teilomat [Option]\n"
    "\n"
    "Teilomat prüft ganze Zahlen mit bis zu 29 Stellen durch Probedivision auf Primzahl,\n"
    "sucht die nächste Primzahl, listet die Primzahlen eines Bereichs auf und misst mit\n"
    "dem Primmarktest die Rechenleistung. Alles Weitere geschieht im Fenster.\n"
    "\n"
    "Optionen:\n"
    "  -h, --help      diese Hilfe zeigen und beenden\n"
    "  -v, --version   die Versionsnummer zeigen und beenden\n"
    "\n"
    "Die Optionen von Qt gelten ebenfalls, zum Beispiel -platform NAME, -style NAME\n"
    "oder -reverse.\n";

}  // namespace

void ApplicationSetup::configure(QApplication& app, const std::string& style) {
  QApplication::setApplicationName("Teilomat");
  QApplication::setApplicationVersion(TEILOMAT_VERSION);
  // Lets the desktop match the windows to the installed entry and its icon.
  QGuiApplication::setDesktopFileName(kDesktopId);
  if (QStyle* look = chosenStyle(style)) QApplication::setStyle(look);
  app.setWindowIcon(teilomatIcon());
  if (const QStringList families = PlatformStart::interfaceFontFamilies(); !families.isEmpty()) {
    QFont font = QApplication::font();  // the platform's size
    font.setFamilies(families);
    QApplication::setFont(font);
  }
  installQtGerman(app);
  WindowRoles::install();
}

bool ApplicationSetup::installQtGerman(QApplication& app, const QString& directory) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_de"), directory)) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

bool ApplicationSetup::installQtGerman(QApplication& app) {
  return installQtGerman(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

ApplicationSetup::Start ApplicationSetup::readCommandLine(const std::vector<std::string>& arguments) {
  bool help = false;
  bool version = false;
  std::string platform;
  std::string style;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-h" || argument == "--help") {
      help = true;
      continue;
    }
    if (argument == "-v" || argument == "--version") {
      version = true;
      continue;
    }
    std::string_view name = argument;
    if (name.starts_with("--")) name.remove_prefix(2);
    else if (name.starts_with("-")) name.remove_prefix(1);
    else name = {};
    if (!name.empty() && listed(kQtOptionsWithValue, name)) {
      ++i;  // its value; a missing one is Qt's to ignore
      if (name == "platform" && i < arguments.size()) platform = arguments[i];
      if (name == "style" && i < arguments.size()) style = arguments[i];
      continue;
    }
    if (name.starts_with("style=")) style = name.substr(6);
    if (!name.empty() && (listed(kQtFlags, name) || startsWithListed(kQtOptionsWithEquals, name))) continue;
    Start refused;
    refused.openWindow = false;
    refused.exitCode = 2;
    refused.standardError = (name.empty() ? "teilomat: unerwartetes Argument „" : "teilomat: unbekannte Option „") +
                            argument + "“\nMehr dazu mit „teilomat --help“.\n";
    return refused;
  }
  Start start;
  start.platform = platform;
  start.style = style;
  if (help || version) {
    start.openWindow = false;
    start.standardOutput = help ? kHelp : "Teilomat " TEILOMAT_VERSION "\n";
  }
  return start;
}

std::string ApplicationSetup::missingDisplayMessage(const std::string& programPath, const std::string& platform) {
  const std::string chosen = chosenPlatform(platform);
  // Another platform chosen explicitly (offscreen, vnc, ...) is the user's call.
  if (!chosen.empty() && chosen.rfind("xcb", 0) != 0 && chosen.rfind("wayland", 0) != 0) return {};
  if (chosen.empty() && !PlatformStart::needsDisplayVariable()) return {};
  if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) return {};
  return "Teilomat braucht eine grafische Oberfläche, aber es ist keine Anzeige da "
         "(weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt).\n"
         "Starten Sie Teilomat in einer Desktop-Sitzung, oder ohne Bildschirm in einem "
         "virtuellen X-Server:\n"
         "  xvfb-run -a " +
         programPath + "\n";
}

std::string ApplicationSetup::displayFailedMessage(const std::string& programPath, const std::string& platform) {
  const std::string chosen = chosenPlatform(platform);
  // Without a choice Qt tries Wayland first wherever WAYLAND_DISPLAY is set and its plugin is installed.
  const bool wayland = chosen.rfind("wayland", 0) == 0 || (chosen.empty() && isSet("WAYLAND_DISPLAY"));
  std::string message = "Teilomat konnte keine Verbindung zur grafischen Anzeige herstellen.\n";
  if (!wayland)
    return message + "Ohne Bildschirm startet es in einem virtuellen X-Server:\n  xvfb-run -a " + programPath + "\n";
  message += waylandTrouble();
  if (isSet("DISPLAY"))
    message += std::string("Über X11 oder XWayland (DISPLAY=") + std::getenv("DISPLAY") + ") startet es mit:\n  " +
               programPath + " -platform xcb\n";
  // -platform xcb, because a Wayland display named in the environment would otherwise be tried again.
  return message + "Ohne Bildschirm startet es in einem virtuellen X-Server:\n  xvfb-run -a " + programPath +
         " -platform xcb\n";
}

}  // namespace teilomat
