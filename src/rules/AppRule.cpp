#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_RULE(CAppRule, CAppObject)

std::unique_ptr<CAppRule> CAppRule::_CreateRule(CAppResources* resources, CAppParam* entry,
                                                const CAppRuntimeClass* interfaceClass) {
  if (entry == nullptr || interfaceClass == nullptr) return nullptr;
  const std::string className = CAppDynamic::GetClassByAlias(entry->GetName(), "Rule ");
  if (className.empty()) return nullptr;
  // The registry creates nothing of another interface: a check rule named
  // where an edit rule is wanted simply is no rule.
  std::unique_ptr<CAppObject> object(CAppDynamic::_GetRegisterClass(className, interfaceClass));
  auto* rule = AppDynamicCast<CAppRule>(object.get());
  if (rule == nullptr) return nullptr;
  object.release();
  std::unique_ptr<CAppRule> owned(rule);
  owned->SetProfile(entry);  // may throw: a list rule named on a non-list entry
  owned->SetResources(resources);
  return owned;
}

std::unique_ptr<CAppRule> CAppRule::_FindRule(CAppResources* resources, CAppParamGroup* profile,
                                              const std::string& key,
                                              const CAppRuntimeClass* interfaceClass) {
  if (resources == nullptr || profile == nullptr) return nullptr;
  return _CreateRule(resources, resources->FindWithDefault(profile, key), interfaceClass);
}

void CAppRule::InitProfile(CAppResources* resources, const char* className) {
  APP_RULE_CHECK_POINTER(resources);
  resources->CreateProfile(className);
}
