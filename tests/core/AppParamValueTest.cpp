#include "appconfig/AppParamValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FieldRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamDefStruct.h"

// The limit is for the edit controls only: a longer value passes the check.
TEST(AppParamValue, GetTextLimit_DoesNotBindTheCheck) {
  CAppParamValue p("Nom");
  p.SetMaxSize(12);
  EXPECT_EQ(p.GetTextLimit(), 12u);
  p.SetVariant(CAppVariant(std::string(40, 'x')));
  EXPECT_NO_THROW(p.Check());
}

TEST(AppParamValue, Serialize_FieldOrder) {
  CAppParamValue source;
  FieldRecord record;
  source.Serialize(&record);
  EXPECT_EQ(record.Names(), (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias",
                                                      "Value", "MaxSize", "BitSize"}));
  EXPECT_EQ((std::vector<std::uint32_t>{record.fields[5].type, record.fields[6].type,
                                        record.fields[7].type}),
            (std::vector<std::uint32_t>{CAppRecord::FT_VARIANT, CAppRecord::FT_UI4,
                                        CAppRecord::FT_UI4}));
  EXPECT_THROW(source.Serialize(nullptr), CAppException);
}

// Each typed class answers only the value and bit-size slots it overrides;
// the others leave a "not supported" trace.
TEST(AppParamTypes, Slots_UnsupportedOperationsTrace) {
  struct Row { const char* cls; std::uint32_t gets, bits; };  // bits: each bit-size slot
  const Row rows[] = {
      {"CAppParamValue", 1, 0},      {"CAppParamNumeric", 1, 0}, {"CAppParamEnumSingle", 1, 0},
      {"CAppParamEnumMulti", 1, 1},  {"CAppParamArray", 2, 0},   {"CAppParamAddress", 2, 0},
      {"CAppParamStruct", 2, 0},     {"CAppParamMail", 2, 0},
  };
  CapturedOutput out;  // soft errors of the indexed calls
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    std::unique_ptr<CAppParam> p = CAppDynamic::GetRegisterClass<CAppParam>(row.cls);
    ASSERT_NE(p, nullptr);
    p->SetKey("K");
    const std::string tail = std::string(" not supported for class : ") + row.cls + " key: K";
    const auto counts = [&] {
      std::vector<std::uint32_t> n;
      for (const char* op : {"GetVariant", "SetVariant", "GetBitSize", "SetBitSize"}) {
        n.push_back(log.CountOf(op + tail));
      }
      return n;
    };
    std::vector<std::uint32_t> expected = counts();
    p->GetVariant();
    p->GetVariant(0);
    p->SetVariant(CAppVariant(std::uint32_t{1}));
    p->SetVariant(CAppVariant(std::uint32_t{1}), 0);
    p->SetBitSize(p->GetBitSize());
    for (std::size_t i = 0; i < 4; ++i) expected[i] += i < 2 ? row.gets : row.bits;
    EXPECT_EQ(counts(), expected);
  }
}

// Alias and class index of every typed class.
TEST(AppParamTypes, Registration_AliasesAndIndexes) {
  struct Row { const char* alias; const char* cls; unsigned index; };
  const Row rows[] = {
      {"Value", "CAppParamValue", 4},         {"Numeric", "CAppParamNumeric", 3},
      {"EnumSingle", "CAppParamEnumSingle", 5}, {"EnumMulti", "CAppParamEnumMulti", 7},
      {"Array", "CAppParamArray", 6},         {"Address", "CAppParamAddress", 11},
      {"Fields", "CAppParamStruct", 9},       {"Mail", "CAppParamMail", 10},
      {"STRUCT", "CAppParamDefStruct", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CAppDynamic::GetClassByAlias(row.alias, "Param "), CAppTools::MakeUpper(row.cls));
    std::unique_ptr<CAppParam> p = CAppDynamic::GetRegisterClass<CAppParam>(row.cls);
    ASSERT_NE(p, nullptr) << row.cls;
    EXPECT_EQ(CAppDynamic::GetClassIndex(p.get()), row.index) << row.cls;
  }
  EXPECT_EQ(CAppDynamic::GetAliasByClass("CAppParamStruct"), "PARAM FIELDS");
  EXPECT_EQ(CatchAppException([] { CAppParamDefStruct::_ResourcesInit(nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}
