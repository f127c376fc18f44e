// The multi-column list link ("Link List Multi Columns"): the list link
// with buttons that add, remove and move rows through the multi-column
// rule. A row added and then cancelled in its properties is removed again.
#pragma once

#include "appconfig/ui/AppLnkParamList.h"

class CAppLnkParamListMultiColumns : public CAppLnkParamList {
  APP_DECLARE_DYNCREATE(CAppLnkParamListMultiColumns)

public:
  enum : unsigned { ID_ADD = 13506, ID_REMOVE = 13508, ID_UP = 13510, ID_DOWN = 13511 };

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  std::string OnUserToolTips(unsigned ctrlId) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  // The selected row's parameter, none without a selection.
  CAppParam* SelectedParam();
  // Add needs a rule; remove, up and down a selected row and, to move, a
  // neighbour; nothing on a read-only link or group.
  void SetButtonContext();
  void SelectRow(int row);
};
