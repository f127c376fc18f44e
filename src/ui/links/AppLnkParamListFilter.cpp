#include "appconfig/ui/AppLnkParamListFilter.h"

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlStatic.h"
#include "links/AppLnkParamCommon.h"

namespace {
constexpr unsigned kTemplate = 13596;
}  // namespace

APP_IMPLEMENT_ONE_PAGE_LINK(CAppLnkParamListFilter, CAppLnkParamList, kTemplate)

int CAppLnkParamListFilter::OnUserInit() {
  m_pCombo = AddCtrl(ID_FILTER, new CAppCtrlCombo);
  CAppCtrlStatic* caption = AddCtrl(ID_CAPTION, new CAppCtrlStatic);
  // The filter names: the link's profile, else the group's own.
  CAppParam* entry = GetProfile() != nullptr ? GetProfile()->FindChild("SYS_FILTER_NAME") : nullptr;
  if (entry == nullptr && GetResources() != nullptr && GetUserParam() != nullptr) {
    if (CAppParamGroup* own = GetResources()->FindProfileOrNull(GetUserParam())) {
      entry = own->FindChild("SYS_FILTER_NAME");
    }
  }
  if (auto* names = AppDynamicCast<CAppParamListKey>(entry)) {
    if (!names->GetName().empty()) caption->SetValue(names->GetName());
    for (unsigned i = 0; i < names->GetCount(); ++i) m_pCombo->AddItem(i, names->GetAt(i));
    if (names->GetCount() > 0) m_pCombo->SetCurrentItem(0);
  }
  return InitList();
}

void CAppLnkParamListFilter::OnUserActive() {
  const int current = m_pCombo->GetCurrentItem();
  m_strFilter = CAppTools::Format("SYS_FILTER_%d", current < 0 ? 0 : current);
  CAppLnkWnd::OnUserActive();
  ActivateList();
}

int CAppLnkParamListFilter::OnUserChange(unsigned ctrlId) {
  if (ctrlId == ID_FILTER) {
    OnActive();
    return 1;
  }
  return CAppLnkParamList::OnUserChange(ctrlId);
}

std::string CAppLnkParamListFilter::OnUserToolTips(unsigned ctrlId) {
  return ctrlId == ID_FILTER ? CAppTools::LoadString(57732) : CAppLnkParamList::OnUserToolTips(ctrlId);
}
