#include "appconfig/AppParamValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FieldRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamDefStruct.h"
#include "appconfig/AppResources.h"

TEST(AppParamValue, GetTextLimit_ZeroMeansDefault) {
  CAppParamValue p("Nom");
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

// Each typed class answers only the value and bit-size slots it overrides;
// the others leave a "not supported" trace.
TEST(AppParamTypes, Slots_UnsupportedOperationsTrace) {
  struct Row { const char* cls; std::uint32_t gets, sets, bitGets, bitSets; };
  const Row rows[] = {
      {"CAppParamValue", 1, 1, 0, 0},      {"CAppParamNumeric", 1, 1, 0, 0},
      {"CAppParamEnumSingle", 1, 1, 0, 0}, {"CAppParamEnumMulti", 1, 1, 1, 1},
      {"CAppParamArray", 2, 2, 0, 0},      {"CAppParamAddress", 2, 2, 0, 0},
      {"CAppParamStruct", 2, 2, 0, 0},     {"CAppParamMail", 2, 2, 0, 0},
  };
  CapturedOutput out;  // soft errors of the indexed calls
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    std::unique_ptr<CAppParam> p = CAppDynamic::GetRegisterClass<CAppParam>(row.cls);
    ASSERT_NE(p, nullptr);
    p->SetKey("K");
    const std::string tail = std::string(" not supported for class : ") + row.cls + " key: K";
    const auto count = [&](const char* op) { return log.CountOf(op + tail); };
    const std::uint32_t before[] = {count("GetVariant"), count("SetVariant"), count("GetBitSize"),
                                    count("SetBitSize")};
    p->GetVariant();
    p->GetVariant(0);
    p->SetVariant(CAppVariant(std::uint32_t{1}));
    p->SetVariant(CAppVariant(std::uint32_t{1}), 0);
    p->SetBitSize(p->GetBitSize());
    EXPECT_EQ(count("GetVariant") - before[0], row.gets);
    EXPECT_EQ(count("SetVariant") - before[1], row.sets);
    EXPECT_EQ(count("GetBitSize") - before[2], row.bitGets);
    EXPECT_EQ(count("SetBitSize") - before[3], row.bitSets);
  }
}

// Alias, base class, class index, profile link and icon of every typed class.
TEST(AppParamTypes, Registration_AliasesIndexesProfilesAndIcons) {
  // link: "" when the profile has none; icons of "Param <alias>": plain, RO, EX (0: unchecked).
  struct Row { const char* alias; const char* cls; const char* base; unsigned index;
               const char* link; unsigned icons[3]; };
  const Row rows[] = {
      {"Value", "CAppParamValue", "CAppParam", 4, "String", {13607, 13613, 13630}},
      {"Numeric", "CAppParamNumeric", "CAppParamValue", 3, "Numeric", {13607, 13613, 13630}},
      {"EnumSingle", "CAppParamEnumSingle", "CAppParam", 5, "EnumSingle", {13607, 13613, 13630}},
      {"EnumMulti", "CAppParamEnumMulti", "CAppParam", 7, "EnumMulti", {13607, 13613, 13630}},
      {"Array", "CAppParamArray", "CAppParam", 6, "Array", {13607, 13613, 13630}},
      {"Address", "CAppParamAddress", "CAppParamArray", 11, "Address", {13607, 13613, 13630}},
      {"Fields", "CAppParamStruct", "CAppParamArray", 9, "", {13577}},  // the default icon
      {"Mail", "CAppParamMail", "CAppParamStruct", 10, "Mail", {13577}},
      {"STRUCT", "CAppParamDefStruct", "CAppParam", 0, "STRUCT__", {13580, 13581}},
  };
  CAppResources res;
  res.Init();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    const std::string cls = row.cls, display = std::string("Param ") + row.alias;
    EXPECT_EQ(CAppDynamic::GetClassByAlias(row.alias, "Param "), CAppTools::MakeUpper(cls));
    std::unique_ptr<CAppParam> p = CAppDynamic::GetRegisterClass<CAppParam>(cls);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetClassName() + "<" + p->GetBaseClassName(), cls + "<" + row.base);
    EXPECT_EQ(CAppDynamic::GetClassIndex(p.get()), row.index);
    EXPECT_EQ(res.FindProfile(p.get()), res.FindChild(cls));
    std::string link, icon;
    EXPECT_EQ(res.FindName(cls + "\\SYS_LINK_0", link), *row.link != '\0');
    EXPECT_EQ(link, row.link);
    res.FindName(cls + "\\SYS_ICON_VALUE", icon);
    EXPECT_EQ(icon, *row.link != '\0' ? display : "");  // a profile without link has no icon
    const char* variants[] = {"", "RO", "EX"};
    for (int i = 0; i < 3; ++i) {
      if (row.icons[i] == 0) continue;
      EXPECT_EQ(res.GetImageList().at(res.GetImageIndex(display, variants[i])).resourceId,
                row.icons[i]) << variants[i];
    }
  }
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamStruct"), "PARAM FIELDS");
  EXPECT_EQ(CatchAppException([] { CAppParamDefStruct::_ResourcesInit(nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}
