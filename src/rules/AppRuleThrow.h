// Throws of the rule family: they all carry the file name "AppRuleInterface",
// whichever source of the family raises them.
#pragma once

#include "appconfig/AppException.h"

#define APP_RULE_THROW(...) AppThrowException("AppRuleInterface", __LINE__, __VA_ARGS__)

#define APP_RULE_CHECK_POINTER(p) \
  do {                            \
    if ((p) == nullptr) APP_RULE_THROW("Bad pointer"); \
  } while (0)
