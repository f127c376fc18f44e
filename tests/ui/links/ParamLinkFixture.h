// The example device description loaded with its resources, and ways to
// open a parameter's properties and reach the controls of the page shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../../core/TempFolder.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"
#include "platform/AppDialogTemplate.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Records message boxes instead of showing them; the sheets still open.
class RecordedMessageBoxes : public CAppUserInterface {
public:
  RecordedMessageBoxes() : m_pShown(&AppGetUserInterface()) { AppSetUserInterface(this); }
  ~RecordedMessageBoxes() override { AppSetUserInterface(m_pShown); }
  int OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override {
    return m_pShown->OnProperties(resources, param, sheet);
  }
  int OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override {
    return m_pShown->OnDebug(resources, param, sheet);
  }
  int MessageBox(const std::string& text, unsigned /*style*/) override {
    texts.push_back(text);
    return APP_IDOK;
  }

  std::vector<std::string> texts;

private:
  CAppUserInterface* m_pShown;
};

// Dialog items of the link pages.
constexpr unsigned kValue = 13605;
constexpr unsigned kDefault = 13501;
constexpr unsigned kAddress = 13551;

// Replaces the edit's text by typing.
inline void Retype(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

// Dialog item `id` of the sheet's active page as a T.
template <class T>
T* Item(CAppSheet& sheet, unsigned id) {
  CAppPage* page = sheet.GetAppPage(-1);
  return dynamic_cast<T*>(page != nullptr ? AppGetDlgItem(page, id) : nullptr);
}
inline void ClickOk(CAppSheet& sheet) { Click(sheet.GetButton(CAppSheet::ID_OK)); }
inline void ClickCancel(CAppSheet& sheet) { Click(sheet.GetButton(CAppSheet::ID_CANCEL)); }
inline bool IsOpen(CAppSheet& sheet) { return sheet.isVisible(); }

class ParamLinks : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // The parameter at `path` below the device group.
  template <class T>
  T* Param(const std::string& path) {
    T* param = nullptr;
    device->GetGroup()->GetAt(path, param);
    EXPECT_NE(param, nullptr) << path;
    return param;
  }
  // Opens the properties of `param`; `action` runs on the sheet once it is
  // shown and must close it. The dialog result.
  int Open(CAppParam* param, const std::function<void(CAppSheet&)>& action, CAppSheet* sheet = nullptr);
  // The whole tree as a binary parameter file.
  std::vector<char> SavedTree();

  TempFolder folder;
  CAppResources resources;
  std::unique_ptr<CAppParam> device;
  std::unique_ptr<RecordedMessageBoxes> messages;
};
