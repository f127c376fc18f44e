#include "appconfig/AppParamEnumSingle.h"

#include <gtest/gtest.h>

#include <memory>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppResources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
constexpr std::uint32_t kNone = CAppParamEnumSingle::kNoIndex;
const std::string kNotListed =
    " ne peut pas être affectée dans Mode (Mode de marche) parce que cette valeur n'est pas dans "
    "l'énumération.";

// An enumeration as a description file fills it: any subset of the fields.
std::unique_ptr<CAppParamEnumSingle> Load(FieldStore fields) {
  fields.emplace("Key", Strings{"Mode"});
  fields.emplace("Name", Strings{"Mode de marche"});
  auto e = std::make_unique<CAppParamEnumSingle>();
  FieldStoreRecord record(std::move(fields));
  e->Serialize(&record);
  return e;
}

// 10 Lent, 20 Moyen, 30 Rapide; nothing selected yet.
std::unique_ptr<CAppParamEnumSingle> MakeMode() {
  return Load({{"Value", {"10", "20", "30"}}, {"Comment", {"Lent", "Moyen", "Rapide"}}});
}

std::pair<std::uint32_t, std::uint32_t> Indices(const CAppParamEnumSingle& e) {
  return {e.GetCurrentIndex(), e.GetDefaultIndex()};
}

Strings Texts(const CAppParamEnumSingle& e) {
  Strings texts;
  e.GetData(texts);
  return texts;
}

// A data field of `bits` bits whose entries are `values`, `current` selected.
CAppParamEnumSingle* AddField(CAppParamGroup& group, const std::string& key,
                              const std::vector<std::uint32_t>& values, std::uint32_t current,
                              unsigned bits, std::uint32_t flags = 0) {
  auto* e = new CAppParamEnumSingle;
  for (std::uint32_t v : values) e->AddEntry(v, "");
  e->SetBitSize(bits);
  e->ModifyFlags(0, flags);
  e->SetVariant(CAppVariant(current));
  return group.SetAt(key, e);
}

Bytes Image(CAppParam& root) {
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  Bytes bytes;
  record.GetData(bytes);
  return bytes;
}

}  // namespace

TEST(AppParamEnumSingle, ResourcesInit_ProfileLinkAndIcons) {
  CAppResources res;
  res.Init();
  std::string link, icon;
  EXPECT_TRUE(res.FindName("CAppParamEnumSingle\\SYS_LINK_0", link));
  EXPECT_TRUE(res.FindName("CAppParamEnumSingle\\SYS_ICON_VALUE", icon));
  EXPECT_EQ(link + "|" + icon, "EnumSingle|Param EnumSingle");
  const std::pair<const char*, unsigned> icons[] = {{"", 13607}, {"RO", 13613}, {"EX", 13630}};
  for (auto [variant, id] : icons) {
    EXPECT_EQ(res.GetImageList().at(res.GetImageIndex("Param EnumSingle", variant)).resourceId, id);
  }
  std::unique_ptr<CAppObject> created(CAppDynamic::_GetRegisterClass(
      CAppDynamic::GetClassByAlias("EnumSingle", "Param "), APP_RUNTIME_CLASS(CAppParam)));
  ASSERT_NE(AppDynamicCast<CAppParamEnumSingle>(created.get()), nullptr);
}

TEST(AppParamEnumSingle, Slots_IndexedValueOperationsStayUnsupported) {
  auto e = MakeMode();
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParamEnumSingle key: Mode";
  const std::string set = "SetVariant not supported for class : CAppParamEnumSingle key: Mode";
  const std::uint32_t gets = log.CountOf(get), sets = log.CountOf(set);
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  EXPECT_TRUE(e->GetVariant(1).IsEmpty());
  e->SetVariant(CAppVariant(std::uint32_t{30}), 1);
  e->SetBitSize(12);
  EXPECT_EQ(e->GetBitSize(), 12u);
  EXPECT_EQ(log.CountOf(get), gets + 1);
  EXPECT_EQ(log.CountOf(set), sets + 1);
  EXPECT_EQ(log.CountOf("GetBitSize not supported for class : CAppParamEnumSingle key: Mode"), 0u);
  EXPECT_EQ(e->GetVariant().GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(e->GetFmtValue(), "Moyen");
}

TEST(AppParamEnumSingle, Serialize_FieldOrderAndRoundTrip) {
  auto e = MakeMode();
  e->SetBitSize(6);
  e->SetUnit("tr/min");
  e->ModifyFlags(0, PF_MOTOROLA);
  e->SetVariant(CAppVariant(std::uint32_t{30}));
  e->SetDefaultValue(20);
  FieldStoreRecord saved;
  e->Serialize(&saved);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"Key", 0x800},       {"Name", 0x800},   {"Help", 0x800},    {"Flags", 0x801},
      {"Alias", 0x800},     {"Current", 0x13}, {"Default", 0x13},  {"Value", 0x2013},
      {"Comment", 0x2800},  {"BitSize", 0x13}, {"Unit", 0x800}};
  EXPECT_EQ(saved.fields, expected);

  auto copy = Load(saved.store);
  EXPECT_EQ(Indices(*copy), std::pair(2u, 1u));
  EXPECT_EQ(copy->GetBitSize(), 6u);
  EXPECT_EQ(copy->GetUnit() + " " + copy->GetFmtValue(), "tr/min Rapide");
  EXPECT_TRUE(copy->IsFlagsEnable(PF_MOTOROLA));
  EXPECT_EQ(Texts(*copy), (Strings{"Lent", "Moyen", "Rapide"}));
}

TEST(AppParamEnumSingle, SetVariant_SelectsFirstEntryWithTheValue) {
  auto e = MakeMode();
  e->AddEntry(20, "Moyen bis");
  e->AddEntry(0xFFFFFFFFu, "");
  EXPECT_TRUE(e->GetVariant().IsEmpty());
  EXPECT_EQ(e->GetFmtValue(), "???");
  CapturedOutput out;
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
  e->SetVariant(CAppVariant("30"));
  EXPECT_EQ(e->GetCurrentIndex(), 2u);
  e->SetVariant(CAppVariant(std::int32_t{-1}));
  EXPECT_EQ(e->GetFmtValue(), "-1");  // the text "%d" gives 0xFFFFFFFF
  EXPECT_TRUE(out.lines.empty());

  e->SetVariant(CAppVariant("vingt"));  // no number: reported, selection kept
  EXPECT_EQ(e->GetCurrentIndex(), 4u);
  e->SetVariant(CAppVariant(std::uint32_t{25}));
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  EXPECT_EQ(out.lines, (Strings{"Erreur: Erreur dans le changement du type d'un variant.",
                                "Erreur: La valeur 25" + kNotListed}));
}

TEST(AppParamEnumSingle, DefaultValue_NotListedFallsBackToFirstEntry) {
  auto e = MakeMode();
  CapturedOutput out;
  e->SetDefaultValue(30);
  e->LoadDefault(false);
  EXPECT_EQ(e->GetCurrentIndex(), 2u);
  e->SetDefaultValue(99);
  EXPECT_EQ(e->GetDefaultIndex(), 0u);
  e->LoadDefault(true);
  EXPECT_EQ(e->GetDefaultValue(), 30u);
  EXPECT_EQ(out.lines, Strings{"Erreur: La valeur par défaut 99" + kNotListed});

  CAppParamEnumSingle empty;
  empty.SetDefaultValue(0);
  empty.SetVariant(CAppVariant(std::uint32_t{0}));
  EXPECT_EQ(empty.GetDefaultIndex(), kNone);
  EXPECT_EQ(empty.GetCurrentIndex(), kNone);
  EXPECT_EQ(empty.GetDefaultValue(), 0u);
}

TEST(AppParamEnumSingle, Entries_BadIndexOrLength_ReportAndChangeNothing) {
  auto e = Load({{"Value", {"10", "20", "30"}}, {"Comment", {"Lent", "Moyen"}}});
  CapturedOutput out;
  std::uint32_t value = 7;
  std::string text = "inchangé";
  e->GetEntry(3, value, text);
  e->SetEntryText(3, "Turbo");
  e->SetData(std::string("Rapide"), 2);  // past the texts, though not the values
  e->SetData(std::uint32_t{40}, 3);
  e->SetData(std::vector<std::uint32_t>{1, 2});
  e->SetData(Strings{"a", "b", "c"});
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(text, "inchangé");
  const std::string param = " Mode (Mode de marche).";
  EXPECT_EQ(out.lines, (Strings{
      "Erreur: La valeur correspondant à l'index 3 n'existe pas dans" + param,
      "Erreur: Le texte Turbo ne peut pas être affecté à l'index 3 dans" + param,
      "Erreur: Index invalide (2) dans SetData pour le paramètre" + param,
      "Erreur: Index invalide (3) dans SetData pour le paramètre" + param,
      "Erreur: Taille des données incohérente dans SetData pour le paramètre" + param,
      "Erreur: Taille des données incohérente dans SetData pour le paramètre" + param}));
  std::vector<std::uint32_t> values;
  e->GetData(values);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{10, 20, 30}));
  EXPECT_EQ(Texts(*e), (Strings{"Lent", "Moyen"}));
}

TEST(AppParamEnumSingle, Check_WritesMissingTextsAndMakesIndicesValid) {
  auto e = Load({{"Value", {"10", "20", "4294967295"}}});
  CapturedOutput out;
  e->Check();
  EXPECT_EQ(Texts(*e), (Strings{"10", "20", "-1"}));
  EXPECT_EQ(Indices(*e), std::pair(0u, 0u));
  EXPECT_TRUE(out.lines.empty());

  auto current = Load({{"Value", {"10", "20", "30"}}, {"Current", {"5"}}, {"Default", {"1"}}});
  current->_Check();
  EXPECT_EQ(Indices(*current), std::pair(1u, 1u));
  auto def = Load({{"Value", {"10", "20", "30"}}, {"Current", {"2"}}, {"Default", {"9"}}});
  def->_Check();
  EXPECT_EQ(Indices(*def), std::pair(2u, 2u));
  auto twins = Load({{"Value", {"7", "7"}}, {"Current", {"1"}}, {"Default", {"1"}}});
  twins->_Check();
  EXPECT_EQ(Indices(*twins), std::pair(0u, 0u));
  auto empty = Load({{"Current", {"0"}}, {"Default", {"3"}}});
  empty->_Check();
  EXPECT_EQ(Indices(*empty), std::pair(kNone, kNone));
  EXPECT_TRUE(out.lines.empty());
}

TEST(AppParamEnumSingle, Check_TextsNotOnePerValue_ThrowsUnlessNoCheck) {
  auto e = Load({{"Value", {"1", "2"}}, {"Comment", {"Un"}}, {"Current", {"8"}}});
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage(), "Exception >Array Size Error");
  EXPECT_EQ(ex.GetPrgFile(), "AppParamEnumSingle");
  EXPECT_EQ(Texts(*e), Strings{"Un"});
  e->ModifyFlags(0, PF_NO_CHECK);
  e->_Check();  // the flag holds also when the class check is called alone
  EXPECT_EQ(e->GetCurrentIndex(), 8u);
}

// Bit p of the image is bit p % 8 of byte p / 8.
TEST(AppParamEnumSingle, DataSerialize_ByteOrders) {
  CAppParamGroup root;
  AddField(root, "Intel16", {0x1234}, 0x1234, 16);
  AddField(root, "Moto16", {0x1234}, 0x1234, 16, PF_MOTOROLA);
  AddField(root, "Moto24", {0x123456}, 0x123456, 24, PF_MOTOROLA);
  AddField(root, "Moto32", {0x11223344}, 0x11223344, 32, PF_MOTOROLA);
  AddField(root, "Intel32", {0x11223344}, 0x11223344, 32);
  EXPECT_EQ(Image(root), (Bytes{0x34, 0x12, 0x12, 0x34, 0x12, 0x34, 0x56, 0x11, 0x22, 0x33, 0x44,
                                0x44, 0x33, 0x22, 0x11}));
}

TEST(AppParamEnumSingle, DataSerialize_OddSizesPackedWithoutPadding) {
  CAppParamGroup root;
  AddField(root, "A", {4, 5}, 5, 3);                     // bits 0-2: 101
  AddField(root, "B", {1}, 1, 5);                        // bits 3-7: 00001
  AddField(root, "C", {0xABC}, 0xABC, 12, PF_MOTOROLA);  // bits 8-19, 12 bits never swapped
  AddField(root, "D", {0x55}, 0x55, 7);                  // bits 20-26: 1010101
  EXPECT_EQ(Image(root), (Bytes{0x0D, 0xBC, 0x5A, 0x05}));
}

TEST(AppParamEnumSingle, DataSerialize_NoDataSkipsItsBits) {
  CAppParamGroup root;
  AddField(root, "A", {3}, 3, 4);
  CAppParamEnumSingle* skipped = AddField(root, "B", {1, 15}, 15, 4, PF_NO_DATA);
  AddField(root, "C", {0xA5}, 0xA5, 8);
  AddField(root, "D", {1}, 1, 0);  // no bit size: no place in the image
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(record.GetPosition(), 16u);
  Bytes bytes;
  record.GetData(bytes);
  EXPECT_EQ(bytes, (Bytes{0x03, 0xA5}));

  record.SetData(Bytes{0x10, 0x00});  // B's bits hold 1: not read
  record.SetModeLoad(true);
  CapturedOutput out;
  root.DataSerialize(&record);
  EXPECT_EQ(skipped->GetCurrentIndex(), 1u);
  EXPECT_EQ(out.lines.size(), 2u);  // A and C read 0, which they do not list
}

TEST(AppParamEnumSingle, DataSerialize_LoadSelectsTheEntryOfTheImageValue) {
  CAppParamGroup root;
  CAppParamEnumSingle* a = AddField(root, "A", {1, 2, 5}, 1, 3);
  CAppParamEnumSingle* b = AddField(root, "B", {0x0102, 0x0201}, 0x0102, 16, PF_MOTOROLA);
  CAppParamEnumSingle* c = AddField(root, "C", {0x0102, 0x0201}, 0x0102, 16);
  // A = 5 in bits 0-2, B's word 0x0201 in bits 3-18, C's 0x0201 in 19-34.
  const Bytes image = {0x0D, 0x10, 0x08, 0x10, 0x00};
  CAppDataRecord record(true);
  record.SetData(image);
  CapturedOutput out;
  root.DataSerialize(&record);
  EXPECT_EQ(a->GetCurrentIndex(), 2u);
  EXPECT_EQ(b->GetCurrentIndex(), 0u);  // swapped back to 0x0102
  EXPECT_EQ(c->GetCurrentIndex(), 1u);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(Image(root), image);

  record.SetData(Bytes{0x07, 0, 0, 0, 0});  // A = 7, not listed
  record.SetModeLoad(true);
  a->DataSerialize(&record);
  EXPECT_EQ(a->GetCurrentIndex(), 0u);
  EXPECT_EQ(out.lines, Strings{"Erreur: La valeur 7 ne peut pas être affectée dans A () parce que "
                               "cette valeur n'est pas dans l'énumération."});
}

TEST(AppParamEnumSingle, DataSerialize_BadRecordOrSize_Throws) {
  auto e = MakeMode();
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  e->SetBitSize(8);
  EXPECT_EQ(CatchAppException([&] { e->DataSerialize(nullptr); }).GetMessage(), "Exception >Bad pointer");
  CAppDataRecord empty(true);
  EXPECT_EQ(CatchAppException([&] { e->DataSerialize(&empty); }).GetMessage(), "Exception >Size Error");
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
  e->SetBitSize(40);
  CAppDataRecord wide(false);
  EXPECT_EQ(CatchAppException([&] { e->DataSerialize(&wide); }).GetMessage(), "Exception >Size Error");
}
