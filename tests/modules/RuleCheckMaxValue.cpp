// A host extension module with a check rule of its own: it rejects a
// parameter whose value is above the "MAX" entry of its profile entry.
#include <cstdint>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRuleInterface.h"

class CAppRuleCheckMaxValue : public CAppRuleCheck {
  APP_DECLARE_RULE(CAppRuleCheckMaxValue)

public:
  void Check(CAppParam* param) override {
    APP_CHECK_POINTER(param);
    CAppParamGroup* entry = GetProfile() != nullptr ? GetProfile()->GetGroup() : nullptr;
    CAppParam* max = entry != nullptr ? entry->FindChild("MAX") : nullptr;
    if (max == nullptr) APP_THROW("No MAX for the check of key : %s", param->GetKey().c_str());
    const std::int32_t limit = max->GetVariant().ToInt32();
    if (param->GetVariant().ToInt32() > limit) {
      APP_THROW("Value %s above %s for key : %s", param->GetVariant().ToString().c_str(),
                max->GetVariant().ToString().c_str(), param->GetKey().c_str());
    }
  }
};

APP_IMPLEMENT_RULE(CAppRuleCheckMaxValue, CAppRuleCheck)

APP_REGISTER_CLASS(CAppRuleCheckMaxValue, "Rule Max Value")
APP_EXTENSION_MODULE()
