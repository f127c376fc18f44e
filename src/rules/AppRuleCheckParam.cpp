#include "appconfig/AppRuleInterface.h"

APP_IMPLEMENT_RULE(CAppRuleCheckParam, CAppRule)

// Without a rule of its own a page accepts whatever it is given.
int CAppRuleCheckParam::IsDataValid(std::vector<std::uint8_t>& /*data*/) { return 1; }
int CAppRuleCheckParam::IsValueValid(CAppVariant& /*value*/) { return 1; }
int CAppRuleCheckParam::IsEnumMultiValid(std::vector<std::uint32_t>& /*values*/) { return 1; }
int CAppRuleCheckParam::IsValid() { return 1; }
