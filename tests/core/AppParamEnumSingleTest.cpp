#include "appconfig/AppParamEnumSingle.h"

#include <gtest/gtest.h>

#include <memory>

#include "FieldStoreRecord.h"
#include "TestSupport.h"

namespace {

using Strings = std::vector<std::string>;
using Indices = std::pair<std::uint32_t, std::uint32_t>;  // current, default
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

Indices IndicesOf(const CAppParamEnumSingle& e) { return {e.GetCurrentIndex(), e.GetDefaultIndex()}; }

Strings Texts(const CAppParamEnumSingle& e) {
  Strings texts;
  e.GetData(texts);
  return texts;
}

}  // namespace

TEST(AppParamEnumSingle, Serialize_FieldOrder) {
  FieldStoreRecord saved;
  MakeMode()->Serialize(&saved);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"Key", 0x800},      {"Name", 0x800},   {"Help", 0x800},   {"Flags", 0x801},
      {"Alias", 0x800},    {"Current", 0x13}, {"Default", 0x13}, {"Value", 0x2013},
      {"Comment", 0x2800}, {"BitSize", 0x13}, {"Unit", 0x800}};
  EXPECT_EQ(saved.fields, expected);
}

TEST(AppParamEnumSingle, SetVariant_SelectsFirstEntryWithTheValue) {
  auto e = MakeMode();
  e->AddEntry(20, "Moyen bis");
  e->AddEntry(0xFFFFFFFFu, "");
  EXPECT_EQ(e->GetFmtValue(), "???");  // nothing selected
  CapturedOutput out;
  e->SetVariant(CAppVariant(std::uint32_t{20}));
  EXPECT_EQ(e->GetFmtValue(), "Moyen");
  e->SetVariant(CAppVariant("30"));
  EXPECT_EQ(e->GetFmtValue(), "Rapide");
  e->SetVariant(CAppVariant(std::int32_t{-1}));
  EXPECT_EQ(e->GetFmtValue(), "-1");  // the text "%d" gives 0xFFFFFFFF
  e->SetVariant(CAppVariant("vingt"));  // no number: reported, selection kept
  EXPECT_EQ(e->GetCurrentIndex(), 4u);
  e->SetVariant(CAppVariant(std::uint32_t{25}));  // not listed: the first entry
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

  CAppParamEnumSingle empty;  // no entry to fall back on
  empty.SetDefaultValue(0);
  empty.SetVariant(CAppVariant(std::uint32_t{0}));
  EXPECT_EQ(IndicesOf(empty), Indices(kNone, kNone));
}

TEST(AppParamEnumSingle, Entries_BadIndexOrLength_ReportAndChangeNothing) {
  auto e = Load({{"Value", {"10", "20", "30"}}, {"Comment", {"Lent", "Moyen"}}});
  CapturedOutput out;
  std::uint32_t value = 7;
  std::string text = "inchangé";
  e->GetEntry(3, value, text);
  e->SetEntryText(3, "Turbo");
  e->SetData(std::string("Rapide"), 2);  // past the texts, though not the values
  e->SetData(std::vector<std::uint32_t>{1, 2});
  EXPECT_EQ(text + std::to_string(value), "inchangé7");
  const std::string param = " Mode (Mode de marche).";
  EXPECT_EQ(out.lines, (Strings{
      "Erreur: La valeur correspondant à l'index 3 n'existe pas dans" + param,
      "Erreur: Le texte Turbo ne peut pas être affecté à l'index 3 dans" + param,
      "Erreur: Index invalide (2) dans SetData pour le paramètre" + param,
      "Erreur: Taille des données incohérente dans SetData pour le paramètre" + param}));
  std::vector<std::uint32_t> values;
  e->GetData(values);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{10, 20, 30}));
  EXPECT_EQ(Texts(*e), (Strings{"Lent", "Moyen"}));
}

TEST(AppParamEnumSingle, Check_WritesMissingTextsAndMakesIndicesValid) {
  const Strings three = {"10", "20", "30"};
  const std::pair<FieldStore, Indices> rows[] = {
      {{{"Value", {"10", "20", "4294967295"}}}, {0, 0}},
      {{{"Value", three}, {"Current", {"5"}}, {"Default", {"1"}}}, {1, 1}},
      {{{"Value", three}, {"Current", {"2"}}, {"Default", {"9"}}}, {2, 2}},
      {{{"Value", {"7", "7"}}, {"Current", {"1"}}, {"Default", {"1"}}}, {0, 0}},  // first twin
      {{{"Current", {"0"}}, {"Default", {"3"}}}, {kNone, kNone}},
  };
  CapturedOutput out;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    auto e = Load(rows[i].first);
    e->Check();
    EXPECT_EQ(IndicesOf(*e), rows[i].second) << "row " << i;
    if (i == 0) { EXPECT_EQ(Texts(*e), (Strings{"10", "20", "-1"})); }  // texts written
  }
  EXPECT_TRUE(out.lines.empty());

  auto e = Load({{"Value", {"1", "2"}}, {"Comment", {"Un"}}, {"Current", {"8"}}});
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage() + " " + ex.GetPrgFile(),
            "Exception >Array Size Error AppParamEnumSingle");
  EXPECT_EQ(Texts(*e), Strings{"Un"});
  e->ModifyFlags(0, PF_NO_CHECK);
  e->_Check();  // the flag holds also when the class check is called alone
  EXPECT_EQ(e->GetCurrentIndex(), 8u);
}

