// A value a description gets wrong is a soft error, never a crash (the
// classes' own tests pin each kind); what only a description shows is the
// order its attributes are applied in.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"

TEST_F(DescriptionFolder, BadValueOfADescriptionIsASoftError) {
  // The name as a field, the key and the value as attributes, as a value
  // file holds them.
  WriteDescription("bad", R"(<Group Key="ENUM"><Param Key="E" Type="EnumSingle" Value="7">
    <Property Name="Name" Value="Mode"/><Array Name="Value"><Element Value="1"/><Element Value="2"/></Array></Param></Group>)");
  CAppResources resources;
  resources.Init();
  CapturedOutput output;
  auto enumeration = CAppStreamXML::Load("bad", &resources, "ENUM");
  ASSERT_NE(enumeration, nullptr);
  ASSERT_FALSE(output.lines.empty());
  // The key applies before the value, so that the message names it.
  EXPECT_EQ(output.lines.front(),
            "Erreur: La valeur 7 ne peut pas être affectée dans E (Mode) parce que cette valeur n'est pas dans "
            "l'énumération.");
}
