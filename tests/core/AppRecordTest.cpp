#include "appconfig/AppRecord.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FieldStoreRecord.h"
#include "TestSupport.h"

namespace {

// Also lists each transfer with its type code and saves children by key.
struct SaveRecord : StoreSaveRecord {
  void Serialize(void* value, unsigned index) override {
    visits.emplace_back(GetName(), GetType());
    if (GetType() != FT_GROUP) return StoreSaveRecord::Serialize(value, index);
    store[GetName()].push_back((*static_cast<CAppParam**>(value))->GetKey());
  }
  std::vector<std::pair<std::string, std::uint32_t>> visits;
};

// A group field's elements are child keys; "!" makes the child creation throw.
struct LoadRecord : StoreLoadRecord {
  LoadRecord(FieldStore s, int m, int* d = nullptr) : StoreLoadRecord(std::move(s)), mode(m), deaths(d) {}
  CAppParamGroup::EN_ADD_MODE GetAddMode() override { return static_cast<CAppParamGroup::EN_ADD_MODE>(mode); }
  void Validate() override { ++validated; }
  void Serialize(void* value, unsigned index) override {
    if (GetType() != FT_GROUP) return StoreLoadRecord::Serialize(value, index);
    const std::string& text = store[GetName()].at(index);
    auto* child = new CountedParam(deaths);
    *static_cast<CAppParam**>(value) = child;
    if (text == "!") throw CAppException("AppRecordTest", 1, "child failed");
    child->SetKey(text);
    child->SetName("loaded " + text);
  }
  int validated = 0, mode;
  int* deaths;
};

}  // namespace

TEST(AppRecordDo, Scalars_TypeCodesAndValues) {
  struct {
    signed char i1 = -1; unsigned char ui1 = 200; short i2 = -300; unsigned short ui2 = 60000; int i4 = -70000;
    unsigned int ui4 = 4000000000u; long long i8 = -5000000000LL; unsigned long long ui8 = 10000000000ULL;
    std::string text = "abc"; CAppTools::Flags flags{0x0401u}; long l = -2;  // long is a 32-bit field
  } v;
  SaveRecord r;
  r.Do("i1", v.i1), r.Do("ui1", v.ui1), r.Do("i2", v.i2), r.Do("ui2", v.ui2), r.Do("i4", v.i4), r.Do("ui4", v.ui4);
  r.Do("i8", v.i8), r.Do("ui8", v.ui8), r.Do("text", v.text), r.Do("flags", v.flags), r.Do("l", v.l);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"i1", 0x10}, {"ui1", 0x11}, {"i2", 0x02}, {"ui2", 0x12}, {"i4", 0x03},
      {"ui4", 0x13}, {"i8", 0x14}, {"ui8", 0x15}, {"text", 0x800}, {"flags", 0x801},
      {"l", 0x03}};
  EXPECT_EQ(r.visits, expected);
  EXPECT_EQ(r.store["i2"].at(0) + " " + r.store["ui8"].at(0) + " " + r.store["flags"].at(0), "-300 10000000000 1025");
  EXPECT_EQ(r.fields.size(), 11u);  // each validated
}

TEST(AppRecordDo, Arrays_SavedWithIndexAndResizedOnLoad) {
  std::vector<std::uint8_t> bytes = {9, 8};
  std::list<std::string> list = {"a", "b", "c"};
  SaveRecord save;
  save.Do("b", bytes), save.Do("l", list);
  EXPECT_EQ(save.store, (FieldStore{{"b", {"9", "8"}}, {"l", {"a", "b", "c"}}}));
  EXPECT_EQ(save.visits, (std::vector<std::pair<std::string, std::uint32_t>>{{"b", 0x2011u}, {"b", 0x2011u},
                                                                             {"l", 0x2800u}, {"l", 0x2800u}, {"l", 0x2800u}}));

  std::vector<std::uint32_t> words = {1, 2, 3, 4, 5};
  std::vector<std::string> strings;
  LoadRecord load({{"w", {"7", "8"}}, {"s", {"x", "y", "z"}}, {"l", {"p", "q"}}}, 0);
  load.Do("w", words), load.Do("s", strings), load.Do("l", list);
  EXPECT_EQ(std::tuple(words, strings, list, load.validated),
            std::tuple(std::vector<std::uint32_t>{7, 8}, std::vector<std::string>{"x", "y", "z"},
                       std::list<std::string>{"p", "q"}, 3));
}

// A missing field is left alone, a variant without value emptied; GetField must be supplied for load.
TEST(AppRecordDo, MissingFieldUntouchedVariantEmptiedAndBareLoadRecordThrows) {
  int value = 42;
  std::vector<std::uint32_t> words = {1};
  CAppVariant empty(std::int32_t{5});
  LoadRecord r({{"none", {}}}, 0);
  r.Do("absent", value), r.Do("absent", words), r.Do("none", empty);
  EXPECT_EQ(std::tuple(value, words, empty.IsEmpty(), r.validated), std::tuple(42, std::vector<std::uint32_t>{1}, true, 0));
  struct BareLoadRecord : CAppRecord {
    bool IsModeLoad() override { return true; }
    void Serialize(void*, unsigned) override { ADD_FAILURE() << "no field may be transferred"; }
  } bare;
  const CAppException e = CatchAppException([&] { bare.Do("x", value); });
  EXPECT_EQ(e.GetMessage() + "|" + e.GetPrgFile(), "Exception >Error|AppRecord");
}

TEST(AppRecordGroupLoad, EveryAddMode_Table) {
  struct Row { const char* name; int mode; std::vector<std::string> loaded, keys; const char* nameOfFirst; int deaths;
               const char* error; const char* file; };  // error nullptr: no throw
  const Row rows[] = {
      {"by key drops duplicates", 0, {"A", "B", "b"}, {"A", "B"}, "loaded A", 3, nullptr, ""},
      {"auto index", 1, {"P", "P"}, {"P_0", "P_1"}, "loaded P", 2, nullptr, ""},
      {"merge keeps existing", 2, {"a", "C"}, {"A", "Z", "C"}, "existing A", 1, nullptr, ""},
      {"other mode", 3, {"B"}, {"A", "Z"}, "existing A", 0, "Exception >Invalid Data", "AppRecord"},
      // A and Z are removed first, then the failed child; B stays.
      {"throwing child", 0, {"B", "!", "C"}, {"B"}, "loaded B", 3, "Exception >child failed", "AppRecordTest"},
  };
  for (const Row& row : rows) {
    int deaths = 0;
    CAppParamGroup group;
    group.SetAt("A", new CountedParam(&deaths))->SetName("existing A");
    group.SetAt("Z", new CountedParam(&deaths));
    LoadRecord r({{"Param", row.loaded}}, row.mode, &deaths);
    if (row.error == nullptr) {
      r.Do("Param", group);
    } else {
      const CAppException e = CatchAppException([&] { r.Do("Param", group); });
      EXPECT_EQ(e.GetMessage() + "|" + e.GetPrgFile(), std::string(row.error) + "|" + row.file) << row.name;
    }
    EXPECT_EQ(std::tuple(KeysOf(group), group.FindChild(group.GetKeyAt(0))->GetName(), deaths, r.validated),
              std::tuple(row.keys, std::string(row.nameOfFirst), row.deaths, row.error == nullptr ? 1 : 0)) << row.name;
  }
}
