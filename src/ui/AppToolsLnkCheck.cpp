// The check box exchange.
#include "appconfig/ui/AppToolsLnkExch.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "links/AppLnkParamCommon.h"

CAppToolsLnk::CheckExchEnumSingle::CheckExchEnumSingle(CAppCtrlCheck* control) : m_pCtrl(AppChecked(control)) {}

void CAppToolsLnk::CheckExchEnumSingle::SetParam(CAppParam* param) {
  m_pParam = AppChecked(AppDynamicCast<CAppParamEnumSingle>(param));
}

int CAppToolsLnk::CheckExchEnumSingle::ParamToCtrl() {
  APP_CHECK_POINTER(m_pParam);
  m_pCtrl->SetValue(m_pParam->GetVariant().ToUInt32());
  return 1;
}

int CAppToolsLnk::CheckExchEnumSingle::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  m_pParam->SetVariant(CAppVariant(static_cast<std::uint32_t>(m_pCtrl->GetValue())));
  return 1;
}
