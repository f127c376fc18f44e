#include "appconfig/ui/AppLnkParamString.h"

#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13588;
constexpr AppLnkTip kTips[] = {kHelpTip, kNameTip, {AppLnkItem::kValue, 57770}};

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamString, CAppParamValue, kTemplate)

int CAppLnkParamString::OnUserInit() {
  AddCtrl(AppLnkItem::kValue, new CAppCtrlEditString(GetLinkParam()->GetTextLimit()));
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamString::OnUserActive() {
  CAppParamValue* param = GetLinkParam();
  SetDescription(param);
  auto* edit = AppLnkCtrl<CAppCtrlEditString>(*this, AppLnkItem::kValue);
  edit->SetValue(AppLnkVariantText(param->GetVariant()));
  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamString::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  CAppParamValue* param = GetLinkParam();
  auto* edit = AppLnkCtrl<CAppCtrlEditString>(*this, AppLnkItem::kValue);
  CAppVariant value(edit->GetValue());
  if (AppLnkRefused(*this, value, edit)) return 0;
  param->SetVariant(value);
  return 1;
}

std::string CAppLnkParamString::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
