#include "appconfig/AppRuleMultiColumns.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParamListKey.h"

APP_IMPLEMENT_RULE(CAppRuleMultiColumns, CAppRule)

void CAppRuleMultiColumns::SetProfile(CAppParam* profile) {
  CAppRule::SetProfile(profile);
  m_pList = AppDynamicCast<CAppParamListKey>(profile);
  APP_RULE_CHECK_POINTER(m_pList);
}

CAppParamListKey& CAppRuleMultiColumns::GetList() {
  APP_RULE_CHECK_POINTER(m_pList);
  return *m_pList;
}

void CAppRuleMultiColumns::AddColumns(std::vector<std::string>& /*titles*/) {
  APP_RULE_THROW("Base class call not allowed");
}

void CAppRuleMultiColumns::ShowParam(CAppParam* /*row*/, std::vector<std::string>& /*texts*/) {
  APP_RULE_THROW("Base class call not allowed");
}

// A plain multi-column list is read-only: no row is added, removed or moved.
int CAppRuleMultiColumns::AddParam(CAppParam* /*group*/, int /*perform*/) { return 0; }
int CAppRuleMultiColumns::RemoveParam(CAppParam* /*row*/, int /*perform*/) { return 0; }
int CAppRuleMultiColumns::MoveUpParam(CAppParam* /*row*/, int /*perform*/) { return 0; }
int CAppRuleMultiColumns::MoveDownParam(CAppParam* /*row*/, int /*perform*/) { return 0; }

CAppParam* CAppRuleMultiColumns::GetParamToEdit(CAppParam* /*row*/, int /*column*/) {
  return nullptr;
}
