// The bundled descriptions loaded into one resource collection (the example
// device and the plant of "groups"), with the helpers the group link tests
// share: rows by parameter, their keys and cells.
#pragma once

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <string>
#include <vector>

#include "TestLink.h"
#include "../../core/TestSupport.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlTree.h"

class GroupLinks : public ExampleDevice {
public:
  void SetUp() override {
    TestRecordingLink::Reset();
    ExampleDevice::SetUp();
    plant = CAppStreamXML::Load("groups", &resources, "PLANT");
    ASSERT_NE(plant, nullptr);
  }
  void TearDown() override {
    TestRecordingLink::Reset();
    ExampleDevice::TearDown();
  }

  CAppParam* Plant(const std::string& path) { return plant->GetGroup()->_GetAt(path); }

  // The row that shows `param`, -1 when none.
  static int RowOf(CAppCtrlList* list, const CAppParam* param) {
    for (int row = 0; row < list->GetCount(); ++row) {
      if (list->GetParam(row) == param) return row;
    }
    return -1;
  }
  // The keys of the rows, in order.
  static std::vector<std::string> RowKeys(CAppCtrlList* list) {
    std::vector<std::string> keys;
    for (int row = 0; row < list->GetCount(); ++row) {
      keys.push_back(list->GetParam(row)->GetKey());
    }
    return keys;
  }
  // The tree's nodes built so far, depth first, each with its depth.
  static std::vector<std::pair<QModelIndex, int>> Nodes(CAppCtrlTree* tree) {
    std::vector<std::pair<QModelIndex, int>> nodes;
    const QAbstractItemModel* model = tree->model();
    const auto walk = [&](const auto& self, const QModelIndex& parent, int depth) -> void {
      for (int row = 0; model != nullptr && row < model->rowCount(parent); ++row) {
        const QModelIndex node = model->index(row, 0, parent);
        nodes.emplace_back(node, depth);
        self(self, node, depth + 1);
      }
    };
    walk(walk, QModelIndex(), 0);
    return nodes;
  }
  static std::vector<std::string> ChildKeys(CAppParam* group) { return KeysOf(*group->GetGroup()); }
  static std::string Cell(CAppCtrlList* list, int row, int column) {
    return list->GetItemText(row, column).toStdString();
  }

  std::unique_ptr<CAppParam> plant;
};
