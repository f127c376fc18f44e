#include "appconfig/ui/AppLnkConfigList.h"

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"
#include "platform/AppImageList.h"

namespace {

constexpr unsigned kTemplate = 13592;
constexpr unsigned kButtons[] = {CAppLnkConfigList::ID_ADD, CAppLnkConfigList::ID_REMOVE, CAppLnkConfigList::ID_UP,
                                 CAppLnkConfigList::ID_DOWN};

int RowOf(CAppCtrlList* list, const CAppParam* param) {
  for (int row = 0; row < list->GetCount(); ++row) {
    if (list->GetParam(row) == param) return row;
  }
  return -1;
}

// The child's place in the group's order, -1 when it is not there.
int IndexOf(const CAppParamGroup& group, const CAppParam* child) {
  for (unsigned i = 0; i < group.GetCount(); ++i) {
    if (group.GetKeyAt(i) == child->GetKey()) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

APP_IMPLEMENT_ONE_PAGE_LINK(CAppLnkConfigList, CAppLnkParamList, kTemplate)

int CAppLnkConfigList::OnUserInit() {
  for (unsigned id : {static_cast<unsigned>(ID_AVAILABLE), static_cast<unsigned>(ID_CONFIGURED)}) {
    CAppCtrlList* list = AddCtrl(id, new CAppCtrlList(1));
    if (GetResources() != nullptr) list->SetImageList(AppImageListIcons(*GetResources()));
    list->AddColumn("Name");
    list->AddColumn("Value");
    (id == ID_AVAILABLE ? m_pAvailable : m_pConfigured) = list;
  }
  for (unsigned id : kButtons) AddCtrl(id, new CAppCtrlButton);
  return CAppLnkWnd::OnUserInit();
}

void CAppLnkConfigList::Fill() {
  CAppParamGroup* group = GetUserGroup();
  for (POSITION pos = group->GetStartPosition(); pos != nullptr;) {
    CAppParam* child = group->GetNextPtr(pos);
    APP_CHECK_POINTER(child);
    CAppCtrlList* list = child->IsFlagsEnable(PF_HIDDEN) ? m_pAvailable : m_pConfigured;
    std::vector<std::string> texts;
    DefaultValueColumn(texts, child);
    const int row = list->AddParamItem(child, texts[0]);
    list->SetText(texts[1], row, 1);
  }
}

void CAppLnkConfigList::OnUserActive() {
  CAppLnkWnd::OnUserActive();
  m_pAvailable->RemoveAll();
  m_pConfigured->RemoveAll();
  DisableAllCtrl(IsGroupReadOnly() ? 1 : 0);
  Fill();
  SetButtonContext();
}

void CAppLnkConfigList::Refill(CAppParam* param) {
  OnActive();
  for (CAppCtrlList* list : {m_pAvailable, m_pConfigured}) {
    const int row = RowOf(list, param);
    if (row >= 0) list->SetCurrentItem(static_cast<unsigned>(row));
  }
  SetButtonContext();
}

void CAppLnkConfigList::SetButtonContext() {
  const bool editable = !IsGroupReadOnly();
  const int row = m_pConfigured->GetCurrentItem();
  const bool configured = editable && row >= 0;
  const bool enabled[] = {editable && m_pAvailable->GetCurrentItem() >= 0, configured,
                          configured && m_pConfigured->GetPreviousItem(row) >= 0,
                          configured && m_pConfigured->GetNextItem(row) >= 0};
  for (unsigned i = 0; i < 4; ++i) SetReadOnly(_GetDlgItem(kButtons[i]), enabled[i] ? 0 : 1);
}

int CAppLnkConfigList::OnUserChange(unsigned ctrlId) {
  CAppParam* available = GetParam(m_pAvailable, m_pAvailable->GetCurrentItem());
  CAppParam* configured = GetParam(m_pConfigured, m_pConfigured->GetCurrentItem());
  const int row = m_pConfigured->GetCurrentItem();
  switch (ctrlId) {
    case ID_ADD:
      if (available != nullptr) {
        available->ModifyFlags(PF_HIDDEN, 0);
        Refill(available);
      }
      return 1;
    case ID_REMOVE:
      if (configured != nullptr) {
        configured->ModifyFlags(0, PF_HIDDEN);
        Refill(configured);
      }
      return 1;
    case ID_UP:
    case ID_DOWN: {
      CAppParam* neighbour =
          GetParam(m_pConfigured, ctrlId == ID_UP ? m_pConfigured->GetPreviousItem(row) : m_pConfigured->GetNextItem(row));
      if (configured == nullptr || neighbour == nullptr) return 1;
      // Past the available ones between them, to the other side of the neighbour.
      CAppParamGroup* group = GetUserGroup();
      const bool up = ctrlId == ID_UP;
      for (unsigned steps = group->GetCount(); steps > 0; --steps) {
        const int at = IndexOf(*group, configured);
        const int other = IndexOf(*group, neighbour);
        if (up ? at < other : at > other) break;
        if (up) {
          group->MoveDown(configured->GetKey());
        } else {
          group->MoveUp(configured->GetKey());
        }
      }
      Refill(configured);
      return 1;
    }
    case ID_AVAILABLE:
    case ID_CONFIGURED: {
      CAppCtrlList* list = ctrlId == ID_AVAILABLE ? m_pAvailable : m_pConfigured;
      if (list->GetOnChangeType() == OPERATION_PROPERTIES) {
        OnListProperties(list);
      } else {
        SetDescription(GetParam(list, list->GetCurrentItem()));
      }
      SetButtonContext();
      return 1;
    }
    default: return 1;
  }
}

int CAppLnkConfigList::OnUserExit() {
  if (IsGroupReadOnly()) return 1;
  return GetCheckRule() != nullptr ? GetCheckRule()->IsValid() : 1;
}

std::string CAppLnkConfigList::OnUserToolTips(unsigned ctrlId) {
  switch (ctrlId) {
    case ID_AVAILABLE: return CAppTools::LoadString(57739);
    case ID_CONFIGURED: return CAppTools::LoadString(57740);
    default: return std::string();
  }
}
