#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamListKey.h"

APP_IMPLEMENT_RULE(CAppRuleFilterByAlias, CAppRuleFilter)

CAppParam* CAppRuleFilterByAlias::Find(CAppParam* param, unsigned /*index*/) {
  APP_RULE_CHECK_POINTER(param);
  return GetList().Find(param->GetAlias()) ? param : nullptr;
}
