#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"

APP_IMPLEMENT_RULE(CAppRuleStream, CAppRule)

// The question is the derived class's to answer.
int CAppRuleStream::Run(CAppParam* /*param*/, const std::string& /*text*/, unsigned /*number*/) {
  APP_RULE_THROW("Base class call not allowed");
}
