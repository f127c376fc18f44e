#include "appconfig/AppRuleInterface.h"

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppTools.h"

APP_IMPLEMENT_RULE(CAppRuleFilterByValue, CAppRuleFilter)

CAppParam* CAppRuleFilterByValue::Find(CAppParam* param, unsigned /*index*/) {
  CAppParamGroup* group = param != nullptr ? param->GetGroup() : nullptr;
  if (group == nullptr) return nullptr;
  CAppParamListKey& list = GetList();
  if (list.GetCount() == 0) return nullptr;
  CAppParam* child = group->FindChild(list.GetAt(0u));
  if (child == nullptr) return nullptr;
  // The stored value, not its display text: a format or a value rule must
  // not change what the filter keeps.
  const std::string text = CAppTools::MakeUpper(child->GetVariant().ToString());
  for (unsigned i = 1; i < list.GetCount(); ++i) {
    if (CAppTools::MakeUpper(list.GetAt(i)) == text) return param;
  }
  return nullptr;
}
