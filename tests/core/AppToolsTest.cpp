#include "appconfig/AppTools.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "TestSupport.h"
#include "core/AppEmbeddedDocuments.h"

namespace {

constexpr std::uint32_t kAll = 0xFFFFFFFFu, kBin = CAppTools::BASE_BIN, kOct = CAppTools::BASE_OCT;
constexpr std::uint32_t kDec = CAppTools::BASE_DEC, kHex = CAppTools::BASE_HEX, kFlt = CAppTools::BASE_FLOAT;
constexpr std::nullopt_t kNo = std::nullopt;

template <class F>
std::string Thrown(F&& statement) {
  return CatchAppException(std::forward<F>(statement)).GetMessage();
}

// The message, "|" and the source file of the throw.
template <class F>
std::string ThrownAt(F&& statement) {
  const CAppException e = CatchAppException(std::forward<F>(statement));
  return e.GetMessage() + "|" + e.GetPrgFile();
}

std::uint32_t Ip(const char* text) {
  std::uint32_t value = 0;
  CAppTools::IPStringToDword(text, value);
  return value;
}

// The steps found, then "|" and what is left of the path.
std::vector<std::string> Split(std::string path) {
  std::vector<std::string> steps{"stale"};
  CAppTools::KeyToPaths(steps, path);
  steps.push_back("|" + path);
  return steps;
}

// Each row is (what the call gave, what it must give).
template <class T, std::size_t N>
void ExpectRows(const std::pair<T, T> (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

}  // namespace

TEST(AppToolsFlags, EnableNeedsEveryBitAndModifyClearsFirst) {
  CAppTools::Flags flags(PF_READONLY | PF_NO_DATA);
  EXPECT_TRUE(flags.IsFlagsEnable(0));
  EXPECT_FALSE(flags.IsFlagsEnable(PF_HIDDEN | PF_READONLY));
  flags.ModifyFlags(PF_NO_DATA, PF_MOTOROLA);
  EXPECT_EQ(static_cast<std::uint32_t>(flags), PF_READONLY | PF_MOTOROLA);
}

TEST(AppToolsType, NameTableGivesCodeSizeAndSign) {
  struct Row { const char* name; std::uint32_t code, bits; bool isSigned; };
  const Row rows[] = {{"I1", 16, 8, true}, {"UI1", 17, 8, false}, {"I2", 2, 16, true}, {"UI2", 18, 16, false},
                      {"I4", 3, 32, true}, {"UI4", 19, 32, false}, {"I8", 20, 64, true}, {"UI8", 21, 64, false},
                      {"R4", 4, 32, true}, {"R8", 5, 64, true}};
  for (const Row& row : rows) {
    const CAppTools::Type type(row.name);
    EXPECT_EQ(std::tuple(type.GetCode(), type.GetBitSize(), type.IsSigned(), CAppTools::VtToString(row.code)),
              std::tuple(row.code, row.bits, row.isSigned, std::string(row.name)));
  }
  // Only the low 12 bits count for the size: an array of UI1 has 8-bit elements.
  const std::pair<std::uint64_t, std::uint64_t> sizes[] = {{CAppTools::Type(0x2011).GetBitSize(), 8},
      {CAppTools::Type(0x0800).GetMask64(), 0}, {CAppTools::Type("UI8").GetMask64(), ~std::uint64_t{0}}};
  ExpectRows(sizes);
  EXPECT_EQ(ThrownAt([] { CAppTools::Type bad("I3"); }), "Exception >Bad Type :I3|AppTools");
  EXPECT_EQ(Thrown([] { CAppTools::VtToString(2049); }), "Exception >Error");
}

TEST(AppToolsText, Table) {
  const std::pair<std::string, std::string> rows[] = {
      {CAppTools::LoadString(13693), "Fichier %s. "}, {CAppTools::LoadString(1), ""},
      {CAppTools::MakeUpper("abc_clé÷"), "ABC_CLÉ÷"}, {CAppTools::BinaryToString(0), "0"},
      {CAppTools::Binary64ToString(std::uint64_t{1} << 32), "1 0000 0000 0000 0000 0000 0000 0000 0000 "},
      {CAppTools::Dump({0x01, 0xAB, 0x00}, "%02X "), "01 AB 00 "}, {CAppTools::FormatReturn("a\nb\r\nc\r"), "a\r\nb\r\nc"},
  };
  ExpectRows(rows);
  for (unsigned id = 13676; id <= 13694; ++id) EXPECT_FALSE(CAppTools::LoadString(id).empty()) << id;
}

// Formats met in descriptions: one conversion that takes the integer, with
// whatever flags, width, precision and size letters, text and "%%" around it.
TEST(AppToolsFormat, DwordToString_Table) {
  const struct { std::uint32_t value; const char* format; std::string text; } rows[] = {
      {7, "%03u", "007"}, {0xAB, "%-8X", "AB      "}, {0xDEAD, "0x%08lX", "0x0000DEAD"},
      {'A', "%c", "A"}, {0x142, "[%-3hc]", "[B  ]"}, {7, "%5.3d", "  007"}, {0xFFFFFFF9u, "%5.3d", " -007"},
      {5, "%%d=%d", "%d=5"}, {0xFFFFFFFFu, "%d", "-1"}, {0xFFFFFFFFu, "%+lu", "4294967295"},
      {255, "0x%I64x", "0xff"}, {255, "%#o", "0377"}, {255, "%#x", "0xff"}, {5, "%#d", "5"},
      {0x18000, "%hd", "-32768"}, {0x1FF, "%hhu", "255"}, {12, "%zu %%", "12 %"}, {12, "%jd", "12"},
      {5, "Val=%d%%", "Val=5%"}, {1, "no conversion", "no conversion"},
  };
  for (const auto& row : rows) EXPECT_EQ(CAppTools::DwordToString(row.value, row.format), row.text) << row.format;
  EXPECT_EQ(CAppTools::Dump({'o', 'k'}, "%c"), "ok");
  // Anything that would read something other than that one integer.
  for (const char* format : {"%s", "%d %d", "%*d", "%.*d", "%n", "%f", "%lf", "%p", "%", "%5", "%1$d", "%2000d",
                             "%.9999d"}) {
    EXPECT_EQ(Thrown([&] { CAppTools::DwordToString(1, format); }), std::string("Exception >Bad format :") + format);
  }
}

TEST(AppToolsKeys, KeyToPathsGetRootKeyIPStringToDwordAndMaps) {
  EXPECT_EQ(Split("A.B\\X"), (std::vector<std::string>{"A", ".", "B", "|X"}));
  EXPECT_EQ(Split("\\..\\\\Grp\\"), (std::vector<std::string>{"\\", "..", "\\\\", "Grp", "|"}));
  for (const auto& [key, root] : {std::pair{"Item_12", "Item"}, {"Item12", "Item12"}, {"_12", "_12"}, {"x_1_", "x_1"}})
    EXPECT_EQ(CAppTools::GetRootKey(key), root) << key;
  // Only 16 characters are read (fourth part 1234, its high bits fall off).
  const std::pair<std::uint32_t, std::uint32_t> ips[] = {{Ip("192.168.1.2"), 0x0201A8C0u}, {Ip("10.0.0"), 10u},
      {Ip(" 1. +2.x.4"), 0x04000201u}, {Ip("255.255.255.123456"), 0xD2FFFFFFu}};
  ExpectRows(ips);
  CAppTools::MapStringToRef refs;  // case ignored, duplicates refused
  refs.SetRef("Alpha", 7);
  std::uint32_t ref = 0;
  EXPECT_TRUE(refs.GetRef("ALPHA", ref) && ref == 7u);
  EXPECT_EQ(Thrown([&] { refs.SetRef("alpha", 8); }), "Exception >Key Error");
  CAppTools::MapStringToIndex map;  // exact
  EXPECT_EQ((std::vector<std::size_t>{map.GetIndex("a", true), map.GetIndex("A", true), map.GetIndex("a", true),
                                      map.GetIndex("b", false)}),
            (std::vector<std::size_t>{0, 1, 0, CAppTools::MapStringToIndex::npos}));
  EXPECT_THROW(map.GetString(2), CAppException);
}

// --- Number parsing ---------------------------------------------------------

namespace {

// nullopt: StringToDwordThrow / StringToInt64 fails.
struct ParseRow { const char* text; bool isSigned; std::uint32_t bases; std::optional<std::uint32_t> dword;
                  std::optional<std::uint64_t> int64; };

const ParseRow kParseRows[] = {
    // Prefixes with every base allowed; without one, text is decimal when decimal is allowed.
    {"0X1f", false, kAll, 31, 31}, {"017", false, kAll, 15, 15}, {"b101", false, kAll, 5, 5},
    {"\t-12", false, kAll, 0xFFFFFFF4u, 0xFFFFFFFFFFFFFFF4u}, {"09", false, kAll, kNo, kNo}, {"0x1G", false, kAll, kNo, kNo},
    // A single base needs no prefix; several without decimal need one; no base reads nothing.
    {"B", false, kHex, 11, 11}, {"-5", false, kHex, kNo, kNo}, {"12", false, kBin | kHex, kNo, kNo},
    {"B11", false, kBin | kHex, 3, 3}, {"12", false, 0, kNo, kNo},
    // Without octal, a leading 0 is just a digit. Digit groups: bases 2 and 16 only.
    {"017", false, kDec | kHex, 17, 17}, {"0x DEAD BEEF", false, kAll, 0xDEADBEEFu, 0xDEADBEEFu}, {"4 2", false, kDec, kNo, kNo},
    // Widths: 32/64 bits, 31/63 for signed decimal. At least one digit.
    {"4294967296", false, kDec, kNo, 0x100000000u}, {"2147483648", true, kDec, kNo, 0x80000000u},
    {"FFFFFFFF", true, kHex, 0xFFFFFFFFu, 0xFFFFFFFFu}, {"9223372036854775808", true, kDec, kNo, kNo},
    {"18446744073709551616", false, kDec, kNo, kNo}, {"0x", false, kAll, kNo, kNo},
};

}  // namespace

// Either the value or a throw with no text.
template <class T, class F>
void ExpectParse(const std::optional<T>& expected, F&& parse, const std::string& name) {
  if (expected) EXPECT_EQ(parse(), *expected) << name;
  else EXPECT_EQ(ThrownAt(parse), "|AppTools") << name;
}

TEST(AppToolsParse, StringToDwordThrowAndStringToInt64_Table) {
  for (const ParseRow& r : kParseRows) {
    const std::string name = std::string("\"") + r.text + "\" " + std::to_string(r.isSigned) + " " + std::to_string(r.bases);
    ExpectParse(r.dword, [&] { return CAppTools::StringToDwordThrow(r.text, r.isSigned, r.bases); }, name);
    ExpectParse(r.int64, [&] { return CAppTools::StringToInt64(r.text, r.isSigned, r.bases); }, name);
  }
}

TEST(AppToolsParse, NullTextIsBadPointer) {
  std::uint32_t v = 0;
  for (const auto& call : std::vector<std::function<void()>>{[] { CAppTools::StringToDwordThrow(nullptr, false, kAll); },
           [] { CAppTools::StringToInt64(nullptr, false, kAll); },
           [&] { CAppTools::IPStringToDword(nullptr, v); }, [] { CAppTools::DwordToString(1, nullptr); }}) {
    EXPECT_EQ(ThrownAt(call), "Exception >Bad pointer|AppTools");
  }
}

TEST(AppToolsParse, ComparisonsAndAllignType) {
  const std::uint64_t minusOne = ~std::uint64_t{0};
  const std::pair<std::uint64_t, std::uint64_t> rows[] = {
      {CAppTools::IsSuperiorTo(minusOne, 1, false), true}, {CAppTools::IsSuperiorTo(minusOne, 1, true), false},
      {CAppTools::IsInferiorTo(minusOne, 1, true), true}, {CAppTools::AllignType(300, false, 8), 44},
      {CAppTools::AllignType(0x80, true, 8), 0xFFFFFF80u}, {CAppTools::AllignType(0x7F, true, 8), 0x7F},
      {CAppTools::AllignType(0xFFFFFFFFu, true, 64), 0xFFFFFFFFu}, {CAppTools::AllignType(5, false, 0), 0}};
  ExpectRows(rows);
}

TEST(AppToolsFormat, GetFormatBase_Table) {
  for (const auto& [format, base] : {std::pair{"%08lX", kHex}, {"%o", kOct}, {"value", kDec}, {"%B", kBin}, {"%.2f", kFlt},
           {"%G", kFlt}, {"%E", kDec}, {"%I64X", kHex}, {"%", kDec}, {"%-x", kDec}, {"0x%04X h", kHex}})
    EXPECT_EQ(static_cast<std::uint32_t>(CAppTools::GetFormatBase(format)), base) << format;
}

TEST(AppToolsGetData, HexAndDecimalListsAppendBadByteThrowsAfterTheBytesBefore) {
  std::vector<std::uint8_t> out{9};
  CAppTools::GetData(out, "01 FF,a0", kHex);
  CAppTools::GetData(out, " 1,,255  0 ", kDec);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{9, 0x01, 0xFF, 0xA0, 1, 255, 0}));
  out.clear();
  EXPECT_EQ(ThrownAt([&] { CAppTools::GetData(out, "1, 2,0x3", kHex); }), "Exception >Error|AppTools");
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2}));
  out.clear();
  for (const auto& [text, base] : {std::pair{"100", kHex}, {"256", kDec}, {"1A", kDec}, {"99999999999999999999", kDec}})
    EXPECT_EQ(Thrown([&] { CAppTools::GetData(out, text, base); }), "Exception >Error") << text;
  EXPECT_TRUE(out.empty());
}

TEST(AppToolsParse, SoftErrors_EmptyTextAndOtherBase) {
  CapturedOutput output;
  EXPECT_EQ(CAppTools::StringToDword("0x10", false, kAll), 16u);
  EXPECT_TRUE(output.lines.empty());
  EXPECT_EQ(CAppTools::StringToDword("  ", false, kAll), 0u);
  EXPECT_EQ(CAppTools::StringToDword(nullptr, false, kAll), 0u);  // no text: no throw either
  std::vector<std::uint8_t> out;
  CAppTools::GetData(out, "1 2", kBin);
  CAppTools::GetData(out, "1 2", kDec | kHex);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(output.lines, (std::vector<std::string>{"Erreur: Essai de convertir une chaine vide en un mot 32 bits.",
                                                    "Erreur: Essai de convertir une chaine vide en un mot 32 bits.",
                                                    "Erreur: Mauvaise base 1 entrée dans CAppTools::GetData.",
                                                    "Erreur: Mauvaise base 12 entrée dans CAppTools::GetData."}));
}

TEST(AppToolsPlatform, LoadXML_DocumentsBuiltIntoTheLibrary) {
  std::ifstream file(APPCONFIG_SCHEMA_DIR "/Description.xdr", std::ios::binary);
  const std::string schema{std::istreambuf_iterator<char>(file), {}};
  ASSERT_FALSE(schema.empty());
  std::string text = "old";
  EXPECT_TRUE(CAppTools::LoadXML(APP_XML_DESCRIPTION_SCHEMA, text));
  EXPECT_EQ(text, schema);
  text = "old";
  EXPECT_FALSE(CAppTools::LoadXML(1, text));
  EXPECT_EQ(text, "old");
}
