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

const char* const kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n";
const char* const kFooter = "</Description>\n";

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
class ModuleActive {
public:
  explicit ModuleActive(const CAppDynamic::KTO_EXTENSION_MODULE& module)
      : m_pHost(CAppDynamic::GetCurrentContext()) {
    CAppDynamic::KtoActiveExtensionModule(module);
  }
  ~ModuleActive() { CAppDynamic::SetCurrentContext(m_pHost); }
  ModuleActive(const ModuleActive&) = delete;
  ModuleActive& operator=(const ModuleActive&) = delete;

private:
  CAppDynamic::KEY_REGISTER_CLASS* m_pHost;
};

class RuleDescriptions : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    const CAppDynamic::KTO_EXTENSION_MODULE* module = RuleModule();
    ASSERT_NE(module, nullptr) << dlerror();
    ASSERT_NE(module->m_pContext, nullptr) << module->m_strError;
    m_pModule = module;
  }
  void WriteDescription(const std::string& name, const std::string& body) const {
    Write(name, std::string(kHeader) + body + kFooter);
  }

  const CAppDynamic::KTO_EXTENSION_MODULE* m_pModule = nullptr;
};

const char* const kLimited = R"(
  <Resources Profile="Limited">
    <Group Key="SYS_CHECK_RULE" Name="Max Value"><Define Key="MAX" Value="1000"/></Group>
  </Resources>
  <Group Key="PORT">
    <Param Key="SPEED" Type="Numeric" Alias="Limited" Value="%s"/>
  </Group>
)";

std::string Limited(const char* speed) { return CAppTools::Format(kLimited, speed); }

}  // namespace

TEST_F(RuleDescriptions, CheckRuleOfAHostModuleRejectsOnLoad) {
  WriteDescription("port", Limited("5000"));
  {
    // Outside the module's context "Max Value" names no class: no check.
    CAppResources resources;
    resources.Init();
    EXPECT_NE(CAppStreamXML::Load("port", &resources, "PORT"), nullptr);
  }
  const ModuleActive active(*m_pModule);
  CAppResources resources;
  resources.Init();
  EXPECT_NE(resources.FindChild("CAppRuleCheckMaxValue"), nullptr);  // the module's profile
  const CAppException e =
      CatchAppException([&] { CAppStreamXML::Load("port", &resources, "PORT"); });
  EXPECT_EQ(e.GetMessage(), "Exception >Value 5000 above 1000 for key : SPEED");

  WriteDescription("port", Limited("1000"));
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("port", &resources, "PORT");
  ASSERT_NE(root, nullptr);
  // A change after loading is caught by the next check pass.
  CAppParam* speed = root->GetGroup()->FindChild("SPEED");
  speed->SetVariant(CAppVariant("1001"));
  EXPECT_EQ(CatchAppException([&] { root->Check(&resources); }).GetMessage(),
            "Exception >Value 1001 above 1000 for key : SPEED");
  speed->ModifyFlags(0, PF_NO_CHECK);
  root->Check(&resources);
}

TEST_F(RuleDescriptions, ValueRuleWinsOverPlainValueThroughDefaults) {
  WriteDescription("dump", R"xml(
    <Resources Profile="Dumped"><Group Key="SYS_DATA_RULE" Name="Array Dump Ext"/></Resources>
    <Resources Profile="Inherits"><Group Key="SYS_DEFAULT" Name="Array"/></Resources>
    <Resources Profile="CAppParamArray"><Group Key="SYS_DATA_VALUE" Name="(bytes)"/></Resources>
    <Resources Profile="Wrong">
      <Group Key="SYS_DATA_RULE" Name="Filter By Key"/><Group Key="SYS_DEFAULT" Name="Array"/>
    </Resources>
    <Group Key="BLOCK">
      <Param Key="A" Type="Array" Alias="Dumped"><Property Name="Value" HexValue="1 2 3 4 5 6 7 8 9 A B"/></Param>
      <Param Key="B" Type="Array" Alias="Inherits"><Property Name="Value" HexValue="FF"/></Param>
      <Param Key="C" Type="Array" Alias="Wrong"><Property Name="Value" HexValue="FF"/></Param>
    </Group>
  )xml");
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("dump", &resources, "BLOCK");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* block = root->GetGroup();
  EXPECT_EQ(block->FindChild("A")->GetFmtValue(&resources), "01 02 03 04 05 06 07 08 09 0A 0B ");
  EXPECT_EQ(block->FindChild("A")->GetFmtValue(), "01 02 03 04 05 06 07 08 09 0A ...");
  EXPECT_EQ(block->FindChild("B")->GetFmtValue(&resources), "(bytes)");
  // A filter named as a value rule is no value rule: the plain value answers.
  EXPECT_EQ(block->FindChild("C")->GetFmtValue(&resources), "(bytes)");
}

TEST_F(RuleDescriptions, ListLayoutThatIsNoKeyListFailsWhenCreated) {
  WriteDescription("table", R"(
    <Resources Profile="Table"><Group Key="SYS_LIST_0" Name="Multi Columns by Group"/></Resources>
    <Group Key="ROWS" Alias="Table"/>
  )");
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("table", &resources, "ROWS");
  ASSERT_NE(root, nullptr);
  const CAppException e = CatchAppException([&] {
    CAppRule::FindRule<CAppRuleMultiColumns>(&resources, resources.FindProfile(root.get()), "SYS_LIST_0");
  });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
}

// --- The example description -------------------------------------------------------------

class RulesExample : public RuleDescriptions {
protected:
  void SetUp() override {
    RuleDescriptions::SetUp();
    CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  }
};

TEST_F(RulesExample, LoadsAndChecksWithTheHostRule) {
  const ModuleActive active(*m_pModule);
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("rules", &resources, "NETWORK");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* network = root->GetGroup();
  ASSERT_NE(network, nullptr);
  CAppParam* speed = network->_GetAt("STATION_1\\SPEED");
  ASSERT_NE(speed, nullptr);
  EXPECT_EQ(speed->GetUnit(&resources), "kbit/s");
  speed->SetVariant(CAppVariant("1500"));
  EXPECT_EQ(CatchAppException([&] { network->Check(&resources); }).GetMessage(),
            "Exception >Value 1500 above 1000 for key : SPEED");
  EXPECT_EQ(network->_GetAt("STATION_0\\ID")->GetFmtValue(&resources),
            "00 0E 8C 01 02 03 04 05 06 07 08 09 ");
}

TEST_F(RulesExample, FiltersChooseRows) {
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("rules", &resources, "NETWORK");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* network = root->GetGroup();
  CAppParamGroup* profile = resources.FindProfile(network);
  auto byMode = CAppRule::FindRule<CAppRuleFilter>(&resources, profile, "SYS_FILTER_0");
  auto byKey = CAppRule::FindRule<CAppRuleFilter>(&resources, profile, "SYS_FILTER_1");
  ASSERT_NE(byMode, nullptr);
  ASSERT_NE(byKey, nullptr);
  EXPECT_EQ(byMode->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByValue));
  EXPECT_EQ(byKey->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByKey));
  Texts shownByMode;
  Texts shownByKey;
  POSITION pos = network->GetStartPosition();
  while (pos != nullptr) {
    CAppParam* row = network->GetNextPtr(pos);
    if (byMode->Find(row, 0) != nullptr) shownByMode.push_back(row->GetKey());
    if (byKey->Find(row, 0) != nullptr) shownByKey.push_back(row->GetKey());
  }
  EXPECT_EQ(shownByMode, (Texts{"STATION_0"}));
  EXPECT_EQ(shownByKey, (Texts{"STATION_0", "STATION_1"}));
}

TEST_F(RulesExample, MultiColumnLayoutShowsAndAddsRows) {
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("rules", &resources, "NETWORK");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* network = root->GetGroup();
  auto layout = CAppRule::FindRule<CAppRuleMultiColumns>(&resources, resources.FindProfile(network),
                                                         "SYS_LIST_0");
  ASSERT_NE(layout, nullptr);
  Texts titles;
  layout->AddColumns(titles);
  EXPECT_EQ(titles, (Texts{"Identifier", "Speed", "Mode"}));
  Texts cells;
  layout->ShowParam(network->FindChild("STATION_0"), cells);
  EXPECT_EQ(cells, (Texts{"00 0E 8C 01 02 03 04 05 06 07 08 09 ", "500", "on"}));
  layout->ShowParam(network->FindChild("STATION_1"), cells);
  EXPECT_EQ(cells, (Texts{"-", "1000", "Off"}));
  EXPECT_EQ(layout->GetParamToEdit(network->FindChild("STATION_1"), 1),
            network->_GetAt("STATION_1\\SPEED"));

  EXPECT_EQ(layout->AddParam(network, 1), 1);
  CAppParam* added = network->FindChild("STATION_2");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->GetName(), "Station 3");
  layout->ShowParam(added, cells);
  EXPECT_EQ(cells, (Texts{"", "100", "OFF"}));  // the template's ID holds no bytes
  network->Check(&resources);
}
