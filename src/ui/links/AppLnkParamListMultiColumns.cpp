#include "appconfig/ui/AppLnkParamListMultiColumns.h"

#include <algorithm>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"

namespace {
constexpr unsigned kTemplate = 13597;
constexpr unsigned kButtons[] = {CAppLnkParamListMultiColumns::ID_ADD, CAppLnkParamListMultiColumns::ID_REMOVE,
                                 CAppLnkParamListMultiColumns::ID_UP, CAppLnkParamListMultiColumns::ID_DOWN};
}  // namespace

APP_IMPLEMENT_ONE_PAGE_LINK(CAppLnkParamListMultiColumns, CAppLnkParamList, kTemplate)

int CAppLnkParamListMultiColumns::OnUserInit() {
  for (unsigned id : kButtons) AddCtrl(id, new CAppCtrlButton);
  return InitList();
}

void CAppLnkParamListMultiColumns::OnUserActive() {
  CAppLnkParamList::OnUserActive();
  SetButtonContext();
}

CAppParam* CAppLnkParamListMultiColumns::SelectedParam() { return GetParam(GetList(), GetList()->GetCurrentItem()); }

void CAppLnkParamListMultiColumns::SelectRow(int row) {
  if (row >= 0) GetList()->SetCurrentItem(static_cast<unsigned>(row));
}

void CAppLnkParamListMultiColumns::SetButtonContext() {
  CAppCtrlList* list = GetList();
  const bool editable = !IsGroupReadOnly();
  CAppRuleMultiColumns* rule = GetListRule();
  CAppParam* selected = SelectedParam();
  const int row = list->GetCurrentItem();
  const bool add = editable && rule != nullptr && rule->AddParam(GetUserGroup(), 0) != 0;
  const bool remove = editable && rule != nullptr && selected != nullptr && rule->RemoveParam(selected, 0) != 0;
  const bool up = remove && list->GetPreviousItem(row) >= 0 && rule->MoveDownParam(selected, 0) != 0;
  const bool down = remove && list->GetNextItem(row) >= 0 && rule->MoveUpParam(selected, 0) != 0;
  const bool enabled[] = {add, remove, up, down};
  for (unsigned i = 0; i < 4; ++i) {
    SetReadOnly(_GetDlgItem(kButtons[i]), enabled[i] ? 0 : 1);
  }
}

int CAppLnkParamListMultiColumns::OnUserChange(unsigned ctrlId) {
  CAppCtrlList* list = GetList();
  CAppRuleMultiColumns* rule = GetListRule();
  CAppParam* selected = SelectedParam();
  const int row = list->GetCurrentItem();
  int result = 1;
  switch (ctrlId) {
    case ID_ADD:
      if (rule != nullptr && rule->AddParam(GetUserGroup(), 1) != 0) {
        OnActive();
        SelectRow(list->GetCount() - 1);
      } else {
        OnActive();
      }
      break;
    case ID_REMOVE:
      if (rule != nullptr && selected != nullptr) {
        rule->RemoveParam(selected, 1);
        OnActive();
        SelectRow(std::min(row, list->GetCount() - 1));
      }
      break;
    case ID_UP:
      if (rule != nullptr && selected != nullptr && list->GetPreviousItem(row) >= 0) {
        rule->MoveDownParam(selected, 1);
        OnActive();
        SelectRow(row - 1);
      }
      break;
    case ID_DOWN:
      if (rule != nullptr && selected != nullptr && list->GetNextItem(row) >= 0) {
        rule->MoveUpParam(selected, 1);
        OnActive();
        SelectRow(row + 1);
      }
      break;
    case ID_LIST:
      if (list->GetOnChangeType() == OPERATION_PROPERTIES) {
        OnListProperties(list);
      } else {
        result = OnListChange(ID_LIST, rule);
      }
      break;
    default: return 1;
  }
  SetDescription(SelectedParam());
  SetButtonContext();
  return result;
}

std::string CAppLnkParamListMultiColumns::OnUserToolTips(unsigned ctrlId) {
  switch (ctrlId) {
    case ID_ADD: return CAppTools::LoadString(57733);
    case ID_REMOVE: return CAppTools::LoadString(57734);
    case ID_UP: return CAppTools::LoadString(57735);
    case ID_DOWN: return CAppTools::LoadString(57736);
    case 13515: return CAppTools::LoadString(57738);
    case 13516: return CAppTools::LoadString(57737);
    default: return CAppLnkParamList::OnUserToolTips(ctrlId);
  }
}
