#include "appconfig/AppDynamic.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"

namespace {

// A class of the test program, registered at load like a host's own class.
class CAppParamDynHost : public CAppParamGroup {
  APP_DECLARE_DYNCREATE(CAppParamDynHost)

public:
  static void _ResourcesInit(CAppResources*) {}  // not the group's: its profile would be made twice
};
APP_IMPLEMENT_DYNCREATE(CAppParamDynHost, CAppParamGroup)
APP_REGISTER_CLASS(CAppParamDynHost, "Param Dyn Host")

// Classes registered by hand inside the tests.
class CAppParamDynFresh : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamDynFresh)
};
APP_IMPLEMENT_DYNCREATE(CAppParamDynFresh, CAppParam)

class CAppParamDynClash : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamDynClash)
};
APP_IMPLEMENT_DYNCREATE(CAppParamDynClash, CAppParam)

const CAppDynamic::ST_REGISTER_CLASS fresh = {APP_RUNTIME_CLASS(CAppParamDynFresh), nullptr, "Param Dyn Fresh"};
const CAppRuntimeClass* const kParam = APP_RUNTIME_CLASS(CAppParam);
const CAppRuntimeClass* const kGroup = APP_RUNTIME_CLASS(CAppParamGroup);

std::string Created(const std::string& name, const CAppRuntimeClass* base) {
  std::unique_ptr<CAppObject> object(CAppDynamic::_GetRegisterClass(name, base));
  return object != nullptr ? object->GetRuntimeClass()->m_lpszClassName : "(null)";
}

template <class F>
void ExpectRegistryError(F&& statement, const std::string& message) {
  const CAppException e = CatchAppException(std::forward<F>(statement));
  EXPECT_EQ(e.GetMessage(), "Exception >" + message);
  EXPECT_EQ(e.GetPrgFile(), "AppDynamic");
}

// Runs a test in a context of its own (seeded with the library's classes),
// so that what it registers disappears with it.
class AppDynamicContext : public ::testing::Test {
protected:
  void SetUp() override {
    m_pSaved = CAppDynamic::GetCurrentContext();
    CAppDynamic::KtoExitExtensionModule();
  }
  void TearDown() override { CAppDynamic::SetCurrentContext(m_pSaved); }

  CAppDynamic::KEY_REGISTER_CLASS* m_pSaved = nullptr;
};

}  // namespace

TEST(AppDynamic, GetRegisterClassCreatesByNameInAnyCaseUnderItsBase) {
  EXPECT_EQ(Created("cappparamgroup", kParam), "CAppParamGroup");
  const auto typed = CAppDynamic::GetRegisterClass<CAppParam>("CAppResources");
  EXPECT_EQ(typed != nullptr ? typed->GetClassName() : "(null)", "CAppResources");
  // A foreign base, a base class asked as derived, unknown names and aliases give nothing.
  for (const auto& [name, base] : {std::pair{"cappparamgroup", APP_RUNTIME_CLASS(CAppDataRecord)},
                                   {"CAppParam", kGroup}, {"", kParam}, {"CAppParam", nullptr}, {"Param Group", kParam}}) {
    EXPECT_EQ(Created(name, base), "(null)") << name;
  }
  EXPECT_EQ(CAppDynamic::GetClassByAlias("group", "Param "), "CAPPPARAMGROUP");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("param group", "Param "), "CAPPPARAMGROUP");  // the alias alone
  EXPECT_EQ(CAppDynamic::GetClassByAlias("CAppParam", "Param "), "CAPPPARAM");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Unknown thing", "Rule "), "UNKNOWN THING");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("cappparamgroup"), "PARAM GROUP");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppNothing"), "CAPPNOTHING");
}

TEST(AppDynamic, IsDerivedFromWalksBaseRecords) {
  EXPECT_TRUE(CAppDynamic::IsDerivedFrom(APP_RUNTIME_CLASS(CAppResources), kParam));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(kParam, kGroup));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(nullptr, kParam));
  CAppParamGroup group;
  CAppDataRecord record;
  EXPECT_EQ(CAppDynamic::GetPtrClass(kParam, &group), &group);
  EXPECT_EQ(CAppDynamic::GetPtrClass(kParam, &record), nullptr);
}

// The host class is registered at load; the index matches the exact class only.
TEST(AppDynamic, HostClassRegisteredAtLoadAndGetClassIndex) {
  EXPECT_EQ(Created(CAppDynamic::GetClassByAlias("Dyn Host", "Param "), kGroup), "CAppParamDynHost");
  CAppParam param;
  CAppParamGroup group;
  CAppParamDynHost derived;
  EXPECT_EQ((std::vector<unsigned>{CAppDynamic::GetClassIndex(&param), CAppDynamic::GetClassIndex(&group),
                                   CAppDynamic::GetClassIndex(&derived)}), (std::vector<unsigned>{1, 2, 0}));
  ExpectRegistryError([] { CAppDynamic::GetClassIndex(nullptr); }, "Bad pointer");
  ExpectRegistryError([] { CAppDynamic::ResourcesInit(nullptr); }, "Bad pointer");
}

TEST_F(AppDynamicContext, NewContextHoldsLibraryClassesAndTakesNewOnes) {
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Host", "Param "), "DYN HOST");  // the program's, not here
  EXPECT_TRUE(CAppDynamic::SetRegisterClass(&fresh));
  EXPECT_EQ(CAppDynamic::GetClassByAlias("DYN fresh", "param "), "CAPPPARAMDYNFRESH");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamDynFresh"), "PARAM DYN FRESH");
  EXPECT_EQ(Created("cappparamdynfresh", kParam), "CAppParamDynFresh");
  CAppResources resources;
  CAppDynamic::ResourcesInit(&resources);  // a class without initialiser is passed over
  ExpectRegistryError([] { CAppDynamic::SetRegisterClass(&fresh); }, "Duplicate or invalid key");
}

TEST_F(AppDynamicContext, SetRegisterClassRefusesBadRecordsAndTakenAlias) {
  ExpectRegistryError([] { CAppDynamic::SetRegisterClass(nullptr); }, "Bad runtime pointer");
  static const CAppDynamic::ST_REGISTER_CLASS clash = {APP_RUNTIME_CLASS(CAppParamDynClash), nullptr, "param GROUP"};
  ExpectRegistryError([] { CAppDynamic::SetRegisterClass(&clash); }, "Alias name error");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param Group", ""), "CAPPPARAMGROUP");
  EXPECT_EQ(Created("CAppParamDynClash", kParam), "(null)");
}

// A host program's class that takes an alias already registered makes the
// library's start-up fail, with the conflict's text.
TEST_F(AppDynamicContext, HostRegistrationConflictFailsInitAppConfigLib) {
  std::string error;
  EXPECT_TRUE(InitAppConfigLib(error));
  static const CAppDynamic::ST_REGISTER_CLASS clash = {APP_RUNTIME_CLASS(CAppParamDynClash), nullptr, "Param Numeric"};
  EXPECT_FALSE(CAppDynamic::SetRegisterClassAtLoad(&clash));  // as a host's static initialiser does
  EXPECT_EQ(std::make_tuple(InitAppConfigLib(error), error, InitAppConfigLib()),
            std::make_tuple(false, "Exception >Alias name error", false));
}

TEST_F(AppDynamicContext, ModuleContextIsCurrentOnlyWhenActivated) {
  EXPECT_TRUE(CAppDynamic::SetRegisterClassAtLoad(&fresh));
  CAppDynamic::KTO_EXTENSION_MODULE module;
  ASSERT_TRUE(CAppDynamic::KtoInitExtensionModule(module, nullptr));
  CAppDynamic::KtoExitExtensionModule();
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Fresh", "Param "), "DYN FRESH");
  CAppDynamic::KtoActiveExtensionModule(module);
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Fresh", "Param "), "CAPPPARAMDYNFRESH");
}
