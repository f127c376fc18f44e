#include "appconfig/AppRecord.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace {

// A node whose destruction is observable.
class CountedParam : public CAppParam {
public:
  explicit CountedParam(int* deaths) : m_deaths(deaths) {}
  ~CountedParam() override { ++*m_deaths; }

private:
  int* m_deaths;
};

// A field store: each field name holds its elements as text. A group
// field's elements are child keys; "!" makes the child creation throw.
using Store = std::map<std::string, std::vector<std::string>>;

template <class T>
std::string Text(const void* v) {
  return std::to_string(*static_cast<const T*>(v));
}

std::string ScalarToText(std::uint32_t type, const void* v) {
  switch (type) {
    case CAppRecord::FT_I1: return Text<signed char>(v);
    case CAppRecord::FT_UI1: return Text<unsigned char>(v);
    case CAppRecord::FT_I2: return Text<short>(v);
    case CAppRecord::FT_UI2: return Text<unsigned short>(v);
    case CAppRecord::FT_I4: return Text<std::int32_t>(v);
    case CAppRecord::FT_UI4: return Text<std::uint32_t>(v);
    case CAppRecord::FT_I8: return Text<std::int64_t>(v);
    case CAppRecord::FT_UI8: return Text<std::uint64_t>(v);
    case CAppRecord::FT_STRING: return *static_cast<const std::string*>(v);
    case CAppRecord::FT_FLAGS: return std::to_string(std::uint32_t{*static_cast<const CAppTools::Flags*>(v)});
    default: ADD_FAILURE() << "unexpected type " << type; return "";
  }
}

class SaveRecord : public CAppRecord {
public:
  void Serialize(void* value, unsigned index) override {
    const std::uint32_t type = GetType();
    visits.emplace_back(GetName(), type);
    EXPECT_EQ(index, store[GetName()].size());
    store[GetName()].push_back(type == FT_GROUP ? (*static_cast<CAppParam**>(value))->GetKey()
                                                : ScalarToText(type & ~std::uint32_t{FT_ARRAY}, value));
  }
  void Validate() override { ++validated; }

  Store store;
  std::vector<std::pair<std::string, std::uint32_t>> visits;
  int validated = 0;
};

class LoadRecord : public CAppRecord {
public:
  LoadRecord(Store s, CAppParamGroup::EN_ADD_MODE mode, int* deaths = nullptr)
      : store(std::move(s)), addMode(mode), m_deaths(deaths) {}

  bool IsModeLoad() override { return true; }
  CAppParamGroup::EN_ADD_MODE GetAddMode() override { return addMode; }
  bool GetField() override { return store.count(GetName()) != 0; }
  unsigned GetCount() override { return static_cast<unsigned>(store[GetName()].size()); }
  void Validate() override { ++validated; }
  void Serialize(void* value, unsigned index) override {
    const std::string& text = store[GetName()].at(index);
    switch (GetType()) {
      case FT_GROUP: {
        auto* child = new CountedParam(m_deaths);
        *static_cast<CAppParam**>(value) = child;
        if (text == "!") throw CAppException("AppRecordTest", 1, "child failed");
        child->SetKey(text);
        child->SetName("loaded " + text);
        break;
      }
      case FT_DWORDS: *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(std::stoul(text)); break;
      case FT_STRINGS: *static_cast<std::string*>(value) = text; break;
      case FT_VARIANT: static_cast<CAppVariant*>(value)->SetString(text); break;
      case FT_I4: *static_cast<std::int32_t*>(value) = std::stoi(text); break;
      default: ADD_FAILURE() << "unexpected type " << GetType();
    }
  }

  Store store;
  CAppParamGroup::EN_ADD_MODE addMode;
  int validated = 0;

private:
  int* m_deaths;
};

std::vector<std::string> Keys(const CAppParamGroup& group) {
  std::vector<std::string> keys;
  for (unsigned i = 0; i < group.GetCount(); ++i) keys.push_back(group.GetKeyAt(i));
  return keys;
}

}  // namespace

TEST(AppRecordDo, Scalars_TypeCodesAndValues) {
  signed char i1 = -1;
  unsigned char ui1 = 200;
  short i2 = -300;
  unsigned short ui2 = 60000;
  int i4 = -70000;
  unsigned int ui4 = 4000000000u;
  long long i8 = -5000000000LL;
  unsigned long long ui8 = 10000000000ULL;
  std::string text = "abc";
  CAppTools::Flags flags(0x0401u);
  long l = -2;  // takes the code of its width
  SaveRecord r;
  r.Do("i1", i1), r.Do("ui1", ui1), r.Do("i2", i2), r.Do("ui2", ui2), r.Do("i4", i4);
  r.Do("ui4", ui4), r.Do("i8", i8), r.Do("ui8", ui8), r.Do("text", text), r.Do("flags", flags);
  r.Do("l", l);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"i1", 0x10}, {"ui1", 0x11}, {"i2", 0x02}, {"ui2", 0x12}, {"i4", 0x03},
      {"ui4", 0x13}, {"i8", 0x14}, {"ui8", 0x15}, {"text", 0x800}, {"flags", 0x801},
      {"l", sizeof(long) == 8 ? 0x14u : 0x03u}};
  EXPECT_EQ(r.visits, expected);
  EXPECT_EQ(r.store["i2"], std::vector<std::string>{"-300"});
  EXPECT_EQ(r.store["ui8"], std::vector<std::string>{"10000000000"});
  EXPECT_EQ(r.store["flags"], std::vector<std::string>{"1025"});
  EXPECT_EQ(r.validated, 11);
}

TEST(AppRecordDo, ParamGroup_BaseFieldsFirstThenChildren) {
  CAppParamGroup group("Groupe");
  group.SetAt("A", new CAppParam);
  group.SetAt("B", new CAppParam);
  SaveRecord r;
  group.Serialize(&r);
  std::vector<std::string> names;
  for (const auto& v : r.visits) {
    if (names.empty() || names.back() != v.first) names.push_back(v.first);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias", "AutoIndex", "Parent", "Param"}));
  EXPECT_EQ(r.visits.back().second, 0x2802u);
  EXPECT_EQ(r.store["Param"], (std::vector<std::string>{"A", "B"}));
}

TEST(AppRecordDo, Arrays_SavedWithIndexAndResizedOnLoad) {
  std::vector<std::uint8_t> bytes = {9, 8};
  std::list<std::string> list = {"a", "b", "c"};
  SaveRecord save;
  save.Do("b", bytes);
  save.Do("l", list);
  EXPECT_EQ(save.store["b"], (std::vector<std::string>{"9", "8"}));
  EXPECT_EQ(save.store["l"], (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(save.visits.front().second, 0x2011u);
  EXPECT_EQ(save.visits.back().second, 0x2800u);

  std::vector<std::uint32_t> words = {1, 2, 3, 4, 5};
  std::vector<std::string> strings;
  LoadRecord load({{"w", {"7", "8"}}, {"s", {"x", "y", "z"}}, {"l", {"p", "q"}}}, CAppParamGroup::ADD_BY_KEY);
  load.Do("w", words);
  load.Do("s", strings);
  load.Do("l", list);
  EXPECT_EQ(words, (std::vector<std::uint32_t>{7, 8}));
  EXPECT_EQ(strings, (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(list, (std::list<std::string>{"p", "q"}));
  EXPECT_EQ(load.validated, 3);
}

TEST(AppRecordDo, MissingFieldUntouchedAndVariantEmptiedWithoutValue) {
  int value = 42;
  std::vector<std::uint32_t> words = {1};
  CAppVariant empty(std::int32_t{5});
  LoadRecord r({{"none", {}}}, CAppParamGroup::ADD_BY_KEY);
  r.Do("absent", value);
  r.Do("absent", words);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(words.size(), 1u);
  r.Do("none", empty);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(r.validated, 0);  // neither visit reaches Validate
}

TEST(AppRecordGetField, LoadRecordWithoutOverride_ThrowsError) {
  class BareLoadRecord : public CAppRecord {
  public:
    bool IsModeLoad() override { return true; }
    void Serialize(void*, unsigned) override { ADD_FAILURE() << "no field may be transferred"; }
  } r;
  int value = 0;
  const CAppException e = CatchAppException([&] { r.Do("x", value); });
  EXPECT_EQ(e.GetMessage(), "Exception >Error");
  EXPECT_EQ(e.GetPrgFile(), "AppRecord");
}

TEST(AppRecordGroupLoad, EveryAddMode_Table) {
  struct Row {
    const char* name;
    int mode;
    std::vector<std::string> loaded, keys;
    const char* nameOfFirst;
    int deaths;
    const char* error;  // nullptr: no throw
    const char* file;
  };
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
    LoadRecord r({{"Param", row.loaded}}, static_cast<CAppParamGroup::EN_ADD_MODE>(row.mode), &deaths);
    if (row.error == nullptr) {
      r.Do("Param", group);
      EXPECT_EQ(r.validated, 1) << row.name;
    } else {
      const CAppException e = CatchAppException([&] { r.Do("Param", group); });
      EXPECT_EQ(e.GetMessage(), row.error) << row.name;
      EXPECT_EQ(e.GetPrgFile(), row.file) << row.name;
      EXPECT_EQ(r.validated, 0) << row.name;
    }
    EXPECT_EQ(Keys(group), row.keys) << row.name;
    EXPECT_EQ(group.FindChild(group.GetKeyAt(0))->GetName(), row.nameOfFirst) << row.name;
    EXPECT_EQ(deaths, row.deaths) << row.name;
  }
}
