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

namespace {

// "open", "open2", ... for the modal windows one test shows.
QString NextOpenSuffix() {
  static std::string test;
  static int count = 0;
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "";
  count = name == test ? count + 1 : 1;
  test = name;
  return count == 1 ? QStringLiteral("open") : QString("open%1").arg(count);
}

}  // namespace

void WhenModal(std::function<void()> action) {
  QTimer::singleShot(0, qApp, [action = std::move(action)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr) SaveScreenshot(*modal, NextOpenSuffix());
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
