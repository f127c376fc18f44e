#include "appconfig/ui/AppUiLib.h"

#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>

TEST(AppUiLib, StartsTwiceAndTakesScreenshots) {
  EXPECT_TRUE(InitAppConfigUiLib());
  QLabel label("Paramètres");
  const QFileInfo shot(SaveScreenshot(label));
  EXPECT_TRUE(shot.exists());
  EXPECT_GT(shot.size(), 0);
}
