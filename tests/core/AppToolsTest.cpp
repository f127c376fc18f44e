#include "appconfig/AppTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>

#include "TestSupport.h"

TEST(AppToolsFlags, IsFlagsEnableNeedsEveryBitOfTheMask) {
  CAppTools::Flags flags(PF_HIDDEN);
  EXPECT_TRUE(flags.IsFlagsEnable(0));
  EXPECT_TRUE(CAppTools::Flags().IsFlagsEnable(0));
  EXPECT_TRUE(flags.IsFlagsEnable(PF_HIDDEN));
  EXPECT_FALSE(flags.IsFlagsEnable(PF_HIDDEN | PF_READONLY));
}

TEST(AppToolsFlags, ModifyFlagsClearsBeforeSetting) {
  CAppTools::Flags flags(PF_READONLY | PF_NO_DATA);
  flags.ModifyFlags(PF_READONLY, PF_READONLY);
  EXPECT_EQ(static_cast<std::uint32_t>(flags), PF_READONLY | PF_NO_DATA);
  flags.ModifyFlags(PF_NO_DATA, PF_MOTOROLA);
  EXPECT_EQ(static_cast<std::uint32_t>(flags), PF_READONLY | PF_MOTOROLA);
}

TEST(AppToolsType, NameTableGivesCodeSizeAndSign) {
  struct Row {
    const char* name;
    std::uint32_t code, bits;
    bool isSigned;
  };
  const Row rows[] = {{"I1", 16, 8, true},    {"UI1", 17, 8, false}, {"I2", 2, 16, true},
                      {"UI2", 18, 16, false}, {"I4", 3, 32, true},   {"UI4", 19, 32, false},
                      {"I8", 20, 64, true},   {"UI8", 21, 64, false}, {"R4", 4, 32, true},
                      {"R8", 5, 64, true}};
  for (const Row& row : rows) {
    CAppTools::Type type(row.name);
    EXPECT_EQ(type.GetCode(), row.code) << row.name;
    EXPECT_EQ(type.GetBitSize(), row.bits) << row.name;
    EXPECT_EQ(type.IsSigned(), row.isSigned) << row.name;
    EXPECT_EQ(CAppTools::VtToString(row.code), row.name);
  }
}

TEST(AppToolsType, NamesIgnoreCaseAndUnknownNamesThrow) {
  EXPECT_EQ(CAppTools::Type("i2").GetCode(), 2u);
  CAppTools::Type type;
  type = std::string("ui4");
  EXPECT_EQ(type.GetCode(), 19u);
  const CAppException e = CatchAppException([] { CAppTools::Type bad("I3"); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad Type :I3");
  EXPECT_EQ(e.GetPrgFile(), "AppTools");
  EXPECT_EQ(type.GetCode(), 19u);
  EXPECT_EQ(CatchAppException([] { CAppTools::VtToString(2049); }).GetMessage(), "Exception >Error");
}

TEST(AppToolsType, CodesOutsideTheNameTable) {
  EXPECT_EQ(CAppTools::Type(2049).GetBitSize(), 32u);
  EXPECT_EQ(CAppTools::Type(2052).GetBitSize(), 32u);
  EXPECT_FALSE(CAppTools::Type(2049).IsSigned());
  EXPECT_TRUE(CAppTools::Type(22).IsSigned());
  EXPECT_EQ(CAppTools::Type(23).GetBitSize(), 32u);
  EXPECT_EQ(CAppTools::Type(0x0800).GetBitSize(), 0u);
  EXPECT_EQ(CAppTools::Type(0x2802).GetBitSize(), 0u);
  // Only the low 12 bits count for the size: an array of UI1 has 8-bit elements.
  EXPECT_EQ(CAppTools::Type(0x2011).GetBitSize(), 8u);
}

TEST(AppToolsType, Masks) {
  EXPECT_EQ(CAppTools::Type("UI8").GetMask64(), ~std::uint64_t{0});
  EXPECT_EQ(CAppTools::Type("UI8").GetMask(), 0xFFFFFFFFu);
  EXPECT_EQ(CAppTools::Type("I2").GetMask(), 0xFFFFu);
  EXPECT_EQ(CAppTools::Type("I1").GetMask64(), 0xFFu);
  EXPECT_EQ(CAppTools::Type(0x0800).GetMask(), 0xFFFFFFFFu);
  EXPECT_EQ(CAppTools::Type(0x0800).GetMask64(), 0u);
}

TEST(AppToolsType, IntegerAssignmentAndConversion) {
  CAppTools::Type type;
  type = static_cast<std::int16_t>(-1);
  EXPECT_EQ(type.GetCode(), 0xFFFFFFFFu);
  type = static_cast<std::uint16_t>(0xFFFF);
  EXPECT_EQ(type.GetCode(), 0xFFFFu);
  type = 0x12345u;
  EXPECT_EQ(static_cast<std::uint16_t>(type), 0x2345u);
}

TEST(AppToolsStrings, LoadStringFindsTheFrenchTexts) {
  EXPECT_EQ(CAppTools::LoadString(13690), "Erreur: ");
  EXPECT_EQ(CAppTools::LoadString(13693), "Fichier %s. ");
  EXPECT_EQ(CAppTools::LoadString(13686),
            "Lecture du paramètre %s dans %s (%s) mais le paramètre n'a pas été trouvé.");
  EXPECT_EQ(CAppTools::LoadString(1), "");
  for (unsigned id = 13676; id <= 13694; ++id) {
    EXPECT_FALSE(CAppTools::LoadString(id).empty()) << id;
  }
}

TEST(AppToolsStrings, MakeUpperHandlesAsciiAndLatin1) {
  EXPECT_EQ(CAppTools::MakeUpper("abc_Def9"), "ABC_DEF9");
  EXPECT_EQ(CAppTools::MakeUpper("clé"), "CLÉ");
  EXPECT_EQ(CAppTools::MakeUpper("÷"), "÷");
}

TEST(AppToolsPaths, KeyToPathsSplitsRuns) {
  std::vector<std::string> steps;
  std::string path = "A.B\\X";
  CAppTools::KeyToPaths(steps, path);
  EXPECT_EQ(path, "X");
  EXPECT_EQ(steps, (std::vector<std::string>{"A", ".", "B"}));

  path = "\\..\\\\Grp\\";
  CAppTools::KeyToPaths(steps, path);
  EXPECT_EQ(path, "");
  EXPECT_EQ(steps, (std::vector<std::string>{"\\", "..", "\\\\", "Grp"}));

  path = "Key";
  CAppTools::KeyToPaths(steps, path);
  EXPECT_EQ(path, "Key");
  EXPECT_TRUE(steps.empty());
}

TEST(AppToolsMaps, MapStringToRefIgnoresCaseAndRefusesDuplicates) {
  CAppTools::MapStringToRef map;
  map.SetRef("Alpha", 7);
  std::uint32_t ref = 0;
  EXPECT_TRUE(map.GetRef("ALPHA", ref));
  EXPECT_EQ(ref, 7u);
  EXPECT_FALSE(map.GetRef("Beta", ref));
  EXPECT_EQ(CatchAppException([&] { map.SetRef("alpha", 8); }).GetMessage(), "Exception >Key Error");
  EXPECT_EQ(map.GetCount(), 1u);
}

TEST(AppToolsMaps, MapStringToIndexIsDenseAndExact) {
  CAppTools::MapStringToIndex map;
  EXPECT_EQ(map.GetIndex("a", true), 0u);
  EXPECT_EQ(map.GetIndex("A", true), 1u);
  EXPECT_EQ(map.GetIndex("a", true), 0u);
  EXPECT_EQ(map.GetIndex("b", false), CAppTools::MapStringToIndex::npos);
  EXPECT_EQ(map.GetString(1), "A");
  EXPECT_THROW(map.GetString(2), CAppException);
}

// --- Number parsing ---------------------------------------------------------

namespace {

constexpr std::uint32_t kAll = 0xFFFFFFFFu;
constexpr std::uint32_t kBin = CAppTools::BASE_BIN;
constexpr std::uint32_t kOct = CAppTools::BASE_OCT;
constexpr std::uint32_t kDec = CAppTools::BASE_DEC;
constexpr std::uint32_t kHex = CAppTools::BASE_HEX;

struct ParseRow {
  const char* text;
  bool isSigned;
  std::uint32_t bases;
  std::optional<std::uint32_t> dword;  // nullopt: StringToDwordThrow fails
  std::optional<std::uint64_t> int64;  // nullopt: StringToInt64 fails
};

const ParseRow kParseRows[] = {
    // Prefixes with every base allowed.
    {"0x1F", false, kAll, 31, 31},
    {"0X1f", false, kAll, 31, 31},
    {"017", false, kAll, 15, 15},
    {"B101", false, kAll, 5, 5},
    {"b101", false, kAll, 5, 5},
    {"+12", false, kAll, 12, 12},
    {"-12", false, kAll, 0xFFFFFFF4u, 0xFFFFFFFFFFFFFFF4u},
    {"0", false, kAll, 0, 0},
    {"  42", false, kAll, 42, 42},
    {"\t\r\n7", false, kAll, 7, 7},
    // Without a prefix, text is decimal when decimal is allowed.
    {"F F", false, kAll, std::nullopt, std::nullopt},
    {"09", false, kAll, std::nullopt, std::nullopt},
    {"B2", false, kAll, std::nullopt, std::nullopt},
    {"-0x10", false, kAll, std::nullopt, std::nullopt},
    {"0x1G", false, kAll, std::nullopt, std::nullopt},
    {"1.5", false, kAll, std::nullopt, std::nullopt},
    {"\xC3\xA9", false, kAll, std::nullopt, std::nullopt},
    // A single base needs no prefix.
    {"1F", false, kHex, 31, 31},
    {"0x1F", false, kHex, 31, 31},
    {"B", false, kHex, 11, 11},
    {"1010 0101", false, kBin, 165, 165},
    {"0101", false, kBin, 5, 5},
    {"777", false, kOct, 511, 511},
    {"-5", false, kHex, std::nullopt, std::nullopt},
    // Several bases without decimal need a prefix.
    {"12", false, kBin | kHex, std::nullopt, std::nullopt},
    {"0x10", false, kBin | kHex, 16, 16},
    {"B11", false, kBin | kHex, 3, 3},
    {"12", false, 0, std::nullopt, std::nullopt},
    // Without octal, a leading 0 is just a digit.
    {"017", false, kDec | kHex, 17, 17},
    {"09", false, kDec, 9, 9},
    {"00", false, kDec, 0, 0},
    // Digit groups: bases 2 and 16 only.
    {"0x DEAD BEEF", false, kAll, 0xDEADBEEFu, 0xDEADBEEFu},
    {"1F ", false, kHex, 31, 31},
    {"B1 0000", false, kAll, 16, 16},
    {"4 2", false, kDec, std::nullopt, std::nullopt},
    {"42 ", false, kDec, std::nullopt, std::nullopt},
    {"01 7", false, kAll, std::nullopt, std::nullopt},
    // Widths: 32/64 bits, 31/63 for signed decimal.
    {"4294967295", false, kDec, 0xFFFFFFFFu, 0xFFFFFFFFu},
    {"4294967296", false, kDec, std::nullopt, 0x100000000u},
    {"2147483647", true, kDec, 0x7FFFFFFFu, 0x7FFFFFFFu},
    {"2147483648", true, kDec, std::nullopt, 0x80000000u},
    {"-2147483648", true, kDec, std::nullopt, 0xFFFFFFFF80000000u},
    {"FFFFFFFF", true, kHex, 0xFFFFFFFFu, 0xFFFFFFFFu},
    {"1 0000 0000", false, kHex, std::nullopt, 0x100000000u},
    {"9223372036854775807", true, kDec, std::nullopt, 0x7FFFFFFFFFFFFFFFu},
    {"9223372036854775808", true, kDec, std::nullopt, std::nullopt},
    {"18446744073709551615", false, kDec, std::nullopt, 0xFFFFFFFFFFFFFFFFu},
    {"18446744073709551616", false, kDec, std::nullopt, std::nullopt},
    // At least one digit.
    {"", false, kAll, std::nullopt, std::nullopt},
    {"   ", false, kAll, std::nullopt, std::nullopt},
    {"0x", false, kAll, std::nullopt, std::nullopt},
    {"-", false, kAll, std::nullopt, std::nullopt},
    {"B", false, kAll, std::nullopt, std::nullopt},
    {"B ", false, kAll, std::nullopt, std::nullopt},
};

std::string Describe(const ParseRow& row) {
  return std::string("\"") + row.text + "\" signed=" + (row.isSigned ? "1" : "0") +
         " bases=" + std::to_string(row.bases);
}

}  // namespace

TEST(AppToolsParse, StringToDwordThrow_Table) {
  for (const ParseRow& row : kParseRows) {
    if (row.dword.has_value()) {
      std::uint32_t value = 0;
      EXPECT_NO_THROW(value = CAppTools::StringToDwordThrow(row.text, row.isSigned, row.bases))
          << Describe(row);
      EXPECT_EQ(value, *row.dword) << Describe(row);
    } else {
      const CAppException e =
          CatchAppException([&] { CAppTools::StringToDwordThrow(row.text, row.isSigned, row.bases); });
      EXPECT_EQ(e.GetMessage(), "") << Describe(row);
      EXPECT_EQ(e.GetPrgFile(), "AppTools") << Describe(row);
    }
  }
}

TEST(AppToolsParse, StringToInt64_Table) {
  for (const ParseRow& row : kParseRows) {
    if (row.int64.has_value()) {
      std::uint64_t value = 0;
      EXPECT_NO_THROW(value = CAppTools::StringToInt64(row.text, row.isSigned, row.bases)) << Describe(row);
      EXPECT_EQ(value, *row.int64) << Describe(row);
    } else {
      EXPECT_EQ(CatchAppException([&] { CAppTools::StringToInt64(row.text, row.isSigned, row.bases); })
                    .GetMessage(),
                "")
          << Describe(row);
    }
  }
}

TEST(AppToolsParse, StringToDword_FailureIsSoftErrorAndZero) {
  CapturedOutput output;
  EXPECT_EQ(CAppTools::StringToDword("0x10", false, kAll), 16u);
  EXPECT_TRUE(output.lines.empty());
  EXPECT_EQ(CAppTools::StringToDword("  ", false, kAll), 0u);
  EXPECT_EQ(CAppTools::StringToDword("12", true, kBin | kHex), 0u);
  ASSERT_EQ(output.lines.size(), 2u);
  EXPECT_EQ(output.lines[0], "Erreur: Essai de convertir une chaine vide en un mot 32 bits.");
}

TEST(AppToolsParse, NullTextIsBadPointer) {
  for (const auto& call : std::vector<std::function<void()>>{
           [] { CAppTools::StringToDwordThrow(nullptr, false, kAll); },
           [] { CAppTools::StringToInt64(nullptr, false, kAll); },
           [] { CAppTools::StringToDword(nullptr, false, kAll); },
       }) {
    const CAppException e = CatchAppException(call);
    EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
    EXPECT_EQ(e.GetPrgFile(), "AppTools");
  }
}

TEST(AppToolsParse, Comparisons_SignedAndUnsigned) {
  const std::uint64_t minusOne = ~std::uint64_t{0};
  EXPECT_TRUE(CAppTools::IsSuperiorTo(minusOne, 1, false));
  EXPECT_FALSE(CAppTools::IsSuperiorTo(minusOne, 1, true));
  EXPECT_TRUE(CAppTools::IsInferiorTo(minusOne, 1, true));
  EXPECT_FALSE(CAppTools::IsInferiorTo(minusOne, 1, false));
  EXPECT_FALSE(CAppTools::IsSuperiorTo(5, 5, true));
  EXPECT_FALSE(CAppTools::IsInferiorTo(5, 5, false));
}

TEST(AppToolsParse, AllignType_CutsAndSignExtends) {
  struct Row {
    std::uint32_t value;
    bool isSigned;
    std::uint32_t bits, expected;
  };
  const Row rows[] = {
      {300, false, 8, 44},           {300, true, 8, 44},
      {0xFF, true, 8, 0xFFFFFFFFu},  {0x80, true, 8, 0xFFFFFF80u},
      {0x7F, true, 8, 0x7F},         {40000, true, 16, 0xFFFF9C40u},  // -25536
      {0xFFFF, false, 16, 0xFFFF},   {0x12345678, true, 32, 0x12345678},
      {0xFFFFFFFFu, true, 64, 0xFFFFFFFFu}, {1, true, 1, 0xFFFFFFFFu},
      {5, false, 0, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CAppTools::AllignType(row.value, row.isSigned, row.bits), row.expected)
        << row.value << " signed=" << row.isSigned << " bits=" << row.bits;
  }
}

// --- Formatting -------------------------------------------------------------

TEST(AppToolsFormat, DwordToString_IntegerConversions) {
  EXPECT_EQ(CAppTools::DwordToString(0xBEEF, "%08lX"), "0000BEEF");
  EXPECT_EQ(CAppTools::DwordToString(0xFFFFFFFFu, "%d"), "-1");
  EXPECT_EQ(CAppTools::DwordToString(0xFFFFFFFFu, "%u"), "4294967295");
  EXPECT_EQ(CAppTools::DwordToString(255, "0x%I64x"), "0xff");
  EXPECT_EQ(CAppTools::DwordToString(8, "%#o"), "010");
  EXPECT_EQ(CAppTools::DwordToString(0x18000, "%hd"), "-32768");
  EXPECT_EQ(CAppTools::DwordToString(0x1FF, "%hhu"), "255");
  EXPECT_EQ(CAppTools::DwordToString(5, "%-4d|"), "5   |");
  EXPECT_EQ(CAppTools::DwordToString(5, "Val=%d%%"), "Val=5%");
  EXPECT_EQ(CAppTools::DwordToString(5, "100%%"), "100%");
}

TEST(AppToolsFormat, DwordToString_UnsafeFormatsThrow) {
  for (const char* format : {"%s", "%d %d", "%*d", "%f", "%", "%n", "%b"}) {
    const CAppException e = CatchAppException([&] { CAppTools::DwordToString(1, format); });
    EXPECT_EQ(e.GetMessage(), std::string("Exception >Bad format :") + format);
  }
  EXPECT_EQ(CatchAppException([] { CAppTools::DwordToString(1, nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}

TEST(AppToolsFormat, BinaryToString_GroupsOfFourFromTheRight) {
  EXPECT_EQ(CAppTools::BinaryToString(0), "0");
  EXPECT_EQ(CAppTools::BinaryToString(5), "101 ");
  EXPECT_EQ(CAppTools::BinaryToString(0x1F), "1 1111 ");
  EXPECT_EQ(CAppTools::BinaryToString(0x80000000u), "1000 0000 0000 0000 0000 0000 0000 0000 ");
  EXPECT_EQ(CAppTools::Binary64ToString(0), "0");
  EXPECT_EQ(CAppTools::Binary64ToString(std::uint64_t{1} << 32), "1 0000 0000 0000 0000 0000 0000 0000 0000 ");
  EXPECT_EQ(CAppTools::Binary64ToString(~std::uint64_t{0}).size(), 64u + 16u);
}

TEST(AppToolsFormat, Dump_EachByteThroughTheFormat) {
  EXPECT_EQ(CAppTools::Dump({0x01, 0xAB, 0x00}, "%02X "), "01 AB 00 ");
  EXPECT_EQ(CAppTools::Dump({}, "%02X "), "");
  EXPECT_EQ(CAppTools::Dump({200}, "%d,"), "200,");
}

TEST(AppToolsFormat, GetFormatBase_Table) {
  struct Row {
    const char* format;
    CAppTools::EN_BASE base;
  };
  const Row rows[] = {
      {"%08lX", CAppTools::BASE_HEX}, {"%#x", CAppTools::BASE_HEX}, {"%o", CAppTools::BASE_OCT},
      {"%d", CAppTools::BASE_DEC},    {"value", CAppTools::BASE_DEC}, {"%b", CAppTools::BASE_BIN},
      {"%B", CAppTools::BASE_BIN},    {"%.2f", CAppTools::BASE_FLOAT}, {"%e", CAppTools::BASE_FLOAT},
      {"%G", CAppTools::BASE_FLOAT},  {"%E", CAppTools::BASE_DEC},  {"%I64X", CAppTools::BASE_HEX},
      {"%", CAppTools::BASE_DEC},     {"%08", CAppTools::BASE_DEC}, {"%-x", CAppTools::BASE_DEC},
      {"0x%04X h", CAppTools::BASE_HEX},
  };
  for (const Row& row : rows) EXPECT_EQ(CAppTools::GetFormatBase(row.format), row.base) << row.format;
}

TEST(AppToolsFormat, FormatReturn_LineFeedsBecomeCrLf) {
  EXPECT_EQ(CAppTools::FormatReturn("a\nb\r\nc\r"), "a\r\nb\r\nc");
  EXPECT_EQ(CAppTools::FormatReturn("\n\n"), "\r\n\r\n");
  EXPECT_EQ(CAppTools::FormatReturn(""), "");
}

// --- Byte lists -------------------------------------------------------------

TEST(AppToolsGetData, HexAndDecimalLists) {
  std::vector<std::uint8_t> out{9};
  CAppTools::GetData(out, "01 FF,a0", kHex);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{9, 0x01, 0xFF, 0xA0}));
  out.clear();
  CAppTools::GetData(out, " 1,,255  0 ", kDec);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 255, 0}));
  out.clear();
  CAppTools::GetData(out, "", kHex);
  EXPECT_TRUE(out.empty());
}

TEST(AppToolsGetData, BadDigitOrByteThrowsAfterTheBytesBefore) {
  std::vector<std::uint8_t> out;
  CAppException e = CatchAppException([&] { CAppTools::GetData(out, "1, 2,0x3", kHex); });
  EXPECT_EQ(e.GetMessage(), "Exception >Error");
  EXPECT_EQ(e.GetPrgFile(), "AppTools");
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2}));

  out.clear();
  EXPECT_EQ(CatchAppException([&] { CAppTools::GetData(out, "100", kHex); }).GetMessage(), "Exception >Error");
  EXPECT_EQ(CatchAppException([&] { CAppTools::GetData(out, "256", kDec); }).GetMessage(), "Exception >Error");
  EXPECT_EQ(CatchAppException([&] { CAppTools::GetData(out, "1A", kDec); }).GetMessage(), "Exception >Error");
  EXPECT_EQ(CatchAppException([&] { CAppTools::GetData(out, "99999999999999999999", kDec); }).GetMessage(),
            "Exception >Error");
  EXPECT_TRUE(out.empty());
}

TEST(AppToolsGetData, OtherBaseIsSoftErrorAndAppendsNothing) {
  CapturedOutput output;
  std::vector<std::uint8_t> out;
  CAppTools::GetData(out, "1 2", kBin);
  CAppTools::GetData(out, "1 2", kDec | kHex);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(output.lines.size(), 2u);
  EXPECT_EQ(output.lines[0], "Erreur: Mauvaise base 1 entrée dans CAppTools::GetData.");
  EXPECT_EQ(output.lines[1], "Erreur: Mauvaise base 12 entrée dans CAppTools::GetData.");
}

// --- Keys and addresses -----------------------------------------------------

TEST(AppToolsKeys, GetRootKey_StripsAutoIndexSuffix) {
  const std::pair<const char*, const char*> rows[] = {
      {"Item_12", "Item"}, {"Item12", "Item12"}, {"Item_", "Item"}, {"_12", "_12"},
      {"A_B_3", "A_B"},    {"", ""},             {"7", "7"},        {"x_1_", "x_1"},
  };
  for (const auto& [key, root] : rows) EXPECT_EQ(CAppTools::GetRootKey(key), root) << key;
}

TEST(AppToolsKeys, IPStringToDword_FirstPartInLowestByte) {
  std::uint32_t value = 0;
  CAppTools::IPStringToDword("192.168.1.2", value);
  EXPECT_EQ(value, 0x0201A8C0u);
  CAppTools::IPStringToDword("10.0.0", value);
  EXPECT_EQ(value, 10u);
  CAppTools::IPStringToDword(" 1. +2.x.4", value);
  EXPECT_EQ(value, 0x04000201u);
  // Only the first 16 characters are read, so the fourth part is 1234; its
  // high bits fall off the 32-bit sum.
  CAppTools::IPStringToDword("255.255.255.123456", value);
  EXPECT_EQ(value, 0xD2FFFFFFu);
  CAppTools::IPStringToDword("99999999999999999999", value);
  EXPECT_EQ(value, 0x7FFFFFFFu);
  EXPECT_EQ(CatchAppException([&] { CAppTools::IPStringToDword(nullptr, value); }).GetMessage(),
            "Exception >Bad pointer");
}
