#include "appconfig/ui/AppLnkParamArray.h"

#include "appconfig/AppParamArray.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13591;
constexpr int kBytesPerRow = 16;
constexpr AppLnkTip kTips[] = {kHelpTip, kNameTip, {AppLnkItem::kValue, 57743}};

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamArray, CAppParamArray, kTemplate)

int CAppLnkParamArray::OnUserInit() {
  CAppParamArray* param = GetLinkParam();
  CAppCtrlEditDump* dump = AddCtrl(AppLnkItem::kValue, new CAppCtrlEditDump(1));
  dump->SetBPR(kBytesPerRow);
  dump->SetOptions(true, true, false, false);
  dump->SetMaxLength(param->GetMaxSize());
  std::vector<std::uint8_t> bytes;
  param->GetData(bytes);
  dump->SetData(bytes);
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamArray::OnUserActive() {
  SetDescription(GetLinkParam());
  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamArray::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  auto* dump = AppLnkCtrl<CAppCtrlEditDump>(*this, AppLnkItem::kValue);
  std::vector<std::uint8_t> bytes;
  dump->GetData(bytes);
  if (AppLnkRefused(*this, bytes, dump)) return 0;
  GetLinkParam()->SetData(bytes);
  return 1;
}

std::string CAppLnkParamArray::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
