#include "appconfig/AppTools.h"

#include <gtest/gtest.h>

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
