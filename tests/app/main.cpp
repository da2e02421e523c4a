// The widget tests' entry: one QApplication on the offscreen platform for all tests.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/ApplicationSetup.h"
#include "app/PlatformStart.h"

int main(int argc, char** argv) {
  // Tests never need a display; ctest sets this too, a plain run gets it
  // here. Windows keeps its own platform: its desktop is always there, and
  // its offscreen platform has no fonts.
  if (teilomat::PlatformStart::needsDisplayVariable() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  teilomat::ApplicationSetup::configure(app);
  return RUN_ALL_TESTS();
}
