// What every Teilomat process sets on its QApplication: name, style and icon.
#include "app/ApplicationSetup.h"

#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>

#include "app/TeilomatIcon.h"

namespace teilomat {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void ApplicationSetup::configure(QApplication& app) {
  QApplication::setApplicationName("Teilomat");
  QApplication::setApplicationVersion("1.1");
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
  app.setWindowIcon(teilomatIcon());
}

std::string ApplicationSetup::missingDisplayMessage(const std::string& programPath) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string chosen = platform ? platform : "";
  // Another platform chosen explicitly (offscreen, vnc, ...) is the user's call.
  if (!chosen.empty() && chosen.rfind("xcb", 0) != 0 && chosen.rfind("wayland", 0) != 0) return {};
  if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) return {};
  return "Teilomat braucht eine grafische Oberfläche, aber es ist keine Anzeige da "
         "(weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt).\n"
         "Starten Sie Teilomat in einer Desktop-Sitzung, oder ohne Bildschirm in einem "
         "virtuellen X-Server:\n"
         "  xvfb-run -a " + programPath + "\n";
}

}  // namespace teilomat
