#include "appconfig/ui/AppLnkParamList.h"

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppImageList.h"

namespace {
constexpr unsigned kTemplate = 13589;
}  // namespace

APP_IMPLEMENT_ONE_PAGE_LINK(CAppLnkParamList, CAppLnkSheet, kTemplate)

CAppLnkParamList::CAppLnkParamList() = default;
CAppLnkParamList::~CAppLnkParamList() = default;

CAppParamGroup* CAppLnkParamList::GetUserGroup() { return AppLnkUserGroup(*this); }

int CAppLnkParamList::InitList() {
  m_pList = AddCtrl(ID_LIST, new CAppCtrlList(1));
  if (CAppResources* resources = GetResources()) m_pList->SetImageList(AppImageListIcons(*resources));
  m_pList->SetModeEditInPlace(1);
  // The options button opens the list's menu; pages without one go without.
  if (AppGetDlgItem(GetActiveView()->GetCtrlParent(), ID_OPTIONS) != nullptr) {
    m_pList->SetOptionsButton(AddCtrl(ID_OPTIONS, new CAppCtrlButton));
  }
  // The rule of the link's profile, else of the group's own.
  m_pListRule = CAppRule::FindRule<CAppRuleMultiColumns>(GetResources(), GetProfile(), "SYS_LIST_0");
  if (m_pListRule == nullptr && GetResources() != nullptr && GetUserParam() != nullptr) {
    m_pListRule = CAppRule::FindRule<CAppRuleMultiColumns>(
        GetResources(), GetResources()->FindProfileOrNull(GetUserParam()), "SYS_LIST_0");
  }
  return CAppLnkWnd::OnUserInit();
}

int CAppLnkParamList::OnUserInit() { return InitList(); }

bool CAppLnkParamList::IsGroupReadOnly() {
  return IsFlagsEnable(LNK_READONLY) || GetUserGroup()->IsFlagsEnable(PF_READONLY);
}

void CAppLnkParamList::ActivateList() {
  DisableAllCtrl(IsGroupReadOnly() ? 1 : 0);
  m_pList->SetModeDisable(GetUserGroup()->IsFlagsEnable(PF_READONLY) ? 1 : 0);
  SetValue(m_pList, GetUserGroup(), m_pListRule.get(), m_strFilter);
}

void CAppLnkParamList::OnUserActive() {
  CAppLnkWnd::OnUserActive();
  ActivateList();
}

int CAppLnkParamList::OnListCtrlChange() {
  if (m_pList->GetOnChangeType() == OPERATION_PROPERTIES) {
    OnListProperties(m_pList);
    return 1;
  }
  return OnListChange(ID_LIST, m_pListRule.get());
}

int CAppLnkParamList::OnUserChange(unsigned ctrlId) {
  return ctrlId == ID_LIST ? OnListCtrlChange() : 1;
}

int CAppLnkParamList::ExitList() {
  if (m_pList != nullptr) m_pList->OnExitInPlaceControl();
  if (IsGroupReadOnly()) return 1;
  return GetCheckRule() != nullptr ? GetCheckRule()->IsValid() : 1;
}

int CAppLnkParamList::OnUserExit() { return ExitList(); }

std::string CAppLnkParamList::OnUserToolTips(unsigned ctrlId) {
  switch (ctrlId) {
    case ID_OPTIONS: return CAppTools::LoadString(57730);
    case ID_LIST: return CAppTools::LoadString(57731);
    default: return std::string();
  }
}
