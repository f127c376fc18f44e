#include "appconfig/ui/AppLnkParamNumeric.h"

#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13587;
constexpr unsigned kMaxChars = 255;
constexpr AppLnkTip kTips[] = {
    kDefaultTip, kHelpTip, kNameTip,
    {AppLnkItem::kMaxStatic, 57767},
    {AppLnkItem::kMinStatic, 57768},
    {AppLnkItem::kValue, 57769},
};

// -1, 0 or 1 as `a` is below, equal to or above `b`. Whole numbers compare
// exactly on 64 bits; anything else as floating point. False when either
// is no number.
bool Compare(const CAppVariant& a, const CAppVariant& b, int& order) {
  CAppVariant x, y;
  if (CAppVariant::ConvertValue(a, CAppVariant::VT_I8, x) && CAppVariant::ConvertValue(b, CAppVariant::VT_I8, y)) {
    order = x.GetInt64() < y.GetInt64() ? -1 : (x.GetInt64() > y.GetInt64() ? 1 : 0);
  } else if (CAppVariant::ConvertValue(a, CAppVariant::VT_UI8, x) &&
             CAppVariant::ConvertValue(b, CAppVariant::VT_UI8, y)) {
    order = x.GetUInt64() < y.GetUInt64() ? -1 : (x.GetUInt64() > y.GetUInt64() ? 1 : 0);
  } else if (CAppVariant::ConvertValue(a, CAppVariant::VT_R8, x) &&
             CAppVariant::ConvertValue(b, CAppVariant::VT_R8, y)) {
    order = x.GetDouble() < y.GetDouble() ? -1 : (x.GetDouble() > y.GetDouble() ? 1 : 0);
  } else {
    return false;
  }
  return true;
}

// Whether `value` lies between the bounds, both included; an empty bound
// does not limit.
bool IsWithinBounds(const CAppVariant& value, const CAppVariant& min, const CAppVariant& max) {
  if (value.IsEmpty()) return false;
  int order = 0;
  if (!min.IsEmpty() && (!Compare(value, min, order) || order < 0)) return false;
  if (!max.IsEmpty() && (!Compare(value, max, order) || order > 0)) return false;
  return true;
}

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamNumeric, CAppParamNumeric, kTemplate)

int CAppLnkParamNumeric::OnUserInit() {
  GetLinkParam();  // another class throws before any control is made
  AddCtrl(AppLnkItem::kValue, new CAppCtrlEditNumeric(1, kMaxChars));
  AddCtrl(AppLnkItem::kMaxStatic, new CAppCtrlStatic);
  AddCtrl(AppLnkItem::kMinStatic, new CAppCtrlStatic);
  AddCtrl(AppLnkItem::kUnitStatic, new CAppCtrlStatic);
  AppLnkAddButton(*this, AppLnkItem::kDefaultButton);
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamNumeric::OnUserActive() {
  CAppParamNumeric* param = GetLinkParam();
  CAppResources* resources = GetResources();
  SetDescription(param);
  SetWindowText(AppLnkItem::kMinStatic, AppLnkVariantText(param->GetMinValue()));
  SetWindowText(AppLnkItem::kMaxStatic, AppLnkVariantText(param->GetMaxValue()));
  SetWindowText(AppLnkItem::kUnitStatic, param->GetUnit(resources));

  CAppCtrlButton* button = nullptr;
  GetCtrl(AppLnkItem::kDefaultButton, button);
  const CAppVariant defaultValue = param->GetDefaultValue();
  button->SetCaption(QString::fromStdString(AppLnkVariantText(defaultValue)));
  button->setEnabled(!defaultValue.IsEmpty());

  CAppCtrlEditNumeric* edit = nullptr;
  GetCtrl(AppLnkItem::kValue, edit);
  edit->SetValue(param->GetVariant());
  edit->SetValideBase(static_cast<int>(param->GetAllowedBases(resources)));
  edit->SetBase(param->GetBase(resources));

  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamNumeric::OnUserChange(unsigned ctrlId) {
  CAppParamNumeric* param = GetLinkParam();
  CAppCtrlEditNumeric* edit = nullptr;
  GetCtrl(AppLnkItem::kValue, edit);
  if (ctrlId == AppLnkItem::kDefaultButton) {
    edit->SetValue(param->GetDefaultValue());
    return 1;
  }
  if (ctrlId == AppLnkItem::kValue) {
    return IsWithinBounds(edit->GetValue(), param->GetMinValue(), param->GetMaxValue()) ? 1 : 0;
  }
  return 1;
}

int CAppLnkParamNumeric::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  CAppParamNumeric* param = GetLinkParam();
  CAppCtrlEditNumeric* edit = nullptr;
  GetCtrl(AppLnkItem::kValue, edit);
  // A text in error (unreadable or out of range) is never stored.
  CAppVariant value = edit->GetValue();
  if (edit->IsError() != 0) {
    AppLnkSelectRefused(edit);
    return 0;
  }
  if (AppLnkRefused(*this, value, edit)) return 0;
  param->SetVariant(value);
  param->SetBase(edit->GetBase(), GetResources());
  return 1;
}

std::string CAppLnkParamNumeric::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
