// Helpers every UI test program shares: screenshots, modal windows and
// sheets, dialog items, message boxes, and the example device loaded with
// its resources.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../core/TempFolder.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"

class QAbstractButton;
class QLineEdit;
class QWidget;
class CAppParam;
class CAppParamGroup;

// The folder the screenshots go to (made by the build).
QString ScreenshotDir();

// Writes a PNG of the widget into the screenshot folder, named after the
// running test ("Suite_Test.png", or "Suite_Test_<suffix>.png"); returns the
// file's path.
QString SaveScreenshot(QWidget& widget, const QString& suffix = {});

// Runs `action` once the next modal loop runs (a zero-delay timer), after a
// screenshot of the modal window as it opened ("..._open.png"). When the
// action leaves the modal window open, the test fails and the window is
// closed as cancelled, so that a failing test cannot hang.
void WhenModal(std::function<void()> action);

// The modal window on top, as a T; null when there is none or it is no T.
template <class T>
T* ActiveModal() {
  return qobject_cast<T*>(QApplication::activeModalWidget());
}

// WhenModal for a message box: its text goes into `text` and `button`
// closes it.
void WhenMessageBox(std::string& text, QMessageBox::StandardButton button = QMessageBox::Ok);

// WhenModal for a sheet: `action` gets the sheet on top, and must close it.
void WhenSheet(std::function<void(CAppSheet&)> action);
// Opens the properties of `param` (in `sheet` when given); `action` runs on
// the sheet once it is shown and must close it. The dialog result.
int OpenSheet(CAppResources& resources, CAppParam* param, std::function<void(CAppSheet&)> action,
              CAppSheet* sheet = nullptr);

// A left click in the middle of the button.
void Click(QAbstractButton* button);
void ClickOk(CAppSheet& sheet);
void ClickCancel(CAppSheet& sheet);
// Replaces the edit's text by typing.
void Retype(QLineEdit* edit, const QString& text);

// The control numbered `id` (dialog item) of the sheet's active page that is
// a T; null when there is none.
template <class T>
T* Item(CAppSheet* sheet, unsigned id) {
  CAppPage* page = sheet != nullptr ? sheet->GetAppPage(-1) : nullptr;
  if (page == nullptr) return nullptr;
  for (T* control : page->findChildren<T*>()) {
    if (control->property("dlgItem").toUInt() == id) return control;
  }
  return nullptr;
}
template <class T>
T* Item(CAppSheet& sheet, unsigned id) {
  return Item<T>(&sheet, id);
}

// Makes the properties of parameters of `param`'s class open the recording
// test link ("Link Test Value"): the first link definition of its profile
// is renamed, or created. Returns that definition.
CAppParamGroup* UseTestLink(CAppResources& resources, CAppParam* param);

// Records message boxes (text and style) instead of showing them, for as
// long as it lives; property and debug sheets still open.
class RecordedMessageBoxes : public CAppUserInterface {
public:
  RecordedMessageBoxes();
  ~RecordedMessageBoxes() override;
  int OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override;
  int OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override;
  int MessageBox(const std::string& text, unsigned style) override;

  std::vector<std::string> texts;
  std::vector<unsigned> styles;

private:
  CAppUserInterface* m_pShown;
};

// The example device of the bundled descriptions ("device", key DEVICE),
// loaded with its resources; the recording link starts afresh.
class ExampleDevice : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // The parameter at `path` below the device group; fails the test when
  // there is none.
  CAppParam* Device(const std::string& path);
  // A tree as a binary parameter file.
  std::vector<char> Saved(CAppParam* root);

  TempFolder folder;
  CAppResources resources;
  std::unique_ptr<CAppParam> device;
};
