#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParamListKey.h"

APP_IMPLEMENT_RULE(CAppRuleFilter, CAppRule)

CAppParam* CAppRuleFilter::Find(CAppParam* /*param*/, unsigned /*index*/) {
  APP_RULE_THROW("Base class call not allowed");
}

unsigned CAppRuleFilter::GetCount() { return GetList().GetCount(); }

CAppParamListKey& CAppRuleFilter::GetList() {
  auto* list = AppDynamicCast<CAppParamListKey>(GetProfile());
  APP_RULE_CHECK_POINTER(list);
  return *list;
}

std::string CAppRuleFilter::GetValue(unsigned index) { return GetList().GetAt(index); }
