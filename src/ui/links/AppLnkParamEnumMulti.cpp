#include "appconfig/ui/AppLnkParamEnumMulti.h"

#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13590;
constexpr unsigned kValueTitle = 13509;  // "Valeur"
constexpr AppLnkTip kTips[] = {kDefaultTip, kHelpTip, kNameTip, {AppLnkItem::kValue, 57745}};

// A row's image is its check box: 1 checked, 0 not.
unsigned CheckImage(std::uint32_t state) { return state != 0 ? 1u : 0u; }

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamEnumMulti, CAppParamEnumMulti, kTemplate)

int CAppLnkParamEnumMulti::OnUserInit() {
  GetLinkParam();  // another class throws before any control is made
  CAppCtrlList* list = AddCtrl(AppLnkItem::kValue, new CAppCtrlList(1));
  list->SetModeCheck();
  list->AddColumn(CAppTools::LoadString(kValueTitle));
  AppLnkAddButton(*this, AppLnkItem::kDefaultButton);
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamEnumMulti::OnUserActive() {
  CAppParamEnumMulti* param = GetLinkParam();
  SetDescription(param);
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  list->RemoveAll();
  for (unsigned i = 0; i < param->GetCount(); ++i) {
    std::uint32_t defaultNumber = 0, currentNumber = 0, value = 0;
    std::string text;
    param->GetEntry(i, defaultNumber, currentNumber, value, text);
    const int row = list->AddItem(i, text);
    list->SetImageIndex(CheckImage(currentNumber), row);
  }
  ShowWindow(AppLnkItem::kDefaultButton, param->GetDefaultSizeValue() != 0 ? 1 : 0);
  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamEnumMulti::OnUserChange(unsigned ctrlId) {
  // The list toggles a row's check itself on the properties action.
  if (ctrlId != AppLnkItem::kDefaultButton) return 1;
  CAppParamEnumMulti* param = GetLinkParam();
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  for (int row = 0; row < list->GetCount(); ++row) {
    list->SetImageIndex(CheckImage(param->GetDefaultValue(static_cast<unsigned>(row))), row);
  }
  return OnExit();
}

int CAppLnkParamEnumMulti::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  CAppParamEnumMulti* param = GetLinkParam();
  auto* list = AppLnkCtrl<CAppCtrlList>(*this, AppLnkItem::kValue);
  std::vector<std::uint32_t> states;
  for (int row = 0; row < list->GetCount(); ++row) states.push_back(list->GetItemImage(row) == 1 ? 1u : 0u);
  if (AppLnkRefused(*this, states, list)) return 0;
  for (unsigned i = 0; i < states.size(); ++i) param->SetNumber(i, states[i]);
  return 1;
}

std::string CAppLnkParamEnumMulti::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
