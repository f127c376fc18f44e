#include "appconfig/ui/AppLnkParamMail.h"

#include "appconfig/AppParamMail.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppToolsLnkExch.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13595;
constexpr unsigned kFieldCount = 20;  // the header fields; field 20 is the data zone
constexpr unsigned kMaxChars = 255;
constexpr unsigned kFirstFieldTip = 57746;
constexpr unsigned kDataTip = 57766;
constexpr int kDecimalAndHexadecimal = CAppTools::BASE_DEC | CAppTools::BASE_HEX;

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamMail, CAppParamMail, kTemplate)

int CAppLnkParamMail::OnUserInit() {
  CAppParamMail* mail = GetLinkParam();
  for (unsigned field = 0; field < kFieldCount; ++field) {
    auto* edit = AddCtrl(AppLnkItem::kFirstMailField + field, new CAppCtrlEditNumeric(1, kMaxChars));
    edit->SetValue(mail->GetField(field));
    edit->SetValideBase(kDecimalAndHexadecimal);
  }
  auto* exchange = new CAppToolsLnk::DumpExchMail(AddCtrl(AppLnkItem::kValue, new CAppCtrlEditDump(1)));
  exchange->SetResources(GetResources());
  AddRule(exchange, mail, "");
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamMail::OnUserActive() {
  SetDescription(GetLinkParam());
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamMail::OnUserExit() { return 1; }

std::string CAppLnkParamMail::OnUserToolTips(unsigned ctrlId) {
  if (ctrlId >= AppLnkItem::kFirstMailField && ctrlId < AppLnkItem::kFirstMailField + kFieldCount) {
    return CAppTools::LoadString(kFirstFieldTip + (ctrlId - AppLnkItem::kFirstMailField));
  }
  constexpr AppLnkTip kTips[] = {kHelpTip, kNameTip, {AppLnkItem::kValue, kDataTip}};
  return AppLnkTipText(kTips, ctrlId);
}
