#include "appconfig/AppParamEnumMulti.h"

#include <gtest/gtest.h>

#include <memory>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppResources.h"

namespace {

using Strings = std::vector<std::string>;

std::unique_ptr<CAppParamEnumMulti> Load(FieldStore fields) {
  fields.emplace("Key", Strings{"Options"});
  fields.emplace("Name", Strings{"Options actives"});
  auto e = std::make_unique<CAppParamEnumMulti>();
  FieldStoreRecord record(std::move(fields));
  e->Serialize(&record);
  return e;
}

// Values 100, 200, 300 (A, B, C); current numbers 1, 0, 2; defaults 0, 1, 0.
std::unique_ptr<CAppParamEnumMulti> MakeOptions() {
  return Load({{"Current", {"1", "0", "2"}}, {"Default", {"0", "1", "0"}},
               {"Value", {"100", "200", "300"}}, {"Comment", {"A", "B", "C"}}});
}

// The four arrays as a record sees them.
FieldStore Saved(CAppParamEnumMulti& e) {
  FieldStoreRecord record;
  e.Serialize(&record);
  return {{"Current", record.store["Current"]}, {"Default", record.store["Default"]},
          {"Value", record.store["Value"]}, {"Comment", record.store["Comment"]}};
}

}  // namespace

TEST(AppParamEnumMulti, ResourcesInit_ProfileLinkAndIcons) {
  CAppResources res;
  res.Init();
  std::string link, icon;
  EXPECT_TRUE(res.FindName("CAppParamEnumMulti\\SYS_LINK_0", link));
  EXPECT_TRUE(res.FindName("CAppParamEnumMulti\\SYS_ICON_VALUE", icon));
  EXPECT_EQ(link + "|" + icon, "EnumMulti|Param EnumMulti");
  const std::pair<const char*, unsigned> icons[] = {{"", 13607}, {"RO", 13613}, {"EX", 13630}};
  for (auto [variant, id] : icons) {
    EXPECT_EQ(res.GetImageList().at(res.GetImageIndex("Param EnumMulti", variant)).resourceId, id);
  }
  std::unique_ptr<CAppObject> created(CAppDynamic::_GetRegisterClass(
      CAppDynamic::GetClassByAlias("Param EnumMulti", ""), APP_RUNTIME_CLASS(CAppParam)));
  ASSERT_NE(AppDynamicCast<CAppParamEnumMulti>(created.get()), nullptr);
}

TEST(AppParamEnumMulti, Slots_NoDataNoBitSizeNoPlainValue) {
  auto e = MakeOptions();
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string tail = " not supported for class : CAppParamEnumMulti key: Options";
  const std::uint32_t gets = log.CountOf("GetVariant" + tail), sets = log.CountOf("SetVariant" + tail),
                      bits = log.CountOf("GetBitSize" + tail);
  EXPECT_TRUE(e->GetVariant().IsEmpty());
  e->SetVariant(CAppVariant(std::uint32_t{5}));
  EXPECT_EQ(e->GetBitSize(), 0u);
  EXPECT_EQ(log.CountOf("GetVariant" + tail), gets + 1);
  EXPECT_EQ(log.CountOf("SetVariant" + tail), sets + 1);
  EXPECT_EQ(log.CountOf("GetBitSize" + tail), bits + 1);
  CAppDataRecord record(false);
  e->DataSerialize(&record);
  EXPECT_EQ(record.GetPosition() + record.GetSize(), 0u);
  e->LoadDefault(false);  // inherited: does nothing
  EXPECT_EQ(e->GetFmtValue(), "A, C");
}

TEST(AppParamEnumMulti, Serialize_FieldOrderAndRoundTrip) {
  CAppParamEnumMulti e;
  e.AddEntry(0, 1, 100, "A");
  e.AddEntry(1, 0, 0x80000000u, "");
  FieldStoreRecord saved;
  e.Serialize(&saved);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"Key", 0x800},      {"Name", 0x800},     {"Help", 0x800},     {"Flags", 0x801},
      {"Alias", 0x800},    {"Current", 0x2013}, {"Default", 0x2013}, {"Value", 0x2013},
      {"Comment", 0x2800}};
  EXPECT_EQ(saved.fields, expected);
  auto copy = Load(saved.store);
  const FieldStore arrays = {{"Current", {"1", "0"}}, {"Default", {"0", "1"}},
                             {"Value", {"100", "2147483648"}}, {"Comment", {"A", "-2147483648"}}};
  EXPECT_EQ(Saved(*copy), arrays);
}

TEST(AppParamEnumMulti, Numbers_InvalidIndexReportsAndChangesNothing) {
  auto e = MakeOptions();
  CapturedOutput out;
  std::uint32_t def = 7, cur = 7, value = 7;
  std::string text = "inchangé";
  e->GetEntry(3, def, cur, value, text);
  EXPECT_EQ(def + cur + value, 21u);
  EXPECT_EQ(text, "inchangé");
  EXPECT_EQ(e->GetNumber(3), 0u);
  e->SetNumber(3, 1);
  EXPECT_EQ(e->GetDefaultValue(4), 0u);
  e->SetDefaultValue(4, 1);
  const CAppVariant bad = e->GetVariant(3);
  EXPECT_EQ(bad.GetType(), CAppVariant::VT_I4);
  EXPECT_EQ(bad.GetInt64(), 0);
  e->SetVariant(CAppVariant(std::uint32_t{1}), 3);
  ASSERT_EQ(out.lines.size(), 7u);
  EXPECT_EQ(out.lines[0], "Erreur: Index invalide (3) pour le paramètre Options (Options actives).");
  EXPECT_EQ(out.lines[4], "Erreur: Index invalide (4) pour le paramètre Options (Options actives).");
  EXPECT_EQ(Saved(*e), Saved(*MakeOptions()));
  EXPECT_EQ(e->GetIndex(300), 2u);
  EXPECT_EQ(e->GetIndex(400), 65535u);
}

TEST(AppParamEnumMulti, Variant_IndexedCurrentNumber) {
  auto e = Load({{"Value", {"5", "6"}}});  // no numbers yet: they read 0
  CapturedOutput out;
  EXPECT_EQ(e->GetVariant(1).GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(e->GetVariant(1).GetUInt64(), 0u);
  e->SetVariant(CAppVariant("7"), 1);
  EXPECT_EQ(e->GetNumber(1), 7u);
  EXPECT_TRUE(out.lines.empty());
  e->SetVariant(CAppVariant("sept"), 1);
  EXPECT_EQ(e->GetNumber(1), 7u);
  EXPECT_EQ(out.lines, Strings{"Erreur: Erreur dans le changement du type d'un variant."});
}

TEST(AppParamEnumMulti, SetData_BadIndexOrLength_Reports) {
  auto e = MakeOptions();
  CapturedOutput out;
  e->SetData(std::uint32_t{250}, 1);
  e->SetData(std::uint32_t{1}, 3);
  e->SetData(Strings{"x"});
  EXPECT_EQ(out.lines,
            (Strings{"Erreur: Index invalide (3) dans SetData pour le paramètre Options (Options actives).",
                     "Erreur: Taille des données incohérente dans SetData pour le paramètre Options "
                     "(Options actives)."}));
  EXPECT_EQ(Saved(*e)["Value"], (Strings{"100", "250", "300"}));
}

TEST(AppParamEnumMulti, FmtValue_SelectedTextsCutPastTwentyCharacters) {
  auto e = MakeOptions();
  e->SetNumber(0, 0);
  e->SetNumber(2, 0);
  EXPECT_EQ(e->GetFmtValue(), "");
  auto longer = Load({{"Current", {"1", "1", "0", "1", "1"}},
                      {"Comment", {"Entrée 1", "Sortie 2", "Ignorée", "ab", "Jamais"}}});
  EXPECT_EQ(longer->GetFmtValue(), "Entrée 1, Sortie 2, ...");  // 22 characters cut to 20

  CAppParamEnumMulti exact;
  exact.AddEntry(0, 1, 1, "12345678901234567890");
  EXPECT_EQ(exact.GetFmtValue(), "12345678901234567890");
  exact.AddEntry(0, 1, 2, "x");
  EXPECT_EQ(exact.GetFmtValue(), "12345678901234567890...");
  std::string accented;
  for (int i = 0; i < 21; ++i) accented += "é";
  CAppParamEnumMulti accents;
  accents.AddEntry(0, 1, 1, accented);
  EXPECT_EQ(accents.GetFmtValue(), accented.substr(0, 40) + "...");  // 20 two-byte characters
}

TEST(AppParamEnumMulti, Check_ArraysTakeTheFirstLength) {
  auto fromDefaults = Load({{"Value", {"1", "2", "3"}}, {"Default", {"0", "1", "1"}}});
  fromDefaults->Check();
  EXPECT_EQ(Saved(*fromDefaults),
            (FieldStore{{"Current", {"0", "1", "1"}}, {"Default", {"0", "1", "1"}},
                        {"Value", {"1", "2", "3"}}, {"Comment", {"", "", ""}}}));

  auto kept = Load({{"Current", {"1", "0"}}, {"Comment", {"X", "Y"}}});
  kept->_Check();
  EXPECT_EQ(Saved(*kept), (FieldStore{{"Current", {"1", "0"}}, {"Default", {"0", "0"}},
                                      {"Value", {"0", "0"}}, {"Comment", {"X", "Y"}}}));
}

TEST(AppParamEnumMulti, Check_LengthsDiffer_ThrowsAndKeepsArrays) {
  auto e = Load({{"Default", {"1", "0"}}, {"Value", {"1", "2", "3"}}});
  const FieldStore before = Saved(*e);
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage(), "Exception >Array Size Error");
  EXPECT_EQ(ex.GetPrgFile(), "AppParamEnumMulti");
  EXPECT_EQ(Saved(*e), before);
}
