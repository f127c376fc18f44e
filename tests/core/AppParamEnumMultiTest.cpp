#include "appconfig/AppParamEnumMulti.h"

#include <gtest/gtest.h>

#include <memory>

#include "FieldStoreRecord.h"
#include "TestSupport.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kParam = " pour le paramètre Options (Options actives).";

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
  const FieldStore arrays = {{"Current", {"1", "0"}}, {"Default", {"0", "1"}},
                             {"Value", {"100", "2147483648"}}, {"Comment", {"A", "-2147483648"}}};
  EXPECT_EQ(Saved(*Load(saved.store)), arrays);
}

TEST(AppParamEnumMulti, Entries_InvalidIndexReportsAndChangesNothing) {
  auto e = MakeOptions();
  CapturedOutput out;
  std::uint32_t def = 7, cur = 7, value = 7;
  std::string text = "inchangé";
  e->GetEntry(3, def, cur, value, text);
  EXPECT_EQ(text + std::to_string(def + cur + value), "inchangé21");
  EXPECT_EQ(e->GetNumber(3), 0u);
  e->SetNumber(3, 1);
  EXPECT_EQ(e->GetDefaultValue(4), 0u);
  e->SetDefaultValue(4, 1);
  EXPECT_EQ(e->GetVariant(3), CAppVariant(std::int32_t{0}));
  e->SetVariant(CAppVariant(std::uint32_t{1}), 3);
  e->SetData(std::uint32_t{1}, 3);
  e->SetData(Strings{"x"});
  ASSERT_EQ(out.lines.size(), 9u);
  EXPECT_EQ((Strings{out.lines[0], out.lines[4], out.lines[7], out.lines[8]}),
            (Strings{"Erreur: Index invalide (3)" + kParam, "Erreur: Index invalide (4)" + kParam,
                     "Erreur: Index invalide (3) dans SetData" + kParam,
                     "Erreur: Taille des données incohérente dans SetData" + kParam}));
  EXPECT_EQ(Saved(*e), Saved(*MakeOptions()));
  EXPECT_EQ(e->GetIndex(300), 2u);
  EXPECT_EQ(e->GetIndex(400), 65535u);
}

TEST(AppParamEnumMulti, FmtValue_SelectedTextsCutPastTwentyCharacters) {
  EXPECT_EQ(MakeOptions()->GetFmtValue(), "A, C");
  auto longer = Load({{"Current", {"1", "1", "0", "1", "1"}},
                      {"Comment", {"Entrée 1", "Sortie 2", "Ignorée", "ab", "Jamais"}}});
  EXPECT_EQ(longer->GetFmtValue(), "Entrée 1, Sortie 2, ...");  // 22 characters cut to 20
}

TEST(AppParamEnumMulti, Check_ArraysTakeTheFirstLengthOrThrow) {
  auto fromDefaults = Load({{"Value", {"1", "2", "3"}}, {"Default", {"0", "1", "1"}}});
  fromDefaults->Check();
  EXPECT_EQ(Saved(*fromDefaults),
            (FieldStore{{"Current", {"0", "1", "1"}}, {"Default", {"0", "1", "1"}},
                        {"Value", {"1", "2", "3"}}, {"Comment", {"", "", ""}}}));
  auto kept = Load({{"Current", {"1", "0"}}, {"Comment", {"X", "Y"}}});
  kept->Check();
  EXPECT_EQ(Saved(*kept), (FieldStore{{"Current", {"1", "0"}}, {"Default", {"0", "0"}},
                                      {"Value", {"0", "0"}}, {"Comment", {"X", "Y"}}}));

  auto e = Load({{"Default", {"1", "0"}}, {"Value", {"1", "2", "3"}}});
  const FieldStore before = Saved(*e);
  const CAppException ex = CatchAppException([&] { e->Check(); });
  EXPECT_EQ(ex.GetMessage() + " " + ex.GetPrgFile(),
            "Exception >Array Size Error AppParamEnumMulti");
  EXPECT_EQ(Saved(*e), before);
}
