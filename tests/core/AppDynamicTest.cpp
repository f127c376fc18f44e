#include "appconfig/AppDynamic.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
  static void _ResourcesInit(CAppResources* resources) {
    ++s_nInitCalls;
    s_pInitResources = resources;
  }
  static inline int s_nInitCalls = 0;
  static inline CAppResources* s_pInitResources = nullptr;
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

const CAppRuntimeClass* const kParam = APP_RUNTIME_CLASS(CAppParam);
const CAppRuntimeClass* const kGroup = APP_RUNTIME_CLASS(CAppParamGroup);

std::string ClassOf(const CAppObject* object) {
  return object != nullptr ? object->GetRuntimeClass()->m_lpszClassName : "(null)";
}

void ExpectRegistryError(const CAppException& e, const std::string& message) {
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

TEST(AppDynamic, GetRegisterClassCreatesByNameInAnyCase) {
  std::unique_ptr<CAppObject> group(CAppDynamic::_GetRegisterClass("cappparamgroup", kParam));
  EXPECT_EQ(ClassOf(group.get()), "CAppParamGroup");
  std::unique_ptr<CAppObject> param(CAppDynamic::_GetRegisterClass("CAPPPARAM", kParam));
  EXPECT_EQ(ClassOf(param.get()), "CAppParam");
  std::unique_ptr<CAppObject> record(
      CAppDynamic::_GetRegisterClass("CAppDataRecord", APP_RUNTIME_CLASS(CAppObject)));
  EXPECT_EQ(ClassOf(record.get()), "CAppDataRecord");

  auto typed = CAppDynamic::GetRegisterClass<CAppParam>("CAppResources");
  EXPECT_EQ(ClassOf(typed.get()), "CAppResources");
}

TEST(AppDynamic, GetRegisterClassRefusesForeignBaseAndUnknownName) {
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("cappparamgroup", APP_RUNTIME_CLASS(CAppDataRecord)),
            nullptr);
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppDataRecord", kParam), nullptr);
  // A base class is not created when a derived one is asked for.
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParam", kGroup), nullptr);
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParamNothing", kParam), nullptr);
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("", kParam), nullptr);
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParam", nullptr), nullptr);
  // An alias is not a class name.
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("Param Group", kParam), nullptr);
}

TEST(AppDynamic, GetClassByAliasTriesPrefixThenAliasThenName) {
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param Group", ""), "CAPPPARAMGROUP");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("group", "Param "), "CAPPPARAMGROUP");
  // "PARAM PARAM GROUP" is unknown; the alias alone is found.
  EXPECT_EQ(CAppDynamic::GetClassByAlias("param group", "Param "), "CAPPPARAMGROUP");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("CAppParam", "Param "), "CAPPPARAM");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Unknown thing", "Rule "), "UNKNOWN THING");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("", ""), "");
}

TEST(AppDynamic, GetAliasByClassFallsBackToUpperCasedName) {
  EXPECT_EQ(CAppDynamic::GetAliasByClass("cappparamgroup"), "PARAM GROUP");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParam"), "CAPPPARAM");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppNothing"), "CAPPNOTHING");
}

TEST(AppDynamic, IsDerivedFromWalksBaseRecords) {
  EXPECT_TRUE(CAppDynamic::IsDerivedFrom(kGroup, kParam));
  EXPECT_TRUE(CAppDynamic::IsDerivedFrom(APP_RUNTIME_CLASS(CAppResources), kParam));
  EXPECT_TRUE(CAppDynamic::IsDerivedFrom(kParam, kParam));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(kParam, kGroup));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(APP_RUNTIME_CLASS(CAppDataRecord), kParam));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(nullptr, kParam));
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(kParam, nullptr));

  // A record claiming a base larger than itself is refused without a walk.
  const CAppRuntimeClass big = {"Big", 1000, nullptr, nullptr};
  const CAppRuntimeClass small = {"Small", 8, &big, nullptr};
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(&small, &big));
  // Same names, other records: names are never compared.
  const CAppRuntimeClass fakeParam = {"CAppParam", kParam->m_nObjectSize, nullptr, nullptr};
  EXPECT_FALSE(CAppDynamic::IsDerivedFrom(kGroup, &fakeParam));
}

TEST(AppDynamic, GetPtrClassKeepsOnlyDerivedObjects) {
  CAppParamGroup group;
  CAppDataRecord record;
  EXPECT_EQ(CAppDynamic::GetPtrClass(kParam, &group), &group);
  EXPECT_EQ(CAppDynamic::GetPtrClass(kGroup, &group), &group);
  EXPECT_EQ(CAppDynamic::GetPtrClass(kParam, &record), nullptr);
  EXPECT_EQ(CAppDynamic::GetPtrClass(kParam, nullptr), nullptr);
  EXPECT_EQ(CAppDynamic::GetPtrClass(nullptr, &group), nullptr);
}

TEST(AppDynamic, GetClassIndexMatchesExactClassOnly) {
  CAppParam param;
  CAppParamGroup group;
  CAppResources resources;
  CAppParamDynHost derived;
  EXPECT_EQ(CAppDynamic::GetClassIndex(&param), 1u);
  EXPECT_EQ(CAppDynamic::GetClassIndex(&group), 2u);
  EXPECT_EQ(CAppDynamic::GetClassIndex(&resources), 0u);
  EXPECT_EQ(CAppDynamic::GetClassIndex(&derived), 0u);
  ExpectRegistryError(CatchAppException([] { CAppDynamic::GetClassIndex(nullptr); }),
                      "Bad pointer");
}

TEST(AppDynamic, HostClassRegisteredAtLoadJoinsLibraryClasses) {
  // The program's own context holds its class and the library's.
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Host", "Param "), "CAPPPARAMDYNHOST");
  std::unique_ptr<CAppObject> host(CAppDynamic::_GetRegisterClass(
      CAppDynamic::GetClassByAlias("Dyn Host", "Param "), kGroup));
  EXPECT_EQ(ClassOf(host.get()), "CAppParamDynHost");
  std::unique_ptr<CAppObject> group(CAppDynamic::_GetRegisterClass("CAppParamGroup", kGroup));
  EXPECT_EQ(ClassOf(group.get()), "CAppParamGroup");
  EXPECT_TRUE(InitAppConfigLib());
}

TEST(AppDynamic, ResourcesInitRunsEveryInitialiser) {
  CAppResources resources;
  CAppParamDynHost::s_nInitCalls = 0;
  CAppDynamic::ResourcesInit(&resources);
  EXPECT_EQ(CAppParamDynHost::s_nInitCalls, 1);
  EXPECT_EQ(CAppParamDynHost::s_pInitResources, &resources);

  ExpectRegistryError(CatchAppException([] { CAppDynamic::ResourcesInit(nullptr); }),
                      "Bad pointer");
}

TEST_F(AppDynamicContext, NewContextStartsWithLibraryClassesOnly) {
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param Group", ""), "CAPPPARAMGROUP");
  // Not a library class: the program registered it into its own context.
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Host", "Param "), "DYN HOST");
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParamDynHost", kParam), nullptr);
}

TEST_F(AppDynamicContext, SetRegisterClassEntersBothDirections) {
  static const CAppDynamic::ST_REGISTER_CLASS fresh = {APP_RUNTIME_CLASS(CAppParamDynFresh),
                                                       nullptr, "Param Dyn Fresh"};
  EXPECT_TRUE(CAppDynamic::SetRegisterClass(&fresh));
  EXPECT_EQ(CAppDynamic::GetClassByAlias("DYN fresh", "param "), "CAPPPARAMDYNFRESH");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamDynFresh"), "PARAM DYN FRESH");
  std::unique_ptr<CAppObject> object(CAppDynamic::_GetRegisterClass("cappparamdynfresh", kParam));
  EXPECT_EQ(ClassOf(object.get()), "CAppParamDynFresh");
  // A class without a resources initialiser is passed over.
  CAppResources resources;
  CAppDynamic::ResourcesInit(&resources);

  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(&fresh); }),
                      "Duplicate or invalid key");
}

TEST_F(AppDynamicContext, SetRegisterClassRefusesBadRecords) {
  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(nullptr); }),
                      "Bad runtime pointer");
  static const CAppDynamic::ST_REGISTER_CLASS noClass = {nullptr, nullptr, "Param X"};
  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(&noClass); }),
                      "Bad runtime pointer");

  // A library class again, in another case of letters: the name is taken.
  static const CAppRuntimeClass lowerParam = {"cappparam", kParam->m_nObjectSize, nullptr,
                                              nullptr};
  static const CAppDynamic::ST_REGISTER_CLASS again = {&lowerParam, nullptr, ""};
  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(&again); }),
                      "Duplicate or invalid key");
  static const CAppRuntimeClass nameless = {"", kParam->m_nObjectSize, kParam, nullptr};
  static const CAppDynamic::ST_REGISTER_CLASS unnamed = {&nameless, nullptr, ""};
  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(&unnamed); }),
                      "Duplicate or invalid key");
}

TEST_F(AppDynamicContext, SetRegisterClassRefusesTakenAliasAndChangesNothing) {
  static const CAppDynamic::ST_REGISTER_CLASS clash = {APP_RUNTIME_CLASS(CAppParamDynClash),
                                                       nullptr, "param GROUP"};
  ExpectRegistryError(CatchAppException([] { CAppDynamic::SetRegisterClass(&clash); }),
                      "Alias name error");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param Group", ""), "CAPPPARAMGROUP");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamDynClash"), "CAPPPARAMDYNCLASH");
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParamDynClash", kParam), nullptr);
}

TEST_F(AppDynamicContext, FailedLoadRegistrationFailsModuleStartUp) {
  static const CAppDynamic::ST_REGISTER_CLASS clash = {APP_RUNTIME_CLASS(CAppParamDynClash),
                                                       nullptr, "Param Group"};
  EXPECT_FALSE(CAppDynamic::SetRegisterClassAtLoad(&clash));
  CAppDynamic::KTO_EXTENSION_MODULE module;
  EXPECT_FALSE(CAppDynamic::KtoInitExtensionModule(module, nullptr));
  EXPECT_EQ(module.m_pContext, nullptr);
  EXPECT_EQ(module.m_strError, "Exception >Alias name error");
  ExpectRegistryError(
      CatchAppException([&] { CAppDynamic::KtoActiveExtensionModule(module); }), "Bad pointer");
}

TEST_F(AppDynamicContext, ModuleContextIsCurrentOnlyWhenActivated) {
  static const CAppDynamic::ST_REGISTER_CLASS fresh = {APP_RUNTIME_CLASS(CAppParamDynFresh),
                                                       nullptr, "Param Dyn Fresh"};
  EXPECT_TRUE(CAppDynamic::SetRegisterClassAtLoad(&fresh));
  CAppDynamic::KTO_EXTENSION_MODULE module;
  ASSERT_TRUE(CAppDynamic::KtoInitExtensionModule(module, nullptr));
  EXPECT_EQ(module.m_pContext, CAppDynamic::GetCurrentContext());
  EXPECT_EQ(module.m_strError, "");

  CAppDynamic::KtoExitExtensionModule();
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Fresh", "Param "), "DYN FRESH");
  CAppDynamic::KtoActiveExtensionModule(module);
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Dyn Fresh", "Param "), "CAPPPARAMDYNFRESH");
}

TEST(AppParamGroup, GetAtTypedUsesRegistryClassTest) {
  CAppParamGroup root;
  root.SetAt("Host", new CAppParamDynHost);
  root.SetAt("Plain", new CAppParamGroup);
  CAppParamGroup* group = nullptr;
  EXPECT_TRUE(root.GetAt("Host", group));  // a derived class is a group
  CAppParamDynHost* host = nullptr;
  const CAppException e = CatchAppException([&] { root.GetAt("Plain", host); });
  EXPECT_EQ(e.GetMessage(), "Exception >Not an derived class for this pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
}
