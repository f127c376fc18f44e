// main() of the UI test programs: one QApplication for all tests, the
// offscreen platform unless the caller chose another (test discovery runs
// the program outside ctest's environment), and the UI library started.
#include "appconfig/AppDynamic.h"
#include "appconfig/ui/AppUiLib.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  if (!InitAppConfigLib() || !InitAppConfigUiLib()) {
    fprintf(stderr, "the appconfig libraries did not start\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
