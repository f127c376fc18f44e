#include "appconfig/ui/AppLnkParamAddress.h"

#include "appconfig/AppParamAddress.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppMaskAddrCtl.h"
#include "links/AppLnkParamCommon.h"

namespace {

constexpr unsigned kTemplate = 13599;
constexpr AppLnkTip kTips[] = {kDefaultTip, {AppLnkItem::kAddress, 57742}};

// Every byte written with the format, joined by the separator.
std::string AddressText(const std::vector<std::uint8_t>& bytes, const std::string& format,
                        const std::string& separator) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) text += separator;
    text += CAppTools::DwordToString(bytes[i], format.c_str());
  }
  return text;
}

}  // namespace

APP_IMPLEMENT_PARAM_LINK(CAppLnkParamAddress, CAppParamAddress, kTemplate)

int CAppLnkParamAddress::OnUserInit() {
  CAppParamAddress* param = GetLinkParam();
  std::string separator, format;
  param->GetSeparator(separator);
  param->GetFormat(format);
  const char separatorChar = separator.empty() ? '.' : separator[0];
  AddCtrl(AppLnkItem::kAddress,
          new CAppMaskAddrCtl(static_cast<unsigned>(param->GetPartNumber()), separatorChar, format,
                              static_cast<unsigned>(param->GetMax())));
  AppLnkAddButton(*this, AppLnkItem::kDefaultButton);
  AddCtrl(AppLnkItem::kDefaultCaption, new CAppCtrlStatic);
  return CAppLnkSheet::OnUserInit();
}

void CAppLnkParamAddress::OnUserActive() {
  CAppParamAddress* param = GetLinkParam();
  SetDescription(param);
  std::vector<std::uint8_t> defaultBytes;
  param->GetDefaultValue(defaultBytes);
  const bool hasDefault = !defaultBytes.empty();
  if (hasDefault) {
    std::string separator, format;
    param->GetSeparator(separator);
    param->GetFormat(format);
    auto* button = AppLnkCtrl<CAppCtrlButton>(*this, AppLnkItem::kDefaultButton);
    button->SetCaption(QString::fromStdString(AddressText(defaultBytes, format, separator)));
  }
  ShowWindow(AppLnkItem::kDefaultButton, hasDefault ? 1 : 0);
  ShowWindow(AppLnkItem::kDefaultCaption, hasDefault ? 1 : 0);

  auto* address = AppLnkCtrl<CAppMaskAddrCtl>(*this, AppLnkItem::kAddress);
  std::vector<std::uint8_t> bytes;
  param->GetData(bytes);
  address->SetData(bytes);
  if (AppLnkIsReadOnly(*this)) DisableAllCtrl(1);
  CAppLnkSheet::OnUserActive();
}

int CAppLnkParamAddress::OnUserChange(unsigned ctrlId) {
  if (ctrlId == AppLnkItem::kDefaultButton) {
    std::vector<std::uint8_t> defaultBytes;
    GetLinkParam()->GetDefaultValue(defaultBytes);
    auto* address = AppLnkCtrl<CAppMaskAddrCtl>(*this, AppLnkItem::kAddress);
    address->SetData(defaultBytes);
  }
  return 1;
}

int CAppLnkParamAddress::OnUserExit() {
  if (AppLnkIsReadOnly(*this)) return 1;
  auto* address = AppLnkCtrl<CAppMaskAddrCtl>(*this, AppLnkItem::kAddress);
  std::vector<std::uint8_t> bytes;
  // The control reports an invalid field itself and focuses it.
  if (address->GetData(bytes) == 0) return 0;
  if (GetCheckRule() != nullptr && GetCheckRule()->IsDataValid(bytes) == 0) {
    address->FocusField(0, true);
    return 0;
  }
  GetLinkParam()->SetData(bytes);
  return 1;
}

std::string CAppLnkParamAddress::OnUserToolTips(unsigned ctrlId) { return AppLnkTipText(kTips, ctrlId); }
