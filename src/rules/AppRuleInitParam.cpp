#include "appconfig/AppRuleInterface.h"

APP_IMPLEMENT_RULE(CAppRuleInitParam, CAppRule)

int CAppRuleInitParam::InitializePage() { return 0; }
int CAppRuleInitParam::ActivePage() { return 0; }
// Every link definition is offered unless a derived rule says otherwise.
int CAppRuleInitParam::ShowLink() { return 1; }
