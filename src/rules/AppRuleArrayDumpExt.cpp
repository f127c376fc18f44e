#include "appconfig/AppRuleInterface.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppTools.h"

APP_IMPLEMENT_RULE(CAppRuleArrayDumpExt, CAppRuleValue)

std::string CAppRuleArrayDumpExt::GetValue(CAppParam* param) {
  auto* array = AppDynamicCast<CAppParamArray>(param);
  APP_RULE_CHECK_POINTER(array);
  std::vector<std::uint8_t> data;
  array->GetData(data);
  return CAppTools::Dump(data, "%02X ");
}
