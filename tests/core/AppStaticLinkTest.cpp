// Built against the static library and naming no library class in code:
// every class must still be creatable by name, so none of the registrations
// may have been dropped by the linker.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "appconfig/AppDynamic.h"

TEST(AppStaticLink, EveryLibraryClassIsCreatedByName) {
  EXPECT_TRUE(InitAppConfigLib());
  for (const char* name : {"CAppParam", "CAppParamGroup", "CAppResources", "CAppDataRecord",
                           "CAppParamArray", "CAppParamAddress", "CAppParamStruct", "CAppParamMail",
                           "CAppParamDefStruct", "CAppParamValue", "CAppParamNumeric",
                           "CAppParamEnumSingle", "CAppParamEnumMulti", "CAppParamListKey",
                           "CAppRule", "CAppRuleCheck", "CAppRuleCheckParam", "CAppRuleFilter",
                           "CAppRuleInitParam", "CAppRuleParam", "CAppRuleStream", "CAppRuleValue",
                           "CAppRuleFilterByKeyInParam", "CAppRuleFilterByValue", "CAppRuleMultiColumns",
                           "CAppRuleMultiColumnsGroup", "CAppRuleFilterByKey", "CAppRuleFilterByAlias",
                           "CAppRuleArrayDumpExt"}) {
    std::unique_ptr<CAppObject> object(
        CAppDynamic::_GetRegisterClass(name, APP_RUNTIME_CLASS(CAppObject)));
    ASSERT_NE(object, nullptr) << name;
    EXPECT_EQ(std::string(object->GetRuntimeClass()->m_lpszClassName), name);
  }
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Group", "Param "), "CAPPPARAMGROUP");
}
