#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QLayout>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"

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

void WhenModal(std::function<void()> action) {
  QTimer::singleShot(0, qApp, [action = std::move(action)] {
    QWidget* modal = QApplication::activeModalWidget();
    action();
    if (modal != nullptr && QApplication::activeModalWidget() == modal) {
      ADD_FAILURE() << "the modal window is still open";
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(2);
    }
  });
}

void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

CAppParamGroup* UseTestLink(CAppResources& resources, CAppParam* param) {
  CAppParamGroup* profile = resources.FindProfile(param);
  CAppParam* entry = profile->FindChild("SYS_LINK_0");
  if (entry == nullptr) entry = profile->SetAt("SYS_LINK_0", new CAppParamGroup("Test Value"));
  entry->SetName("Test Value");
  return entry->GetGroup();
}
