#include "appconfig/AppParamValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FieldRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppResources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

CAppParamValue* AddValue(CAppParamGroup& group, const std::string& key, std::uint32_t value,
                         unsigned bits, std::uint32_t flags = 0) {
  auto* param = group.SetAt(key, new CAppParamValue);
  param->SetVariant(CAppVariant(value));
  param->SetBitSize(bits);
  param->ModifyFlags(0, flags);
  return param;
}

Bytes Pack(CAppParam& root) {
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  Bytes bytes;
  record.GetData(bytes);
  return bytes;
}

}  // namespace

TEST(AppParamValue, GetTextLimit_ZeroMeansDefault) {
  CAppParamValue p("Nom");
  EXPECT_EQ(p.GetName(), "Nom");
  EXPECT_EQ(p.GetTextLimit(), 255u);
  p.SetMaxSize(12);
  EXPECT_EQ(p.GetTextLimit(), 12u);
  // The limit is for the edit controls only: a longer value passes the check.
  p.SetVariant(CAppVariant(std::string(40, 'x')));
  EXPECT_NO_THROW(p.Check());
}

TEST(AppParamValue, Serialize_FieldOrder) {
  CAppParamValue source;
  FieldRecord record;
  source.Serialize(&record);
  EXPECT_EQ(record.Names(), (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias",
                                                      "Value", "MaxSize", "BitSize"}));
  EXPECT_EQ(record.fields[5].type, std::uint32_t{CAppRecord::FT_VARIANT});
  EXPECT_EQ(record.fields[6].type, std::uint32_t{CAppRecord::FT_UI4});
  EXPECT_EQ(record.fields[7].type, std::uint32_t{CAppRecord::FT_UI4});
  EXPECT_THROW(source.Serialize(nullptr), CAppException);
}

TEST(AppParamValue, DataSerialize_GoldenBytes) {
  {
    CAppParamGroup root;
    AddValue(root, "Intel", 0x1234, 16);
    AddValue(root, "Motorola", 0x1234, 16, PF_MOTOROLA);
    AddValue(root, "Motorola24", 0x123456, 24, PF_MOTOROLA);
    EXPECT_EQ(Pack(root), (Bytes{0x34, 0x12, 0x12, 0x34, 0x12, 0x34, 0x56}));
  }
  {
    // A PF_NO_DATA value keeps its bits free; a 0-bit value has no place.
    CAppParamGroup root;
    AddValue(root, "A", 0x11, 8);
    AddValue(root, "Skipped", 0x22, 8, PF_NO_DATA);
    AddValue(root, "None", 0x44, 0);
    AddValue(root, "B", 0x33, 8);
    EXPECT_EQ(Pack(root), (Bytes{0x11, 0x00, 0x33}));
  }
  {
    // Fields share bytes: 3 bits of 5, then 5 bits of 1.
    CAppParamGroup root;
    AddValue(root, "Low", 5, 3);
    AddValue(root, "High", 1, 5);
    EXPECT_EQ(Pack(root), (Bytes{0x0D}));
  }
}

TEST(AppParamValue, DataSerialize_LoadSkipsNoData) {
  CAppParamGroup root;
  CAppParamValue* word = AddValue(root, "Word", 0, 16, PF_MOTOROLA);
  CAppParamValue* skipped = AddValue(root, "Skipped", 0x22, 8, PF_NO_DATA);
  CAppParamValue* last = AddValue(root, "Last", 0, 8);
  CAppDataRecord record(true);
  record.SetData(Bytes{0xAB, 0xCD, 0x99, 0x41});
  root.DataSerialize(&record);
  EXPECT_EQ(record.GetPosition(), 32u);
  EXPECT_EQ(word->GetVariant(), CAppVariant(std::uint32_t{0xABCD}));
  EXPECT_EQ(skipped->GetVariant(), CAppVariant(std::uint32_t{0x22}));
  EXPECT_EQ(last->GetVariant(), CAppVariant(std::uint32_t{0x41}));

  record.SetModeLoad(true);
  record.SetData(Bytes{0xAB});
  EXPECT_EQ(CatchAppException([&] { root.DataSerialize(&record); }).GetMessage(),
            "Exception >Size Error");
}

TEST(AppParamValue, Slots_OnlyTheOverriddenOnesWork) {
  CAppParamValue value;
  value.SetKey("V");
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string getTrace = "GetVariant not supported for class : CAppParamValue key: V";
  const std::string setTrace = "SetVariant not supported for class : CAppParamValue key: V";
  const std::uint32_t gets = log.CountOf(getTrace);
  const std::uint32_t sets = log.CountOf(setTrace);
  value.SetVariant(CAppVariant(7));
  EXPECT_EQ(value.GetVariant(), CAppVariant(7));
  value.SetBitSize(9);
  EXPECT_EQ(value.GetBitSize(), 9u);
  EXPECT_EQ(log.CountOf(getTrace), gets);
  EXPECT_TRUE(value.GetVariant(0).IsEmpty());
  value.SetVariant(CAppVariant(8), 0);
  EXPECT_EQ(log.CountOf(getTrace), gets + 1);
  EXPECT_EQ(log.CountOf(setTrace), sets + 1);
  EXPECT_EQ(value.GetVariant(), CAppVariant(7));
  value.LoadDefault(false);  // a free value has no default
  EXPECT_EQ(value.GetVariant(), CAppVariant(7));

  CAppParamNumeric numeric;
  numeric.SetKey("N");
  const std::string numericTrace = "GetVariant not supported for class : CAppParamNumeric key: N";
  const std::uint32_t before = log.CountOf(numericTrace);
  EXPECT_TRUE(numeric.GetVariant(1).IsEmpty());
  EXPECT_EQ(log.CountOf(numericTrace), before + 1);
  EXPECT_EQ(numeric.GetBaseClassName(), "CAppParamValue");
  EXPECT_EQ(value.GetBaseClassName(), "CAppParam");
}

TEST(AppParamValue, Registration_ProfilesLinksAndIcons) {
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Value", "Param "), "CAPPPARAMVALUE");
  EXPECT_EQ(CAppDynamic::GetClassByAlias("Numeric", "Param "), "CAPPPARAMNUMERIC");
  const auto created = CAppDynamic::GetRegisterClass<CAppParamValue>("CAppParamNumeric");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->GetClassName(), "CAppParamNumeric");

  CAppResources res;
  res.Init();
  struct Row {
    const char* className;
    const char* displayName;
    const char* link;
  };
  for (const Row& row : {Row{"CAppParamValue", "Param Value", "String"},
                         Row{"CAppParamNumeric", "Param Numeric", "Numeric"}}) {
    SCOPED_TRACE(row.className);
    CAppParamGroup* profile = nullptr;
    ASSERT_TRUE(res.GetAt(row.className, profile));
    CAppParamGroup* link = nullptr;
    ASSERT_TRUE(profile->GetAt("SYS_LINK_0", link));
    EXPECT_EQ(link->GetName(), row.link);
    CAppParamValue* icon = nullptr;
    ASSERT_TRUE(profile->GetAt("SYS_ICON_VALUE", icon));
    EXPECT_EQ(icon->GetClassName(), "CAppParamValue");
    EXPECT_EQ(icon->GetName(), row.displayName);
    const auto& images = res.GetImageList();
    EXPECT_EQ(images.at(res.GetImageIndex(row.displayName, "")).resourceId, 13607u);
    EXPECT_EQ(images.at(res.GetImageIndex(row.displayName, "RO")).resourceId, 13613u);
    EXPECT_EQ(images.at(res.GetImageIndex(row.displayName, "EX")).resourceId, 13630u);
  }
  CAppParamValue* groupIcon = nullptr;
  ASSERT_TRUE(res.GetAt("CAppParamGroup\\SYS_ICON_VALUE", groupIcon));
  EXPECT_EQ(groupIcon->GetName(), "Param Group");
}
