#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"

APP_IMPLEMENT_RULE(CAppRuleFilterByKeyInParam, CAppRuleFilter)

// Unlike the key and alias filters, the answer is a child of the argument.
CAppParam* CAppRuleFilterByKeyInParam::Find(CAppParam* param, unsigned index) {
  APP_RULE_CHECK_POINTER(param);
  CAppParamGroup* group = param->GetGroup();
  if (group == nullptr || index >= GetList().GetCount()) return nullptr;
  return group->FindChild(GetList().GetAt(index));
}
