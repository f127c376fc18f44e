#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamListKey.h"

APP_IMPLEMENT_RULE(CAppRuleFilterByKey, CAppRuleFilter)

CAppParam* CAppRuleFilterByKey::Find(CAppParam* param, unsigned /*index*/) {
  APP_RULE_CHECK_POINTER(param);
  return GetList().Find(param->GetKey()) ? param : nullptr;
}
