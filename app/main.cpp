// Start-up: the command line, then the main window, centred, and the event loop.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ApplicationSetup.h"
#include "app/Form1.h"
#include "app/PlatformStart.h"
#include "app/SystemDesktop.h"

namespace {

std::string programPath;
std::string platform;

// Qt ends the process with a fatal message when the display it tries
// cannot be reached; add which one and how to run the program instead.
void reportFatal(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  if (type == QtFatalMsg) {
    std::fputs(teilomat::ApplicationSetup::displayFailedMessage(programPath, platform).c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(2);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  programPath = argc > 0 ? argv[0] : "teilomat";
  // --help, --version and refused options are answered here, before
  // anything needs a display.
  const auto start =
      teilomat::ApplicationSetup::readCommandLine(std::vector<std::string>(argv + (argc > 0), argv + argc));
  if (!start.openWindow) {
    teilomat::PlatformStart::print(start.standardOutput, false);
    teilomat::PlatformStart::print(start.standardError, true);
    return start.exitCode;
  }
  platform = start.platform;
  const std::string missing = teilomat::ApplicationSetup::missingDisplayMessage(programPath, platform);
  if (!missing.empty()) {
    teilomat::PlatformStart::print(missing, true);
    return 2;
  }
  QtMessageHandler previous = qInstallMessageHandler(reportFatal);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  teilomat::ApplicationSetup::configure(app, start.style);

  teilomat::Form1 form1;
  // Told of long commands only; declared after the window, so it goes first.
  teilomat::SystemDesktop desktop(&form1);
  form1.attachDesktop(&desktop);
  form1.showCentred();
  return QApplication::exec();
}
