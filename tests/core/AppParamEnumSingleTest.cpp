#include "appconfig/AppParamEnumSingle.h"

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

constexpr std::uint32_t kNone = CAppParamEnumSingle::kNoIndex;

// "Mode" (Mode de marche): 10 Lent, 20 Moyen, 30 Rapide.
std::unique_ptr<CAppParamEnumSingle> MakeMode() {
  auto e = std::make_unique<CAppParamEnumSingle>();
  e->SetKey("Mode");
  e->SetName("Mode de marche");
  e->AddEntry(10, "Lent");
  e->AddEntry(20, "Moyen");
  e->AddEntry(30, "Rapide");
  return e;
}

// An enumeration filled the way a description file fills it.
std::unique_ptr<CAppParamEnumSingle> Load(const FieldStore& fields) {
  auto e = std::make_unique<CAppParamEnumSingle>();
  FieldStoreLoadRecord record(fields);
  e->Serialize(&record);
  return e;
}

// A checked enumeration of `bits` bits whose entries are `values`, the
// current one being `current`.
CAppParamEnumSingle* AddField(CAppParamGroup& group, const std::string& key,
                              std::vector<std::uint32_t> values, std::uint32_t current,
                              unsigned bits, std::uint32_t flags = 0) {
  auto* e = new CAppParamEnumSingle;
  for (std::uint32_t v : values) e->AddEntry(v, "");
  e->SetBitSize(bits);
  e->ModifyFlags(0, flags);
  e->SetVariant(CAppVariant(current));
  return group.SetAt(key, e);
}

std::vector<std::uint8_t> Image(CAppParam& root) {
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  std::vector<std::uint8_t> bytes;
  record.GetData(bytes);
  return bytes;
}

using Bytes = std::vector<std::uint8_t>;

}  // namespace

// --- Registration and slots ------------------------------------------------------

TEST(AppParamEnumSingle, ResourcesInit_ProfileLinkAndIcons) {
  CAppResources res;
  res.Init();
  std::string value;
  EXPECT_TRUE(res.FindName("CAppParamEnumSingle\\SYS_LINK_0", value));
  EXPECT_EQ(value, "EnumSingle");
  EXPECT_TRUE(res.FindName("CAppParamEnumSingle\\SYS_ICON_VALUE", value));
  EXPECT_EQ(value, "Param EnumSingle");
  const std::vector<CAppIcon>& images = res.GetImageList();
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumSingle", "")).resourceId, 13607u);
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumSingle", "RO")).resourceId, 13613u);
  EXPECT_EQ(images.at(res.GetImageIndex("Param EnumSingle", "EX")).resourceId, 13630u);

  EXPECT_EQ(CAppDynamic::GetClassByAlias("EnumSingle", "Param "), "CAPPPARAMENUMSINGLE");
  std::unique_ptr<CAppObject> created(
      CAppDynamic::_GetRegisterClass("cappparamenumsingle", APP_RUNTIME_CLASS(CAppParam)));
  ASSERT_NE(AppDynamicCast<CAppParamEnumSingle>(created.get()), nullptr);
  EXPECT_EQ(CAppDynamic::GetClassIndex(static_cast<CAppParam*>(created.get())), 5u);
}

TEST(AppParamEnumSingle, Slots_IndexedValueOperationsStayUnsupported) {
  auto e = MakeMode();
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParamEnumSingle key: Mode";
  const std::string set = "SetVariant not supported for class : CAppParamEnumSingle key: Mode";
  const std::uint32_t gets = log.CountOf(get), sets = log.CountOf(set);
  EXPECT_TRUE(e->GetVariant(1).IsEmpty());
  e->SetVariant(CAppVariant(std::uint32_t{30}), 1);
  EXPECT_EQ(log.CountOf(get), gets + 1);
  EXPECT_EQ(log.CountOf(set), sets + 1);
  EXPECT_EQ(e->GetCurrentIndex(), 1u);  // the indexed form changed nothing

  // Its own slots do not trace.
  const std::string bits = "GetBitSize not supported for class : CAppParamEnumSingle key: Mode";
  e->SetBitSize(12);
  EXPECT_EQ(e->GetBitSize(), 12u);
  EXPECT_EQ(log.CountOf(bits), 0u);
  EXPECT_EQ(e->GetVariant().GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(e->GetVariant().GetUInt64(), 20u);
}

TEST(AppParamEnumSingle, Serialize_FieldOrderAndTypes) {
  auto e = MakeMode();
  FieldStoreSaveRecord record;
  e->Serialize(&record);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"Key", 0x800},     {"Name", 0x800},      {"Help", 0x800},      {"Flags", 0x801},
      {"Alias", 0x800},   {"Current", 0x13},    {"Default", 0x13},    {"Value", 0x2013},
      {"Comment", 0x2800}, {"BitSize", 0x13},   {"Unit", 0x800}};
  EXPECT_EQ(record.fields, expected);
  EXPECT_EQ(record.store["Current"], std::vector<std::string>{"4294967295"});
  EXPECT_EQ(record.store["Value"], (std::vector<std::string>{"10", "20", "30"}));
}

TEST(AppParamEnumSingle, Serialize_RoundTrip) {
  auto e = MakeMode();
  e->SetBitSize(6);
  e->SetUnit("tr/min");
  e->ModifyFlags(0, PF_MOTOROLA);
  e->SetVariant(CAppVariant(std::uint32_t{30}));
  e->SetDefaultValue(20);
  FieldStoreSaveRecord saved;
  e->Serialize(&saved);

  auto copy = Load(saved.store);
  EXPECT_EQ(copy->GetKey(), "Mode");
  EXPECT_EQ(copy->GetCurrentIndex(), 2u);
  EXPECT_EQ(copy->GetDefaultIndex(), 1u);
  EXPECT_EQ(copy->GetBitSize(), 6u);
  EXPECT_EQ(copy->GetUnit(), "tr/min");
  EXPECT_TRUE(copy->IsFlagsEnable(PF_MOTOROLA));
  EXPECT_EQ(copy->GetFmtValue(), "Rapide");
  std::vector<std::string> texts;
  copy->GetData(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"Lent", "Moyen", "Rapide"}));
}

// --- Entries and values -----------------------------------------------------------

TEST(AppParamEnumSingle, AddEntry_EmptyTextIsTheSignedDecimalValue) {
  CAppParamEnumSingle e;
  e.AddEntry(42, "");
  e.AddEntry(0xFFFFFFFFu, "");
  std::vector<std::string> texts;
  e.GetData(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"42", "-1"}));
}

TEST(AppParamEnumSingle, SetVariant_ValueSelectsFirstEntryWithIt) {
  auto e = MakeMode();
  e->AddEntry(20, "Moyen bis");
  CapturedOutput out;
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
  e->SetVariant(CAppVariant("30"));  // a number as text
  EXPECT_EQ(e->GetCurrentIndex(), 2u);
  e->SetVariant(CAppVariant(10.0));
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(e->GetFmtValue(), "Lent");
}

TEST(AppParamEnumSingle, SetVariant_NegativeValueMatchesItsUnsignedWord) {
  CAppParamEnumSingle e;
  e.AddEntry(1, "Un");
  e.AddEntry(0xFFFFFFFFu, "Aucun");
  e.SetVariant(CAppVariant(std::int32_t{-1}));
  EXPECT_EQ(e.GetCurrentIndex(), 1u);
}

TEST(AppParamEnumSingle, SetVariant_ValueNotListed_ReportsAndSelectsFirst) {
  auto e = MakeMode();
  e->SetVariant(CAppVariant(std::uint32_t{30}));
  CapturedOutput out;
  e->SetVariant(CAppVariant(std::uint32_t{25}));
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: La valeur 25 ne peut pas être affectée dans Mode (Mode de marche) parce que "
            "cette valeur n'est pas dans l'énumération.");

  CAppParamEnumSingle empty;
  empty.SetKey("Vide");
  empty.SetVariant(CAppVariant(std::uint32_t{1}));
  EXPECT_EQ(empty.GetCurrentIndex(), kNone);
  EXPECT_EQ(out.lines.size(), 2u);
}

TEST(AppParamEnumSingle, SetVariant_TextThatIsNoNumber_KeepsSelection) {
  auto e = MakeMode();
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  CapturedOutput out;
  e->SetVariant(CAppVariant("vingt"));
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0], "Erreur: Erreur dans le changement du type d'un variant.");
}

TEST(AppParamEnumSingle, GetVariantAndFmtValue_WithoutCurrentEntry) {
  auto e = MakeMode();
  EXPECT_TRUE(e->GetVariant().IsEmpty());
  EXPECT_EQ(e->GetFmtValue(), "???");
}

TEST(AppParamEnumSingle, SetDefaultValue_NotListed_ReportsAndFallsBack) {
  auto e = MakeMode();
  CapturedOutput out;
  e->SetDefaultValue(30);
  EXPECT_EQ(e->GetDefaultIndex(), 2u);
  EXPECT_EQ(e->GetDefaultValue(), 30u);
  e->SetDefaultValue(99);
  EXPECT_EQ(e->GetDefaultIndex(), 0u);
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: La valeur par défaut 99 ne peut pas être affectée dans Mode (Mode de marche) "
            "parce que cette valeur n'est pas dans l'énumération.");

  CAppParamEnumSingle empty;
  empty.SetDefaultValue(0);
  EXPECT_EQ(empty.GetDefaultIndex(), kNone);
  EXPECT_EQ(empty.GetDefaultValue(), 0u);
  EXPECT_EQ(out.lines.size(), 2u);
}

TEST(AppParamEnumSingle, LoadDefault_BothDirections) {
  auto e = MakeMode();
  e->SetDefaultValue(20);
  e->LoadDefault(false);
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
  e->SetVariant(CAppVariant(std::uint32_t{30}));
  e->LoadDefault(true);
  EXPECT_EQ(e->GetDefaultIndex(), 2u);
}

TEST(AppParamEnumSingle, GetEntry_InvalidIndex_ReportsAndLeavesOutputs) {
  auto e = MakeMode();
  CapturedOutput out;
  std::uint32_t value = 7;
  std::string text = "inchangé";
  e->GetEntry(2, value, text);
  EXPECT_EQ(value, 30u);
  EXPECT_EQ(text, "Rapide");
  value = 7;
  text = "inchangé";
  e->GetEntry(3, value, text);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(text, "inchangé");
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: La valeur correspondant à l'index 3 n'existe pas dans Mode (Mode de marche).");
}

TEST(AppParamEnumSingle, SetEntryText_InvalidIndex_Reports) {
  auto e = MakeMode();
  CapturedOutput out;
  e->SetEntryText(1, "Normal");
  e->SetEntryText(3, "Turbo");
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: Le texte Turbo ne peut pas être affecté à l'index 3 dans Mode (Mode de marche).");
  std::vector<std::string> texts;
  e->GetData(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"Lent", "Normal", "Rapide"}));
}

TEST(AppParamEnumSingle, SetEntryText_ValuesWithoutTexts_GrowsTheTexts) {
  auto e = Load({{"Value", {"1", "2"}}});
  e->SetEntryText(1, "Deux");
  std::vector<std::string> texts;
  e->GetData(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"", "Deux"}));
}

TEST(AppParamEnumSingle, SetData_IndexPastItsArray_Reports) {
  auto e = Load({{"Key", {"Mode"}}, {"Name", {"Mode de marche"}}, {"Value", {"1", "2"}},
                 {"Comment", {"Un"}}});
  CapturedOutput out;
  e->SetData(std::uint32_t{5}, 1);
  e->SetData(std::string("Deux"), 1);  // only one text so far
  e->SetData(std::uint32_t{6}, 2);
  ASSERT_EQ(out.lines.size(), 2u);
  EXPECT_EQ(out.lines[0], "Erreur: Index invalide (1) dans SetData pour le paramètre Mode (Mode de marche).");
  EXPECT_EQ(out.lines[1], "Erreur: Index invalide (2) dans SetData pour le paramètre Mode (Mode de marche).");
  std::vector<std::uint32_t> values;
  e->GetData(values);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{1, 5}));
}

TEST(AppParamEnumSingle, SetData_ArrayOfOtherLength_ReportsAndKeepsArray) {
  auto e = MakeMode();
  CapturedOutput out;
  e->SetData(std::vector<std::uint32_t>{1, 2, 3});
  e->SetData(std::vector<std::string>{"a", "b"});
  e->SetData(std::vector<std::uint32_t>{1, 2});
  ASSERT_EQ(out.lines.size(), 2u);
  EXPECT_EQ(out.lines[0], "Erreur: Taille des données incohérente dans SetData pour le paramètre Mode (Mode de marche).");
  std::vector<std::uint32_t> values;
  std::vector<std::string> texts;
  e->GetData(values);
  e->GetData(texts);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(texts, (std::vector<std::string>{"Lent", "Moyen", "Rapide"}));
}

// --- Check --------------------------------------------------------------------------

TEST(AppParamEnumSingle, Check_ValuesWithoutTexts_WritesTextsAndSelectsFirst) {
  auto e = Load({{"Value", {"10", "20", "30"}}});
  CapturedOutput out;
  e->Check();
  std::vector<std::string> texts;
  e->GetData(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"10", "20", "30"}));
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  EXPECT_EQ(e->GetDefaultIndex(), 0u);
  EXPECT_TRUE(out.lines.empty());
}

TEST(AppParamEnumSingle, Check_InvalidIndices_FallBackOnEachOther) {
  auto current = Load({{"Value", {"10", "20", "30"}}, {"Current", {"5"}}, {"Default", {"1"}}});
  current->_Check();
  EXPECT_EQ(current->GetCurrentIndex(), 1u);
  EXPECT_EQ(current->GetDefaultIndex(), 1u);

  auto def = Load({{"Value", {"10", "20", "30"}}, {"Current", {"2"}}, {"Default", {"9"}}});
  def->_Check();
  EXPECT_EQ(def->GetCurrentIndex(), 2u);
  EXPECT_EQ(def->GetDefaultIndex(), 2u);
}

TEST(AppParamEnumSingle, Check_EqualValuesResolveToFirst) {
  auto e = Load({{"Value", {"7", "7"}}, {"Current", {"1"}}, {"Default", {"1"}}});
  e->_Check();
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  EXPECT_EQ(e->GetDefaultIndex(), 0u);
}

TEST(AppParamEnumSingle, Check_TextsNotOnePerValue_ThrowsAndKeepsArrays) {
  auto e = Load({{"Value", {"1", "2"}}, {"Comment", {"Un"}}, {"Current", {"1"}}});
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage(), "Exception >Array Size Error");
  EXPECT_EQ(ex.GetPrgFile(), "AppParamEnumSingle");
  std::vector<std::string> texts;
  e->GetData(texts);
  EXPECT_EQ(texts, std::vector<std::string>{"Un"});
  EXPECT_EQ(e->GetCurrentIndex(), 1u);
}

TEST(AppParamEnumSingle, Check_NoEntries_NoSelectionNoMessage) {
  auto e = Load({{"Current", {"0"}}, {"Default", {"3"}}});
  CapturedOutput out;
  e->_Check();
  EXPECT_EQ(e->GetCurrentIndex(), kNone);
  EXPECT_EQ(e->GetDefaultIndex(), kNone);
  EXPECT_TRUE(out.lines.empty());
}

TEST(AppParamEnumSingle, Check_NoCheckFlag_SkipsOwnCheckToo) {
  auto e = Load({{"Value", {"1", "2"}}, {"Comment", {"Un"}}, {"Current", {"8"}}});
  e->ModifyFlags(0, PF_NO_CHECK);
  e->Check();
  e->_Check();  // also when called on its own
  EXPECT_EQ(e->GetCurrentIndex(), 8u);
}

// --- Data image ---------------------------------------------------------------------

TEST(AppParamEnumSingle, DataSerialize_SixteenBitsBothByteOrders) {
  CAppParamGroup root;
  AddField(root, "Intel", {0x1234}, 0x1234, 16);
  AddField(root, "Moto", {0x1234}, 0x1234, 16, PF_MOTOROLA);
  EXPECT_EQ(Image(root), (Bytes{0x34, 0x12, 0x12, 0x34}));
}

TEST(AppParamEnumSingle, DataSerialize_TwentyFourAndThirtyTwoBitsMotorola) {
  CAppParamGroup root;
  AddField(root, "A", {0x123456}, 0x123456, 24, PF_MOTOROLA);
  AddField(root, "B", {0x11223344}, 0x11223344, 32, PF_MOTOROLA);
  AddField(root, "C", {0x11223344}, 0x11223344, 32);
  EXPECT_EQ(Image(root), (Bytes{0x12, 0x34, 0x56, 0x11, 0x22, 0x33, 0x44, 0x44, 0x33, 0x22, 0x11}));
}

TEST(AppParamEnumSingle, DataSerialize_OddSizesArePackedWithoutPadding) {
  CAppParamGroup root;
  AddField(root, "A", {4, 5}, 5, 3);               // bits 0-2: 101
  AddField(root, "B", {1}, 1, 5);                  // bits 3-7: 00001
  AddField(root, "C", {0xABC}, 0xABC, 12, PF_MOTOROLA);  // 12 bits are never swapped
  AddField(root, "D", {0x55}, 0x55, 7);            // bits 20-26 across bytes 2 and 3
  // byte 0: 0000 1101; bytes 1-2: BC, then C's top nibble A with D's low
  // bits 0101 above it; byte 3: D's top bits 101.
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

  // Loading does not read it either: the image's 1 would select entry 0.
  record.SetData(Bytes{0x01, 0x00});
  record.SetModeLoad(true);
  CapturedOutput out;
  skipped->DataSerialize(&record);
  EXPECT_EQ(skipped->GetCurrentIndex(), 1u);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(record.GetPosition(), 4u);
}

TEST(AppParamEnumSingle, DataSerialize_LoadSelectsEntryOfImageValue) {
  CAppParamGroup root;
  CAppParamEnumSingle* a = AddField(root, "A", {1, 2, 5}, 1, 3);
  CAppParamEnumSingle* b = AddField(root, "B", {0x0102, 0x0201}, 0x0102, 16, PF_MOTOROLA);
  CAppParamEnumSingle* c = AddField(root, "C", {0x0102, 0x0201}, 0x0102, 16);
  // A: bits 0-2 = 101; B from bits 3-18 and C from bits 19-34.
  const Bytes image = {0x0D, 0x10, 0x08, 0x10, 0x00};
  CAppDataRecord record(true);
  record.SetData(image);
  CapturedOutput out;
  root.DataSerialize(&record);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(a->GetCurrentIndex(), 2u);
  EXPECT_EQ(b->GetCurrentIndex(), 0u);  // bytes 01 02 read big-endian
  EXPECT_EQ(c->GetCurrentIndex(), 1u);  // bytes 01 02 read little-endian
  EXPECT_EQ(Image(root), image);
}

TEST(AppParamEnumSingle, DataSerialize_LoadValueNotListed_ReportsAndSelectsFirst) {
  CAppParamEnumSingle e;
  e.SetKey("Vitesse");
  e.SetName("Vitesse");
  e.AddEntry(1, "");
  e.AddEntry(2, "");
  e.SetBitSize(8);
  e.SetVariant(CAppVariant(std::uint32_t{2}));
  CAppDataRecord record(true);
  record.SetData(Bytes{0x07});
  CapturedOutput out;
  e.DataSerialize(&record);
  EXPECT_EQ(e.GetCurrentIndex(), 0u);
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: La valeur 7 ne peut pas être affectée dans Vitesse (Vitesse) parce que cette "
            "valeur n'est pas dans l'énumération.");
}

TEST(AppParamEnumSingle, DataSerialize_BadRecordOrSize_Throws) {
  auto e = MakeMode();
  e->SetVariant(CAppVariant(std::uint32_t{10}));
  e->SetBitSize(8);
  EXPECT_EQ(CatchAppException([&] { e->DataSerialize(nullptr); }).GetMessage(), "Exception >Bad pointer");
  CAppDataRecord shortImage(true);
  shortImage.SetData(Bytes{});
  const CAppException tooShort = CatchAppException([&] { e->DataSerialize(&shortImage); });
  EXPECT_EQ(tooShort.GetMessage(), "Exception >Size Error");
  EXPECT_EQ(e->GetCurrentIndex(), 0u);
  e->SetBitSize(40);
  CAppDataRecord wide(false);
  EXPECT_EQ(CatchAppException([&] { e->DataSerialize(&wide); }).GetMessage(), "Exception >Size Error");
}
