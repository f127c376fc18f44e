// Rules named by descriptions: resource sections attach them to profiles,
// and loading, checking, display and list layout use them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "appconfig/AppStreamXML.h"

namespace {

using Texts = std::vector<std::string>;

// The module with the check rule "Rule Max Value", loaded once and kept (its
// context points at its class records).
const CAppDynamic::KTO_EXTENSION_MODULE* RuleModule() {
  static const CAppDynamic::KTO_EXTENSION_MODULE* s_module = [] {
    void* handle = dlopen(APPCONFIG_MODULE_RULE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return static_cast<CAppDynamic::KTO_EXTENSION_MODULE*>(nullptr);
    auto init = reinterpret_cast<PFN_APP_MODULE_INIT>(dlsym(handle, APP_MODULE_INIT_SYMBOL));
    return init != nullptr ? init(handle) : nullptr;
  }();
  return s_module;
}

// Makes the module's context current for the life of the object.
struct ModuleActive {
  explicit ModuleActive(const CAppDynamic::KTO_EXTENSION_MODULE& m) { CAppDynamic::KtoActiveExtensionModule(m); }
  ~ModuleActive() { CAppDynamic::SetCurrentContext(host); }
  CAppDynamic::KEY_REGISTER_CLASS* host = CAppDynamic::GetCurrentContext();
};

struct RuleDescriptions : DescriptionFolder {
  void SetUp() override {
    DescriptionFolder::SetUp();
    m_pModule = RuleModule();
    ASSERT_NE(m_pModule, nullptr) << dlerror();
    ASSERT_NE(m_pModule->m_pContext, nullptr) << m_pModule->m_strError;
  }

  const CAppDynamic::KTO_EXTENSION_MODULE* m_pModule = nullptr;
};

}  // namespace

TEST_F(RuleDescriptions, CheckRuleOfAHostModuleRejectsOnLoad) {
  WriteDescription("port", R"(<Resources Profile="Limited">
    <Group Key="SYS_CHECK_RULE" Name="Max Value"><Define Key="MAX" Value="1000"/></Group></Resources>
  <Group Key="PORT"><Param Key="SPEED" Type="Numeric" Alias="Limited" Value="5000"/></Group>)");
  const auto load = [] { CAppResources r; r.Init(); return CAppStreamXML::Load("port", &r, "PORT") != nullptr; };
  EXPECT_TRUE(load());  // outside the module's context "Max Value" names no class: no check
  const ModuleActive active(*m_pModule);
  EXPECT_EQ(CatchAppException(load).GetMessage(), "Exception >Value 5000 above 1000 for key : SPEED");
}

// The example: a host module's check rule, a value rule, filters and a
// multi-column layout, all named by the description.
TEST_F(RuleDescriptions, ExampleLoadsWithEveryRule) {
  CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  const ModuleActive active(*m_pModule);
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("rules", &resources, "NETWORK");
  CAppParamGroup* network = root != nullptr ? root->GetGroup() : nullptr;
  ASSERT_NE(network, nullptr);
  CAppParamGroup* profile = resources.FindProfile(network);
  EXPECT_EQ(network->_GetAt("STATION_1\\SPEED")->GetUnit(&resources), "kbit/s");

  auto byMode = CAppRule::FindRule<CAppRuleFilter>(&resources, profile, "SYS_FILTER_0");
  auto byKey = CAppRule::FindRule<CAppRuleFilter>(&resources, profile, "SYS_FILTER_1");
  ASSERT_TRUE(byMode != nullptr && byKey != nullptr);
  CAppParam *t = network->FindChild("STATION_TEMPLATE"), *s0 = network->FindChild("STATION_0"),
            *s1 = network->FindChild("STATION_1");
  EXPECT_EQ((std::vector<CAppParam*>{byMode->Find(t, 0), byMode->Find(s0, 0), byMode->Find(s1, 0), byKey->Find(t, 0),
                                     byKey->Find(s0, 0), byKey->Find(s1, 0)}),
            (std::vector<CAppParam*>{nullptr, s0, nullptr, nullptr, s0, s1}));

  auto layout = CAppRule::FindRule<CAppRuleMultiColumns>(&resources, profile, "SYS_LIST_0");
  ASSERT_NE(layout, nullptr);
  Texts titles;
  layout->AddColumns(titles);
  EXPECT_EQ(titles, (Texts{"Identifier", "Speed", "Mode"}));
  const auto show = [&](CAppParam* row) { Texts cells; if (row) layout->ShowParam(row, cells); return cells; };
  EXPECT_EQ(layout->AddParam(network, 1), 1);
  // The ID by its value rule: every byte; the template's ID holds no bytes.
  EXPECT_EQ((std::vector<Texts>{show(s0), show(s1), show(network->FindChild("STATION_2"))}),
            (std::vector<Texts>{{"00 0E 8C 01 02 03 04 05 06 07 08 09 ", "500", "on"}, {"-", "1000", "Off"},
                                {"", "100", "OFF"}}));
  network->Check(&resources);

  network->_GetAt("STATION_1\\SPEED")->SetVariant(CAppVariant("1500"));
  EXPECT_EQ(CatchAppException([&] { network->Check(&resources); }).GetMessage(),
            "Exception >Value 1500 above 1000 for key : SPEED");
}
