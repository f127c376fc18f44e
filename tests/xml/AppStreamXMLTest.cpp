#include "appconfig/AppStreamXML.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppResources.h"

namespace {

const char* const kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n";
const char* const kFooter = "</Description>\n";

class AppStreamXMLLoad : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  }
  void WriteDescription(const std::string& name, const std::string& body) const {
    Write(name, std::string(kHeader) + body + kFooter);
  }
  CAppException LoadError(const std::string& file, const std::string& key) {
    return CatchAppException([&] { CAppStreamXML::Load(file, nullptr, key); });
  }
};

const char* const kDevice = R"(
  <Resources Profile="Speed">
    <Group Key="SYS_UNIT_VALUE" Name="km/h"/>
    <ListKey Key="SYS_FORMAT_VALUE"><Element Value="%d"/><Element Value="%X"/></ListKey>
  </Resources>
  <Group Key="IP_CFG" Name="IP configuration" Flags="0x0001" Alias="Speed">
    <Property Name="AutoIndex" Value="7"/>
    <BitField Name="Flags"><Bit Set="3"/><Bit Clr="3"/><Bit Set="40"/><Bit Set="5"/><Bit Clr="33"/><Bit/></BitField>
    <ListKey Key="MODES"><Element Value="A"/><Element Value="B*"/><Element Value="A"/></ListKey>
    <ParamRef Key="FIRST" Ref="COMMON" Name="First"/>
    <ParamRef Key="SECOND" Ref="common"/>
    <Dummy Key="PAD" Data=""/>
  </Group>
  <Group Key="COMMON" Name="Common" Parent="Base"><Group Key="INNER"/></Group>
  <Group Key="ip_lower"/>
)";

}  // namespace

TEST_F(AppStreamXMLLoad, BuildsTheTreeFromFieldsChildrenAndAttributes) {
  WriteDescription("device", kDevice);
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("device", nullptr, "ip_cfg");
  ASSERT_NE(root, nullptr);
  CAppParamGroup* group = root->GetGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetKey(), "IP_CFG");
  EXPECT_EQ(group->GetName(), "IP configuration");
  EXPECT_EQ(group->GetAlias(), "Speed");
  EXPECT_EQ(group->GetAutoIndex(), 7u);
  // Bit 3 set then cleared, 40 and 33 ignored, 5 set; the Flags attribute adds bit 0.
  EXPECT_EQ(static_cast<std::uint32_t>(group->GetFlags()), 0x21u);
  EXPECT_EQ(group->GetCount(), 4u);
  EXPECT_EQ(group->GetKeyAt(0), "MODES");

  CAppParamListKey* modes = nullptr;
  ASSERT_TRUE(group->GetAt("MODES", modes));
  EXPECT_EQ(modes->GetCount(), 3u);
  EXPECT_TRUE(modes->Find("bravo"));

  // Each reference is an object of its own, with the reference's attributes.
  CAppParamGroup* first = nullptr;
  CAppParamGroup* second = nullptr;
  ASSERT_TRUE(group->GetAt("FIRST", first));
  ASSERT_TRUE(group->GetAt("SECOND", second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first->GetName(), "First");
  EXPECT_EQ(second->GetName(), "Common");
  EXPECT_EQ(second->GetRef(), "Base");
  EXPECT_NE(second->FindChild("INNER"), nullptr);

  CAppParam* pad = group->FindChild("PAD");
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(pad->GetClassName(), "CAppParam");
  EXPECT_EQ(static_cast<std::uint32_t>(pad->GetFlags()), PF_HIDDEN | PF_NO_DATA);
}

TEST_F(AppStreamXMLLoad, ResourcesFillProfilesAndTheTreeIsChecked) {
  WriteDescription("device", kDevice);
  CAppResources resources;
  resources.Init();
  const std::unique_ptr<CAppParam> root = CAppStreamXML::Load("device", &resources, "ip_cfg");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetKey(), "ip_cfg");  // the asked key, as asked
  EXPECT_EQ(resources.GetKey(), "device");
  EXPECT_EQ(root->GetUnit(&resources), "km/h");
  CAppParamListKey* formats = nullptr;
  ASSERT_TRUE(resources.GetAt("Speed\\SYS_FORMAT_VALUE", formats));
  EXPECT_EQ(formats->GetAt(1u), "%X");
  // A second load adds to the same profile instead of duplicating it.
  CAppStreamXML::Load("device", &resources, "COMMON");
  CAppParamGroup* speed = nullptr;
  ASSERT_TRUE(resources.GetAt("Speed", speed));
  EXPECT_EQ(speed->GetCount(), 2u);
}

TEST_F(AppStreamXMLLoad, ReferenceToAnotherFile) {
  WriteDescription("main", R"(<Group Key="TOP"><ParamRef Key="A" File="other"/><ParamRef Key="B" File="other" Ref="leaf"/></Group>)");
  WriteDescription("other", R"(<Group Key="SYS_ROOT" Name="Root of other"/><Group Key="LEAF" Name="Leaf"/>)");
  const auto root = CAppStreamXML::Load("main", nullptr, "TOP");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetGroup()->FindChild("A")->GetName(), "Root of other");
  EXPECT_EQ(root->GetGroup()->FindChild("B")->GetName(), "Leaf");
}

TEST_F(AppStreamXMLLoad, EmptyFileNameOrMissingSchemaGivesNull) {
  EXPECT_EQ(CAppStreamXML::Load("", nullptr, "X"), nullptr);
  WriteDescription("device", kDevice);
  CAppToolsXML::SetSchemaPath(Dir() + "NoSchemaHere");
  EXPECT_EQ(CAppStreamXML::Load("device", nullptr, "IP_CFG"), nullptr);
}

TEST_F(AppStreamXMLLoad, BadDescriptionsThrowClearMessages) {
  WriteDescription("bad", R"(
    <Param Key="NOTYPE"/>
    <Param Key="BADTYPE" Type="Nothing"/>
    <Param Key="RULE" Type="CAppDataRecord"/>
    <Group Key="WRONG_FIELD"><Array Name="AutoIndex"><Element Value="1"/></Array></Group>
    <Group Key="BITS_ON_STRING"><BitField Name="Help"><Bit Set="1"/></BitField></Group>
    <Group Key="SELF"><ParamRef Key="ME" Ref="SELF"/></Group>
    <Group Key="NOREF"><ParamRef Key="X"/></Group>
    <Group Key="MISSING"><ParamRef Key="X" Ref="NOWHERE"/></Group>
    <Group Key="OTHER_MISSING"><ParamRef Key="X" File="absent"/></Group>
  )");
  struct Case {
    const char* key;
    const char* message;
  };
  const Case cases[] = {
      {"ip_lower", "Exception >Reference not found : IP_LOWER on file : bad.XML"},
      {"NOTYPE", "Exception >Bad pointer"},
      {"BADTYPE", "Exception >NOTHING is not a CAppParamXXX or an alias of CAppParamXXX"},
      {"RULE", "Exception >CAPPDATARECORD is not a CAppParamXXX or an alias of CAppParamXXX"},
      {"WRONG_FIELD", "Exception >\"AutoIndex\" Field of CAppParamGroup (Key=WRONG_FIELD) in this context "
                      "can not be associated with an XML element <Array> on file :bad.XML"},
      {"BITS_ON_STRING", "Exception >\"Help\" Field of CAppParamGroup (Key=BITS_ON_STRING) in this context "
                         "can not be associated with an XML element <BitField> on file:bad.XML"},
      {"SELF", "Exception >Reference loop or nesting deeper than 256 at <Group Key=\"SELF\"> on file : bad.XML"},
      {"NOREF", "Exception >Reference error for ref : ParamRef or Attribut Type not found"},
      {"MISSING", "Exception >Reference not found : NOWHERE on file : bad.XML"},
  };
  for (const Case& c : cases) EXPECT_EQ(LoadError("bad", c.key).GetMessage(), c.message) << c.key;
  EXPECT_EQ(LoadError("bad", "NOTYPE").GetPrgFile(), "AppStreamXML");
  EXPECT_NE(LoadError("bad", "OTHER_MISSING").GetMessage(), "");
  EXPECT_NE(LoadError("nosuchfile", "X").GetMessage(), "");
}

TEST_F(AppStreamXMLLoad, InvalidAgainstTheSchemaIsRefused) {
  WriteDescription("invalid", R"(<Group Key="G" Colour="red"/>)");
  EXPECT_EQ(LoadError("invalid", "G").GetPrgFile(), "AppToolsXML");
}
