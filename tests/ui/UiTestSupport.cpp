#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

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

void WhenMessageBox(std::string& text, QMessageBox::StandardButton button) {
  WhenModal([&text, button] {
    auto* box = ActiveModal<QMessageBox>();
    ASSERT_NE(box, nullptr);
    text = box->text().toStdString();
    Click(box->button(button));
  });
}

void WhenSheet(std::function<void(CAppSheet&)> action) {
  WhenModal([action = std::move(action)] {
    auto* sheet = ActiveModal<CAppSheet>();
    ASSERT_NE(sheet, nullptr);
    action(*sheet);
  });
}

int OpenSheet(CAppResources& resources, CAppParam* param, std::function<void(CAppSheet&)> action,
              CAppSheet* sheet) {
  WhenSheet(std::move(action));
  return resources.OnProperties(param, sheet);
}

void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

void ClickOk(CAppSheet& sheet) { Click(sheet.GetButton(CAppSheet::ID_OK)); }

void ClickCancel(CAppSheet& sheet) { Click(sheet.GetButton(CAppSheet::ID_CANCEL)); }

void Retype(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

CAppParamGroup* UseTestLink(CAppResources& resources, CAppParam* param) {
  CAppParamGroup* profile = resources.FindProfile(param);
  CAppParam* entry = profile->FindChild("SYS_LINK_0");
  if (entry == nullptr) entry = profile->SetAt("SYS_LINK_0", new CAppParamGroup("Test Value"));
  entry->SetName("Test Value");
  return entry->GetGroup();
}

RecordedMessageBoxes::RecordedMessageBoxes() : m_pShown(&AppGetUserInterface()) { AppSetUserInterface(this); }

RecordedMessageBoxes::~RecordedMessageBoxes() { AppSetUserInterface(m_pShown); }

int RecordedMessageBoxes::OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) {
  return m_pShown->OnProperties(resources, param, sheet);
}

int RecordedMessageBoxes::OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) {
  return m_pShown->OnDebug(resources, param, sheet);
}

int RecordedMessageBoxes::MessageBox(const std::string& text, unsigned style) {
  texts.push_back(text);
  styles.push_back(style);
  return APP_IDOK;
}

void ExampleDevice::SetUp() {
  resources.Init();
  CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  device = CAppStreamXML::Load("device", &resources, "DEVICE");
  ASSERT_NE(device, nullptr);
}

void ExampleDevice::TearDown() {
  CAppToolsXML::SetPath("");
  CAppToolsXML::SetSchemaPath("");
}

CAppParam* ExampleDevice::Device(const std::string& path) {
  CAppParam* param = device->GetGroup()->_GetAt(path);
  EXPECT_NE(param, nullptr) << path;
  return param;
}

std::vector<char> ExampleDevice::Saved(CAppParam* root) {
  const std::string file = folder.File("tree.bin");
  CAppStreamBin::Save(root, file);
  const std::string bytes = TempFolder::ReadAll(file);
  return {bytes.begin(), bytes.end()};
}
