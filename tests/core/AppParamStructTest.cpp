#include "appconfig/AppParamStruct.h"

#include <gtest/gtest.h>

#include <tuple>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppParamMail.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Poke(CAppParamArray& param, std::size_t offset, const Bytes& bytes) {
  Bytes data = DataOf(param);
  std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(offset));
  param.SetData(data);
}

// A text, a signed byte, three signed words and a 64-bit pair.
const CAppParamStruct::ST_STRUCTDESC kProbeFields[] = {
    {"label", 0, CAppParamStruct::kTypeText, 1},
    {"n", 8, CAppVariant::VT_I1, 1},
    {"words", 9, CAppVariant::VT_I2 | 8192, 3},
    {"big", 15, CAppVariant::VT_I8, 2},
};

}  // namespace

TEST(AppParamStruct, GetField_ByType) {
  CAppParamStruct probe;
  probe.DeclareStructure(kProbeFields, 4, 17);
  Poke(probe, 0, {'a', 'b', 'c', 0, 'z', 0, 0, 0, 0x80, 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(probe.GetField(0).GetStringRef(), "abc");
  EXPECT_EQ(probe.GetField(1), Typed(CAppVariant::VT_I1, -128));
  EXPECT_TRUE(probe.GetField(2).IsEmpty());  // an array field
  Bytes out;
  probe.GetField(2, out);  // three 2-byte elements
  EXPECT_EQ(out, (Bytes{1, 2, 3, 4, 5, 6}));

  // A text without its zero stops at 100 characters, or at the data's end.
  Bytes letters(120, 'x');
  probe.SetData(letters);
  EXPECT_EQ(probe.GetField(0).GetStringRef(), std::string(100, 'x'));
}

TEST(AppParamStruct, GetField_OutsideTheDataOrTable) {
  CAppParamStruct probe;
  probe.DeclareStructure(kProbeFields, 4, 17);
  Bytes few{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // SetData may shrink under the table
  probe.SetData(few);
  EXPECT_TRUE(probe.GetField(2).IsEmpty());
  Bytes out{42};
  probe.GetField(2, out);
  EXPECT_TRUE(out.empty());
  const CAppException e = CatchAppException([&] { probe.GetField(4); });
  EXPECT_EQ(e.GetMessage() + " " + e.GetPrgFile(), "Exception >Bad pointer AppParamStruct");
  CAppParamStruct bare;
  EXPECT_EQ(CatchAppException([&] { bare.GetFieldName(0); }).GetMessage(),
            "Exception >Bad pointer");
}

TEST(AppParamMail, Layout_TwentyOneFieldsOverAZeroedBlock) {
  using Row = std::tuple<std::string, unsigned, unsigned, unsigned>;
  const std::vector<Row> expected = {
      {"codef", 0, 18, 1},           {"status", 2, 2, 1},       {"ticuser_root", 4, 18, 1},
      {"piduser", 6, 19, 1},         {"mode", 10, 18, 1},       {"time", 12, 18, 1},
      {"stop", 14, 18, 1},           {"nfonc", 16, 18, 1},      {"ncard", 18, 18, 1},
      {"nchan", 20, 18, 1},          {"nes", 22, 18, 1},        {"nb", 24, 18, 1},
      {"typvar", 26, 18, 1},         {"adr", 28, 19, 1},        {"ticuser_dispcyc", 32, 18, 1},
      {"ticuser_protocol", 34, 18, 1}, {"user_threadID", 36, 19, 1}, {"dispcyc_version", 40, 18, 1},
      {"DifUserParam", 42, 19, 1},   {"filler", 46, 18, 1},     {"data", 48, 8209, 1536},
  };
  CAppParamMail mail;
  ASSERT_EQ(mail.GetFieldCount(), expected.size());
  for (unsigned i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Row(mail.GetFieldName(i), mail.GetFieldOffset(i), mail.GetFieldType(i),
                  mail.GetFieldSize(i)), expected[i]) << i;
  }
  EXPECT_EQ(DataOf(mail), Bytes(1584, 0));
}

TEST(AppParamMail, GetField_LittleEndianAndUnaligned) {
  CAppParamMail mail;
  Poke(mail, 0, {0x34, 0x12, 0xFE, 0xFF});
  Poke(mail, 42, {0x01, 0x00, 0x00, 0x80});
  EXPECT_EQ(mail.GetField(0), Typed(CAppVariant::VT_UI2, 0x1234));
  EXPECT_EQ(mail.GetFmtValue(), "Codef : 4660");
  EXPECT_EQ(mail.GetField(1).GetInt64(), -2);
  EXPECT_EQ(mail.GetField(18).GetUInt64(), 0x80000001u);
  Bytes one{7};
  mail.SetData(one);
  EXPECT_EQ(mail.GetFmtValue(), "Codef : ");  // too short for the code
}

TEST(AppParamMail, SetField_WritesOnlyItsBytes) {
  CAppParamMail mail;
  mail.SetField(3, CAppVariant(std::uint32_t{0x12345678}));
  mail.SetField(1, CAppVariant(std::int32_t{-2}));
  mail.SetField(13, CAppVariant("0xA0B0C0D0"));
  CAppParamMail expected;
  Poke(expected, 2, {0xFE, 0xFF, 0, 0, 0x78, 0x56, 0x34, 0x12});
  Poke(expected, 28, {0xD0, 0xC0, 0xB0, 0xA0});
  EXPECT_EQ(DataOf(mail), DataOf(expected));

  EXPECT_EQ(CatchAppException([&] { mail.SetField(0, CAppVariant(std::int32_t{70000})); })
                .GetMessage(),
            "Exception >CAppVariant : can't make this kind of convertion");
  const CAppException area = CatchAppException([&] { mail.SetField(20, CAppVariant(1)); });
  EXPECT_EQ(area.GetMessage() + " " + area.GetPrgFile(), "Exception >Invalid Data AppParamStruct");
  EXPECT_EQ(DataOf(mail), DataOf(expected));
  Bytes shortData{1, 2};
  mail.SetData(shortData);
  EXPECT_EQ(CatchAppException([&] { mail.SetField(3, CAppVariant(1)); }).GetMessage(),
            "Exception >Invalid Data");
  EXPECT_EQ(DataOf(mail), shortData);
}

