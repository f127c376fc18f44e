#include "appconfig/ui/AppLnkParamNumeric.h"

#include <compare>

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

// Below, equal or above; NaN reads as equal, as the comparisons say.
template <class T>
std::partial_ordering Order(T a, T b) {
  using std::partial_ordering;
  return a < b ? partial_ordering::less : b < a ? partial_ordering::greater : partial_ordering::equivalent;
}

// Whole numbers compare exactly on 64 bits, anything else as floating
// point; unordered when either is no number.
std::partial_ordering Compare(const CAppVariant& a, const CAppVariant& b) {
  CAppVariant x, y;
  auto both = [&](std::uint16_t code) {
    return CAppVariant::ConvertValue(a, code, x) && CAppVariant::ConvertValue(b, code, y);
  };
  if (both(CAppVariant::VT_I8)) return Order(x.GetInt64(), y.GetInt64());
  if (both(CAppVariant::VT_UI8)) return Order(x.GetUInt64(), y.GetUInt64());
  if (both(CAppVariant::VT_R8)) return Order(x.GetDouble(), y.GetDouble());
  return std::partial_ordering::unordered;
}

// Whether `value` lies between the bounds, both included; an empty bound
// does not limit.
bool IsWithinBounds(const CAppVariant& value, const CAppVariant& min, const CAppVariant& max) {
  return !value.IsEmpty() && (min.IsEmpty() || Compare(value, min) >= 0) && (max.IsEmpty() || Compare(value, max) <= 0);
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

  auto* button = AppLnkCtrl<CAppCtrlButton>(*this, AppLnkItem::kDefaultButton);
  const CAppVariant defaultValue = param->GetDefaultValue();
  button->SetCaption(QString::fromStdString(AppLnkVariantText(defaultValue)));
  button->setEnabled(!defaultValue.IsEmpty());

  auto* edit = AppLnkCtrl<CAppCtrlEditNumeric>(*this, AppLnkItem::kValue);
  edit->SetValue(param->GetVariant());
  edit->SetValideBase(static_cast<int>(param->GetAllowedBases(resources)));
  edit->SetBase(param->GetBase(resources));

  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamNumeric::OnUserChange(unsigned ctrlId) {
  CAppParamNumeric* param = GetLinkParam();
  auto* edit = AppLnkCtrl<CAppCtrlEditNumeric>(*this, AppLnkItem::kValue);
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
  auto* edit = AppLnkCtrl<CAppCtrlEditNumeric>(*this, AppLnkItem::kValue);
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
