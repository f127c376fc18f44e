#include "appconfig/AppParamEnumMulti.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppResources.h"

namespace {

// "Options" (Options actives): A, B, C with current numbers 1, 0, 2 and
// default numbers 0, 1, 0.
std::unique_ptr<CAppParamEnumMulti> MakeOptions() {
  auto e = std::make_unique<CAppParamEnumMulti>();
  e->SetKey("Options");
  e->SetName("Options actives");
  e->AddEntry(0, 1, 100, "A");
  e->AddEntry(1, 0, 200, "B");
  e->AddEntry(0, 2, 300, "C");
  return e;
}

std::unique_ptr<CAppParamEnumMulti> Load(const FieldStore& fields) {
  auto e = std::make_unique<CAppParamEnumMulti>();
  FieldStoreLoadRecord record(fields);
  e->Serialize(&record);
  return e;
}

struct Arrays {
  std::vector<std::string> currents, defaults, values, texts;
};

// The four arrays as the record sees them.
Arrays Saved(CAppParamEnumMulti& e) {
  FieldStoreSaveRecord record;
  e.Serialize(&record);
  return {record.store["Current"], record.store["Default"], record.store["Value"],
          record.store["Comment"]};
}

using Strings = std::vector<std::string>;

}  // namespace

// --- Registration and slots ------------------------------------------------------

TEST(AppParamEnumMulti, ResourcesInit_ProfileLinkAndIcons) {
  CAppResources res;
  res.Init();
  std::string value;
  EXPECT_TRUE(res.FindName("CAppParamEnumMulti\\SYS_LINK_0", value));
  EXPECT_EQ(value, "EnumMulti");
  EXPECT_TRUE(res.FindName("CAppParamEnumMulti\\SYS_ICON_VALUE", value));
  EXPECT_EQ(value, "Param EnumMulti");
  const std::vector<CAppIcon>& images = res.GetImageList();
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumMulti", "")).resourceId, 13607u);
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumMulti", "RO")).resourceId, 13613u);
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumMulti", "EX")).resourceId, 13630u);

  EXPECT_EQ(CAppDynamic::GetClassByAlias("Param EnumMulti", ""), "CAPPPARAMENUMMULTI");
  std::unique_ptr<CAppObject> created(
      CAppDynamic::_GetRegisterClass("CAppParamEnumMulti", APP_RUNTIME_CLASS(CAppParam)));
  ASSERT_NE(AppDynamicCast<CAppParamEnumMulti>(created.get()), nullptr);
  EXPECT_EQ(CAppDynamic::GetClassIndex(static_cast<CAppParam*>(created.get())), 7u);
}

TEST(AppParamEnumMulti, Slots_NoDataNoBitSizeNoPlainValue) {
  auto e = MakeOptions();
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParamEnumMulti key: Options";
  const std::string set = "SetVariant not supported for class : CAppParamEnumMulti key: Options";
  const std::string bits = "GetBitSize not supported for class : CAppParamEnumMulti key: Options";
  const std::uint32_t gets = log.CountOf(get), sets = log.CountOf(set), bitCount = log.CountOf(bits);
  EXPECT_TRUE(e->GetVariant().IsEmpty());
  e->SetVariant(CAppVariant(std::uint32_t{5}));
  EXPECT_EQ(e->GetBitSize(), 0u);
  EXPECT_EQ(log.CountOf(get), gets + 1);
  EXPECT_EQ(log.CountOf(set), sets + 1);
  EXPECT_EQ(log.CountOf(bits), bitCount + 1);

  CAppDataRecord record(false);
  e->DataSerialize(&record);
  EXPECT_EQ(record.GetPosition(), 0u);
  EXPECT_EQ(record.GetSize(), 0u);
  EXPECT_EQ(e->GetUnit(), "");
  e->LoadDefault(false);  // not a multi-choice operation: nothing changes
  EXPECT_EQ(e->GetNumber(0), 1u);
}

TEST(AppParamEnumMulti, Serialize_FieldOrderAndRoundTrip) {
  auto e = MakeOptions();
  FieldStoreSaveRecord saved;
  e->Serialize(&saved);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"Key", 0x800},       {"Name", 0x800},      {"Help", 0x800},   {"Flags", 0x801},
      {"Alias", 0x800},     {"Current", 0x2013},  {"Default", 0x2013}, {"Value", 0x2013},
      {"Comment", 0x2800}};
  EXPECT_EQ(saved.fields, expected);

  auto copy = Load(saved.store);
  const Arrays arrays = Saved(*copy);
  EXPECT_EQ(arrays.currents, (Strings{"1", "0", "2"}));
  EXPECT_EQ(arrays.defaults, (Strings{"0", "1", "0"}));
  EXPECT_EQ(arrays.values, (Strings{"100", "200", "300"}));
  EXPECT_EQ(arrays.texts, (Strings{"A", "B", "C"}));
  EXPECT_EQ(copy->GetFmtValue(), "A, C");
}

// --- Entries -------------------------------------------------------------------------

TEST(AppParamEnumMulti, AddEntry_EmptyTextIsTheSignedDecimalValue) {
  CAppParamEnumMulti e;
  e.AddEntry(0, 0, 0x80000000u, "");
  EXPECT_EQ(Saved(e).texts, Strings{"-2147483648"});
}

TEST(AppParamEnumMulti, GetEntry_ShortNumberArraysReadZero) {
  auto e = Load({{"Value", {"5", "6"}}, {"Default", {"9"}}, {"Comment", {"x", "y"}}});
  std::uint32_t def = 1, cur = 1, value = 1;
  std::string text;
  e->GetEntry(1, def, cur, value, text);
  EXPECT_EQ(def, 0u);
  EXPECT_EQ(cur, 0u);
  EXPECT_EQ(value, 6u);
  EXPECT_EQ(text, "y");
  e->GetEntry(0, def, cur, value, text);
  EXPECT_EQ(def, 9u);
}

TEST(AppParamEnumMulti, InvalidIndex_ReportsAndChangesNothing) {
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
  ASSERT_EQ(out.lines.size(), 5u);
  EXPECT_EQ(out.lines[0], "Erreur: Index invalide (3) pour le paramètre Options (Options actives).");
  EXPECT_EQ(out.lines[4], "Erreur: Index invalide (4) pour le paramètre Options (Options actives).");
  const Arrays arrays = Saved(*e);
  EXPECT_EQ(arrays.currents, (Strings{"1", "0", "2"}));
  EXPECT_EQ(arrays.defaults, (Strings{"0", "1", "0"}));
}

TEST(AppParamEnumMulti, SetNumber_ArrayShortOfEntries_Grows) {
  auto e = Load({{"Value", {"5", "6", "7"}}});
  e->SetNumber(1, 4);
  e->SetDefaultValue(2, 3);
  EXPECT_EQ(e->GetNumber(1), 4u);
  EXPECT_EQ(e->GetDefaultValue(2), 3u);
  EXPECT_EQ(Saved(*e).currents, (Strings{"0", "4", "0"}));
  EXPECT_EQ(e->GetDefaultSizeValue(), 3u);
}

TEST(AppParamEnumMulti, GetIndex_AbsentValueIs65535) {
  auto e = MakeOptions();
  EXPECT_EQ(e->GetIndex(300), 2u);
  EXPECT_EQ(e->GetIndex(400), 65535u);
}

TEST(AppParamEnumMulti, Variant_IndexedCurrentNumber) {
  auto e = MakeOptions();
  CapturedOutput out;
  const CAppVariant two = e->GetVariant(2);
  EXPECT_EQ(two.GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(two.GetUInt64(), 2u);
  e->SetVariant(CAppVariant("7"), 1);
  EXPECT_EQ(e->GetNumber(1), 7u);
  EXPECT_TRUE(out.lines.empty());

  const CAppVariant bad = e->GetVariant(3);
  EXPECT_EQ(bad.GetType(), CAppVariant::VT_I4);
  EXPECT_EQ(bad.GetInt64(), 0);
  e->SetVariant(CAppVariant(std::uint32_t{1}), 3);
  ASSERT_EQ(out.lines.size(), 2u);
  EXPECT_EQ(out.lines[1], "Erreur: Index invalide (3) pour le paramètre Options (Options actives).");

  e->SetVariant(CAppVariant("sept"), 1);  // no number: the conversion reports it
  EXPECT_EQ(e->GetNumber(1), 7u);
  ASSERT_EQ(out.lines.size(), 3u);
  EXPECT_EQ(out.lines[2], "Erreur: Erreur dans le changement du type d'un variant.");
}

TEST(AppParamEnumMulti, SetData_BadIndexOrLength_Reports) {
  auto e = MakeOptions();
  CapturedOutput out;
  e->SetData(std::uint32_t{250}, 1);
  e->SetData(std::string("Bé"), 1);
  e->SetData(std::uint32_t{1}, 3);
  e->SetData(std::vector<std::string>{"x"});
  ASSERT_EQ(out.lines.size(), 2u);
  EXPECT_EQ(out.lines[0], "Erreur: Index invalide (3) dans SetData pour le paramètre Options (Options actives).");
  EXPECT_EQ(out.lines[1], "Erreur: Taille des données incohérente dans SetData pour le paramètre Options (Options actives).");
  std::vector<std::uint32_t> values;
  std::vector<std::string> texts;
  e->GetData(values);
  e->GetData(texts);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{100, 250, 300}));
  EXPECT_EQ(texts, (Strings{"A", "Bé", "C"}));
}

// --- Formatted value -------------------------------------------------------------------

TEST(AppParamEnumMulti, FmtValue_SelectedTextsJoined) {
  auto e = MakeOptions();
  EXPECT_EQ(e->GetFmtValue(), "A, C");
  e->SetNumber(0, 0);
  e->SetNumber(2, 0);
  EXPECT_EQ(e->GetFmtValue(), "");
}

TEST(AppParamEnumMulti, FmtValue_CutPastTwentyCharacters) {
  CAppParamEnumMulti e;
  e.AddEntry(0, 1, 1, "Entrée 1");   // 8 characters
  e.AddEntry(0, 1, 2, "Sortie 2");   // "Entrée 1, Sortie 2": 18
  e.AddEntry(0, 0, 3, "Ignorée");
  e.AddEntry(0, 1, 4, "ab");         // 22 characters: cut
  e.AddEntry(0, 1, 5, "Jamais");
  EXPECT_EQ(e.GetFmtValue(), "Entrée 1, Sortie 2, ...");

  CAppParamEnumMulti exact;
  exact.AddEntry(0, 1, 1, "12345678901234567890");
  EXPECT_EQ(exact.GetFmtValue(), "12345678901234567890");
  exact.AddEntry(0, 1, 2, "é");
  EXPECT_EQ(exact.GetFmtValue(), "12345678901234567890...");

  CAppParamEnumMulti accents;
  accents.AddEntry(0, 1, 1, "ééééééééééééééééééééé");  // 21 two-byte characters
  EXPECT_EQ(accents.GetFmtValue(), "éééééééééééééééééééé...");
}

// --- Check -------------------------------------------------------------------------------

TEST(AppParamEnumMulti, Check_MissingCurrentsStartFromDefaults) {
  auto e = Load({{"Value", {"1", "2", "3"}}, {"Default", {"0", "1", "1"}}});
  e->Check();
  const Arrays arrays = Saved(*e);
  EXPECT_EQ(arrays.currents, (Strings{"0", "1", "1"}));
  EXPECT_EQ(arrays.texts, (Strings{"", "", ""}));
}

TEST(AppParamEnumMulti, Check_EmptyArraysTakeTheLength) {
  auto e = Load({{"Current", {"1", "0"}}, {"Comment", {"X", "Y"}}});
  e->_Check();
  const Arrays arrays = Saved(*e);
  EXPECT_EQ(arrays.currents, (Strings{"1", "0"}));  // kept: they were not missing
  EXPECT_EQ(arrays.defaults, (Strings{"0", "0"}));
  EXPECT_EQ(arrays.values, (Strings{"0", "0"}));
  EXPECT_EQ(e->GetCount(), 2u);
}

TEST(AppParamEnumMulti, Check_LengthsDiffer_ThrowsAndKeepsArrays) {
  auto e = Load({{"Default", {"1", "0"}}, {"Value", {"1", "2", "3"}}});
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage(), "Exception >Array Size Error");
  EXPECT_EQ(ex.GetPrgFile(), "AppParamEnumMulti");
  const Arrays arrays = Saved(*e);
  EXPECT_TRUE(arrays.currents.empty());
  EXPECT_EQ(arrays.defaults, (Strings{"1", "0"}));
  EXPECT_EQ(arrays.values, (Strings{"1", "2", "3"}));
}

TEST(AppParamEnumMulti, Check_AllEmpty_StaysEmpty) {
  CAppParamEnumMulti e;
  e._Check();
  EXPECT_EQ(e.GetCount(), 0u);
  EXPECT_EQ(e.GetDefaultSizeValue(), 0u);
}
