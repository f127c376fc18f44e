#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QLayout>
#include <QWidget>

QString ScreenshotDir() { return QStringLiteral(APPCONFIG_SCREENSHOT_DIR); }

QString SaveScreenshot(QWidget& widget, const QString& suffix) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  QString name = test != nullptr ? QString("%1_%2").arg(test->test_suite_name(), test->name())
                                 : QStringLiteral("screenshot");
  if (!suffix.isEmpty()) name += "_" + suffix;
  name.replace('/', '_');
  QDir().mkpath(ScreenshotDir());
  const QString path = QDir(ScreenshotDir()).filePath(name + ".png");
  widget.ensurePolished();
  if (widget.layout() != nullptr) widget.layout()->activate();
  EXPECT_TRUE(widget.grab().save(path, "PNG")) << path.toStdString();
  return path;
}
