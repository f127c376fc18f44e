// A host class that declares its fields `long` and `unsigned long`, as the
// platform the descriptions come from declares 32-bit fields: descriptions
// and value files read and write them as 32-bit numbers.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppStreamXML.h"

class CAppParamLongProbe : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamLongProbe)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("Offset", offset);
    record->Do("Mask", mask);
  }
  long offset = 0;
  unsigned long mask = 0;
};

APP_IMPLEMENT_DYNCREATE(CAppParamLongProbe, CAppParam)
APP_REGISTER_CLASS_INIT(CAppParamLongProbe, "Param LongProbe", nullptr)

namespace {

class LongFields : public DescriptionFolder {};

std::string Values(CAppParam* root) {
  CAppParamLongProbe* probe = nullptr;
  if (root == nullptr || !root->GetGroup()->GetAt("L", probe)) return "no probe";
  return std::to_string(probe->offset) + " " + std::to_string(probe->mask);
}

}  // namespace

TEST_F(LongFields, DescriptionAndValueFileReadAndWriteThemAs32BitNumbers) {
  WriteDescription("longs", R"(<Group Key="ROOT"><Param Type="Param LongProbe" Key="L">
    <Property Name="Offset" Value="-2147483648"/><Property Name="Mask" Value="4294967295"/></Param></Group>)");
  const std::unique_ptr<CAppParam> described = CAppStreamXML::Load("longs", nullptr, "ROOT");
  EXPECT_EQ(Values(described.get()), "-2147483648 4294967295");

  ASSERT_TRUE(CAppStreamXML::Save("saved", described.get()));
  const std::string saved = Read("saved");
  EXPECT_NE(saved.find(R"(<Property Name="Offset" Value="-2147483648")"), std::string::npos) << saved;
  EXPECT_NE(saved.find(R"(<Property Name="Mask" Value="4294967295")"), std::string::npos) << saved;
  const std::unique_ptr<CAppParam> reloaded = CAppStreamXML::Load("saved", nullptr, "ROOT");
  EXPECT_EQ(Values(reloaded.get()), "-2147483648 4294967295");

  CAppParamLongProbe* probe = nullptr;
  ASSERT_TRUE(reloaded->GetGroup()->GetAt("L", probe));
  probe->mask = 0x100000000UL;
  EXPECT_EQ(CatchAppException([&] { CAppStreamXML::Save("saved", reloaded.get()); }).GetMessage(),
            "Exception >Value does not fit 32 bits : Mask = 4294967296");
  EXPECT_EQ(Read("saved"), saved);
}
