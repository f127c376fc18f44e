// Host extension modules: shared libraries loaded with dlopen that register
// classes of their own into the program's registry.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"

namespace {

// Loads a module and runs its start-up, as a host does.
CAppDynamic::KTO_EXTENSION_MODULE* LoadModule(const char* path, void*& handle) {
  handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  auto init = handle ? reinterpret_cast<PFN_APP_MODULE_INIT>(dlsym(handle, APP_MODULE_INIT_SYMBOL)) : nullptr;
  if (init == nullptr) ADD_FAILURE() << "cannot start " << path << ": " << dlerror();
  return init ? init(handle) : nullptr;
}

const CAppRuntimeClass* const kParam = APP_RUNTIME_CLASS(CAppParam);

}  // namespace

// The probe module stays loaded: its context refers to its class records.
TEST(AppExtensionModule, ModuleClassIsCreatedByAliasInItsContext) {
  CAppDynamic::KEY_REGISTER_CLASS* host = CAppDynamic::GetCurrentContext();
  void* handle = nullptr;
  CAppDynamic::KTO_EXTENSION_MODULE* module = LoadModule(APPCONFIG_MODULE_PROBE, handle);
  ASSERT_NE(module, nullptr);
  ASSERT_NE(module->m_pContext, nullptr) << module->m_strError;
  EXPECT_EQ(module->m_hModule, handle);
  // Loading a module leaves the host's context current and unchanged.
  EXPECT_EQ(CAppDynamic::GetCurrentContext(), host);
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Test Probe", "Param "), "TEST PROBE");

  CAppDynamic::KtoActiveExtensionModule(*module);
  const std::string name = CAppDynamic::GetClassByAlias("Test Probe", "Param ");
  EXPECT_EQ(name, "CAPPPARAMTESTPROBE");
  std::unique_ptr<CAppObject> object(CAppDynamic::_GetRegisterClass(name, kParam));
  auto* probe = AppDynamicCast<CAppParam>(object.get());
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->GetClassName() + " " + probe->GetBaseClassName(), "CAppParamTestProbe CAppParam");
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamTestProbe"), "PARAM TEST PROBE");
  // The module's context also holds the library's classes...
  EXPECT_NE(std::unique_ptr<CAppObject>(CAppDynamic::_GetRegisterClass("CAppParamGroup", kParam)), nullptr);
  // ... and their initialisers and the module's run for its resources.
  CAppResources resources;
  CAppDynamic::ResourcesInit(&resources);
  CAppParam* profile = resources.FindChild("CAppParamTestProbe");
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->GetName(), "Param Test Probe");

  CAppDynamic::SetCurrentContext(host);
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppParamTestProbe", kParam), nullptr);
}

TEST(AppExtensionModule, AliasClashFailsModuleStartUp) {
  CAppDynamic::KEY_REGISTER_CLASS* host = CAppDynamic::GetCurrentContext();
  void* handle = nullptr;
  CAppDynamic::KTO_EXTENSION_MODULE* module = LoadModule(APPCONFIG_MODULE_CLASH, handle);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->m_pContext, nullptr);
  EXPECT_EQ(module->m_strError, "Exception >Alias name error");
  EXPECT_EQ(CAppDynamic::GetCurrentContext(), host);
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param Group", ""), "CAPPPARAMGROUP");
  // Nothing of the module was entered anywhere, so it may go.
  EXPECT_EQ(dlclose(handle), 0);
}
