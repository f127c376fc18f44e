#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"

APP_IMPLEMENT_RULE(CAppRuleValue, CAppRule)

// The question is the derived class's to answer.
std::string CAppRuleValue::GetValue(CAppParam* /*param*/) {
  APP_RULE_THROW("Base class call not allowed");
}
