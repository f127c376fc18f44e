// The bundled descriptions loaded into one resource collection, with the
// helpers the group link tests share: the sheet's list or tree, rows by
// parameter, the whole tree as bytes.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../../core/TempFolder.h"
#include "TestLink.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"

class GroupLinks : public ::testing::Test {
public:
  void SetUp() override {
    TestRecordingLink::Reset();
    resources.Init();
    CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    device = CAppStreamXML::Load("device", &resources, "DEVICE");
    plant = CAppStreamXML::Load("groups", &resources, "PLANT");
    ASSERT_NE(device, nullptr);
    ASSERT_NE(plant, nullptr);
  }
  void TearDown() override {
    TestRecordingLink::Reset();
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
  }

  CAppParam* Device(const std::string& path) { return device->GetGroup()->_GetAt(path); }
  CAppParam* Plant(const std::string& path) { return plant->GetGroup()->_GetAt(path); }

  // A tree as a binary parameter file.
  std::vector<char> Saved(CAppParam* root) {
    const std::string file = folder.File("tree.bin");
    CAppStreamBin::Save(root, file);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  template <class T>
  static T* OnPage(CAppSheet* sheet, unsigned id = 13605) {
    CAppPage* page = sheet != nullptr ? sheet->GetAppPage(-1) : nullptr;
    if (page == nullptr) return nullptr;
    for (T* control : page->findChildren<T*>()) {
      if (AppGetDlgItemIdForTest(control) == id) return control;
    }
    return nullptr;
  }
  static unsigned AppGetDlgItemIdForTest(const QObject* item) { return item->property("dlgItem").toUInt(); }

  // The row that shows `param`, -1 when none.
  static int RowOf(CAppCtrlList* list, const CAppParam* param) {
    for (int row = 0; row < list->GetCount(); ++row) {
      if (reinterpret_cast<const CAppParam*>(list->GetValue(row)) == param) return row;
    }
    return -1;
  }
  // The keys of the rows, in order.
  static std::vector<std::string> RowKeys(CAppCtrlList* list) {
    std::vector<std::string> keys;
    for (int row = 0; row < list->GetCount(); ++row) {
      keys.push_back(reinterpret_cast<CAppParam*>(list->GetValue(row))->GetKey());
    }
    return keys;
  }
  static std::vector<std::string> ChildKeys(CAppParam* group) {
    std::vector<std::string> keys;
    for (unsigned i = 0; i < group->GetGroup()->GetCount(); ++i) keys.push_back(group->GetGroup()->GetKeyAt(i));
    return keys;
  }
  static std::string Cell(CAppCtrlList* list, int row, int column) {
    return list->GetItemText(row, column).toStdString();
  }

  TempFolder folder;
  CAppResources resources;
  std::unique_ptr<CAppParam> device;
  std::unique_ptr<CAppParam> plant;
};
