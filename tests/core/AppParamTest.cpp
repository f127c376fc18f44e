#include "appconfig/AppParam.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppResources.h"

namespace {

// A leaf that counts its own checks and occupies a fixed number of bits.
class ProbeParam : public CAppParam {
  APP_DECLARE_DYNCREATE(ProbeParam)
public:
  void _Check() override {
    ++checks;
    if (fail) APP_THROW("probe failed");
  }
  void DataSerialize(CAppDataRecord* record) override {
    if (IsDataSerializable(record, 12)) ++transfers;
  }
  int checks = 0;
  int transfers = 0;
  bool fail = false;
};
APP_IMPLEMENT_DYNCREATE(ProbeParam, CAppParam)

}  // namespace

TEST(AppParam, PathAndFullKey) {
  CAppParamGroup root;
  root.SetKey("Root");
  auto* group = root.SetAt("G", new CAppParamGroup);
  auto* leaf = group->SetAt("Leaf", new CAppParam);
  std::string path = "junk";
  EXPECT_EQ(leaf->GetPath(path), &root);
  EXPECT_EQ(path, "G\\Leaf");
  EXPECT_EQ(leaf->GetFullKey(), "Root\\G\\Leaf");
  CAppParam lonely;
  EXPECT_EQ(lonely.GetPath(path), nullptr);  // a leaf root has no group
  EXPECT_EQ(path, "");
}

TEST(AppParam, DataSerializeSkipsNoDataNodes) {
  CAppParamGroup root;
  auto* a = root.SetAt("A", new ProbeParam);
  auto* b = root.SetAt("B", new ProbeParam);
  root.SetAt("Plain", new CAppParam);
  b->ModifyFlags(0, PF_NO_DATA);
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(a->transfers, 1);
  EXPECT_EQ(b->transfers, 0);
  EXPECT_EQ(record.GetPosition(), 12u);  // only the skip of B moved the cursor here
  EXPECT_EQ(CatchAppException([&] { root.DataSerialize(nullptr); }).GetMessage(), "Exception >Bad pointer");
}

TEST(AppParam, CheckHonoursNoCheckFlagsAndStopsAtFirstFailure) {
  CAppParamGroup root;
  auto* g = root.SetAt("G", new CAppParamGroup);
  auto* inner = g->SetAt("Inner", new ProbeParam);
  auto* outer = root.SetAt("Outer", new ProbeParam);
  auto* last = root.SetAt("Last", new ProbeParam);
  root.Check();
  g->ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  root.Check();
  g->ModifyFlags(PF_NO_CHECK_SUBTREE, PF_NO_CHECK);
  outer->ModifyFlags(0, PF_NO_CHECK);
  root.Check();
  EXPECT_EQ(std::vector<int>({inner->checks, outer->checks, last->checks}), std::vector<int>({1, 2, 3}));
  outer->ModifyFlags(PF_NO_CHECK, 0);
  outer->fail = true;
  EXPECT_EQ(CatchAppException([&] { root.Check(); }).GetMessage(), "Exception >probe failed");
  EXPECT_EQ(last->checks, 3);  // stops at the first failure
}

TEST(AppParam, CheckWithResourcesNeedsTheProfileOfEveryNode) {
  CAppResources resources;
  resources.Init();
  CAppParamGroup root;
  auto* probe = root.SetAt("P", new ProbeParam);  // a class without a profile
  EXPECT_EQ(CatchAppException([&] { root.Check(&resources); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(probe->checks, 0);
  // An alias that names no profile falls back to the class: still none.
  probe->SetAlias("Probe");
  EXPECT_EQ(CatchAppException([&] { root.Check(&resources); }).GetMessage(), "Exception >Bad pointer");
  resources.CreateProfile("Probe");
  root.Check(&resources);
  EXPECT_EQ(probe->checks, 1);
  probe->SetAlias("");
  probe->ModifyFlags(0, PF_NO_CHECK);  // a node that is not checked needs no profile
  root.Check(&resources);
}

// GetValue cuts to the width asked, or fails softly and leaves the output as it
// was; SetValue hands SetVariant a variant of the argument's own type.
TEST(AppParam, TypedValuesGoThroughAVariantOfTheirOwnType) {
  CapturedOutput output;
  CAppParamNumeric numeric;
  numeric.SetType(CAppVariant::VT_I2);
  numeric.SetValue(40000u);  // cut to 16 bits by the numeric conversion
  std::int16_t i16 = 0;
  std::uint8_t u8 = 0;
  std::int64_t i64 = 0;
  std::string text;
  CAppVariant variant;
  ASSERT_TRUE(numeric.GetValue(i16) && numeric.GetValue(u8) && numeric.GetValue(i64) && numeric.GetValue(text) &&
              numeric.GetValue(variant));
  EXPECT_EQ(std::tuple(i16, u8, i64, text, variant.GetType()),
            std::tuple(std::int16_t{-25536}, std::uint8_t{0x40}, std::int64_t{-25536}, std::string("-25536"),
                       std::uint16_t{CAppVariant::VT_I2}));

  CAppParamValue value;  // keeps what it is given
  value.SetValue(std::uint8_t{200});
  std::int8_t i8 = 0;
  ASSERT_TRUE(value.GetValue(variant) && value.GetValue(i8));
  EXPECT_EQ(std::tuple(variant.GetType(), i8), std::tuple(std::uint16_t{CAppVariant::VT_UI1}, std::int8_t{-56}));
  value.SetValue(std::string("12 apples"));
  int n = 5;
  EXPECT_TRUE(value.GetValue(text));
  EXPECT_FALSE(value.GetValue(n));
  EXPECT_EQ(std::tuple(text, n), std::tuple(std::string("12 apples"), 5));
  EXPECT_EQ(output.lines, std::vector<std::string>{"Erreur: Erreur dans le changement du type d'un variant."});
  EXPECT_EQ(CatchAppException([&] { value.SetValue(static_cast<const char*>(nullptr)); }).GetMessage(),
            "Exception >Bad pointer");
}
