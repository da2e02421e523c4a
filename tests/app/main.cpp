// The widget tests' entry: one QApplication on the offscreen platform for all tests.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/ApplicationSetup.h"

int main(int argc, char** argv) {
  // Tests never need a display; ctest sets this too, a plain run gets it here.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  teilomat::ApplicationSetup::configure(app);
  return RUN_ALL_TESTS();
}
