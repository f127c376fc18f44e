#include "appconfig/AppParamValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FieldRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamDefStruct.h"
#include "appconfig/AppParamNumeric.h"

using Strings = std::vector<std::string>;

// Round trips of every class run in the XML and binary file suites.
TEST(AppParamValue, Serialize_FieldOrder) {
  CAppParamValue value;
  CAppParamNumeric numeric;
  FieldRecord record, numericRecord;
  value.Serialize(&record);
  numeric.Serialize(&numericRecord);
  Strings names = {"Key", "Name", "Help", "Flags", "Alias", "Value", "MaxSize", "BitSize"};
  EXPECT_EQ(record.Names(), names);
  names.insert(names.end(), {"Base", "Unit", "Max", "Min", "Default", "Type"});
  EXPECT_EQ(numericRecord.Names(), names);
  std::vector<std::uint32_t> types;
  for (std::size_t i = 5; i < 14; ++i) types.push_back(numericRecord.fields[i].type);
  using R = CAppRecord;
  EXPECT_EQ(types, (std::vector<std::uint32_t>{R::FT_VARIANT, R::FT_UI4, R::FT_UI4, R::FT_UI4,
                                               R::FT_STRING, R::FT_VARIANT, R::FT_VARIANT,
                                               R::FT_VARIANT, R::FT_TYPE}));
  EXPECT_THROW(value.Serialize(nullptr), CAppException);
}

// Each class answers only the value and bit-size slots it overrides; the
// others leave a "not supported" trace (and an unsupported value is empty).
TEST(AppParamTypes, Slots_UnsupportedOperationsTrace) {
  struct Row { const char* cls; std::uint32_t gets, bits; };  // bits: each bit-size slot
  const Row rows[] = {
      {"CAppParam", 2, 1},           {"CAppParamValue", 1, 0},   {"CAppParamNumeric", 1, 0},
      {"CAppParamEnumSingle", 1, 0}, {"CAppParamEnumMulti", 1, 1}, {"CAppParamArray", 2, 0},
      {"CAppParamAddress", 2, 0},    {"CAppParamStruct", 2, 0},  {"CAppParamMail", 2, 0},
  };
  CapturedOutput out;  // soft errors of the indexed calls
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cls);
    std::unique_ptr<CAppParam> p = CAppDynamic::GetRegisterClass<CAppParam>(row.cls);
    ASSERT_NE(p, nullptr);
    p->SetKey("K");
    const std::string tail = std::string(" not supported for class : ") + row.cls + " key: K";
    const auto counts = [&](std::uint32_t gets, std::uint32_t bits) {
      return std::vector<std::uint32_t>{
          log.CountOf("GetVariant" + tail) + gets, log.CountOf("SetVariant" + tail) + gets,
          log.CountOf("GetBitSize" + tail) + bits, log.CountOf("SetBitSize" + tail) + bits};
    };
    const std::vector<std::uint32_t> expected = counts(row.gets, row.bits);
    const bool empty = p->GetVariant().IsEmpty();
    p->GetVariant(0);
    p->SetVariant(CAppVariant(std::uint32_t{1}));
    p->SetVariant(CAppVariant(std::uint32_t{1}), 0);
    p->SetBitSize(p->GetBitSize());
    EXPECT_EQ(counts(0, 0), expected);
    if (row.gets == 2) {
      EXPECT_TRUE(empty);
    }
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
