#include "appconfig/ui/AppLnkParamStruct.h"

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlList.h"
#include "links/AppLnkParamCommon.h"

namespace {
constexpr unsigned kTemplate = 13608;
}  // namespace

APP_IMPLEMENT_ONE_PAGE_LINK(CAppLnkParamStruct, CAppLnkParamList, kTemplate)

int CAppLnkParamStruct::OnUserInit() {
  const int result = InitList();
  m_pCheck = AddCtrl(ID_HEX, new CAppCtrlCheck);
  m_pDump = AddCtrl(ID_DUMP, new CAppCtrlEditDump);
  m_pDump->ShowAddress(false);
  m_pExchange = new CAppToolsLnk::DumpExchStruct(m_pDump);
  AddRule(m_pExchange, GetUserParam(), std::string());
  SetReadOnly(m_pDump, 1);
  SetReadOnly(GetList(), 0);
  return result;
}

void CAppLnkParamStruct::DefaultNameColumn(std::vector<std::string>& names) {
  names.push_back(CAppTools::LoadString(13674));
  CAppLnkParamList::DefaultNameColumn(names);
}

void CAppLnkParamStruct::DefaultValueColumn(std::vector<std::string>& values, CAppParam* param) {
  const auto it = m_positions.find(param);
  const unsigned bits = it != m_positions.end() ? it->second : m_nOffset;
  values.push_back(CAppTools::Format("%3u", bits / 8));
  CAppLnkParamList::DefaultValueColumn(values, param);
}

int CAppLnkParamStruct::CanShowParam(CAppParam* param, CAppRuleFilter* filter) {
  APP_CHECK_POINTER(param);
  m_nOffset += m_nLastBits;
  m_nLastBits = param->GetBitSize();
  m_positions[param] = m_nOffset;
  return CAppLnkParamList::CanShowParam(param, filter);
}

void CAppLnkParamStruct::OnUserActive() {
  m_nOffset = 0;
  m_nLastBits = 0;
  m_positions.clear();
  CAppLnkWnd::OnUserActive();
  if (IsGroupReadOnly()) {
    DisableAllCtrl(1);
    GetList()->SetModeDisable(1);
  }
  SetValue(GetList(), GetUserGroup(), GetListRule(), m_strFilter);
}

void CAppLnkParamStruct::SetHexMode(bool hex) {
  if (!hex) {
    // The bytes typed in the dump become the fields, then both are shown again.
    m_pExchange->CtrlToParam();
    SetReadOnly(m_pDump, 1);
    SetReadOnly(GetList(), 0);
    GetList()->SetModeDisable(0);
    OnActive();
  } else {
    GetList()->OnExitInPlaceControl();
    SetReadOnly(m_pDump, 0);
    SetReadOnly(GetList(), 1);
    GetList()->SetModeDisable(1);
  }
}

int CAppLnkParamStruct::OnUserChange(unsigned ctrlId) {
  if (ctrlId == ID_HEX) {
    SetHexMode(m_pCheck->GetValue() != 0);
    return 1;
  }
  const int result = CAppLnkParamList::OnUserChange(ctrlId);
  // A field typed in the list shows in the dump at once, which is also what
  // leaving the page stores back.
  if (ctrlId == ID_LIST && result != 0 && GetList()->GetOnChangeType() == OPERATION_END_EDIT) {
    m_pExchange->ParamToCtrl();
  }
  return result;
}

int CAppLnkParamStruct::OnUserExit() {
  if (m_pCheck != nullptr && m_pCheck->GetValue() != 0) return 0;
  return ExitList();
}
