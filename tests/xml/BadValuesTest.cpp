// Values a description gets wrong are reported as soft errors (or kept as
// the types define), never a crash: a number that is no number, an
// enumeration value that is not listed, an address with too many parts, an
// array longer than its maximum.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"

TEST_F(XmlFolder, BadValuesInADescription) {
  CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  Write("bad", R"(<?xml version="1.0"?>
<Description xmlns="QXE-kvrDescription">
  <Group Key="NUMBER"><Param Key="N" Type="Numeric" Value="douze"><Property Name="Type" Value="I2"/></Param></Group>
  <Group Key="ENUM"><Param Key="E" Type="EnumSingle" Value="7">
    <Array Name="Value"><Element Value="1"/><Element Value="2"/></Array></Param></Group>
  <Group Key="PARTS"><Param Key="A" Type="Address"><Property Name="Value" Value="10 0 0 1 99"/></Param></Group>
  <Group Key="LONG"><Param Key="R" Type="Array">
    <Property Name="MaxSize" Value="2"/><Property Name="Value" HexValue="01 02 03 04"/></Param></Group>
</Description>
)");
  CAppResources resources;
  resources.Init();
  CapturedOutput output;

  auto number = CAppStreamXML::Load("bad", &resources, "NUMBER");
  ASSERT_NE(number, nullptr);
  // Once when the attribute is applied, twice more by the check (coercion
  // and write-back): the text stays, unconverted, and is not range-checked.
  EXPECT_EQ(output.lines, std::vector<std::string>(3, "Erreur: Erreur dans le changement du type d'un variant."));

  output.lines.clear();
  auto enumeration = CAppStreamXML::Load("bad", &resources, "ENUM");
  ASSERT_NE(enumeration, nullptr);
  ASSERT_FALSE(output.lines.empty());
  // Attributes apply Value before Key, so the key is still empty here.
  EXPECT_EQ(output.lines.front(),
            "Erreur: La valeur 7 ne peut pas être affectée dans  () parce que cette valeur n'est pas dans l'énumération.");

  // Extra parts are cut to the part number; a long array is kept as given.
  output.lines.clear();
  auto parts = CAppStreamXML::Load("bad", &resources, "PARTS");
  auto longArray = CAppStreamXML::Load("bad", &resources, "LONG");
  CAppParamAddress* address = nullptr;
  CAppParamArray* array = nullptr;
  ASSERT_TRUE(parts->GetGroup()->GetAt("A", address) && longArray->GetGroup()->GetAt("R", array));
  EXPECT_EQ(DataOf(*address), (std::vector<std::uint8_t>{10, 0, 0, 1}));
  EXPECT_EQ(DataOf(*array), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_TRUE(output.lines.empty());
}
