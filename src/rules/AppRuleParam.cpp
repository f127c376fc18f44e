#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"

APP_IMPLEMENT_RULE(CAppRuleParam, CAppRule)

// The question is the derived class's to answer.
int CAppRuleParam::Run(CAppParam* /*param*/) {
  APP_RULE_THROW("Base class call not allowed");
}
