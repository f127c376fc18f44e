#include "appconfig/ui/AppLnkParamEnumSingle.h"

#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13590;
constexpr AppLnkTip kTips[] = {kDefaultTip, kHelpTip, kNameTip, {AppLnkItem::kValue, 57744}};

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamEnumSingle, CAppParamEnumSingle, kTemplate)

int CAppLnkParamEnumSingle::OnUserInit() {
  GetLinkParam();  // another class throws before any control is made
  CAppCtrlList* list = AddCtrl(AppLnkItem::kValue, new CAppCtrlList(0));
  list->SetModeSelect();
  list->AddColumn("Name");
  AppLnkAddButton(*this, AppLnkItem::kDefaultButton);
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamEnumSingle::OnUserActive() {
  CAppParamEnumSingle* param = GetLinkParam();
  SetDescription(param);
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  list->RemoveAll();
  for (unsigned i = 0; i < param->GetCount(); ++i) {
    std::uint32_t value = 0;
    std::string text;
    param->GetEntry(i, value, text);
    list->AddItem(value, text);
  }
  // An index past the rows (none chosen) is refused by the list.
  list->SetCurrentItem(param->GetCurrentIndex());
  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamEnumSingle::OnUserChange(unsigned ctrlId) {
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  if (ctrlId == AppLnkItem::kDefaultButton) {
    list->SetCurrentItem(GetLinkParam()->GetDefaultIndex());
    return OnExit();
  }
  if (ctrlId == AppLnkItem::kValue && list->GetOnChangeType() == OPERATION_PROPERTIES) {
    EndDialog(1);
  }
  return 1;
}

int CAppLnkParamEnumSingle::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  if (list->GetCurrentItem() < 0) return 1;  // nothing chosen: the value stays
  CAppVariant value(static_cast<std::uint32_t>(list->GetValue(-1)));
  if (AppLnkRefused(*this, value, list)) return 0;
  GetLinkParam()->SetVariant(value);
  return 1;
}

std::string CAppLnkParamEnumSingle::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
