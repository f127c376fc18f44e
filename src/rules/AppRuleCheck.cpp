#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"

APP_IMPLEMENT_RULE(CAppRuleCheck, CAppRule)

// The question is the derived class's to answer.
void CAppRuleCheck::Check(CAppParam* /*param*/) {
  APP_RULE_THROW("Base class call not allowed");
}
