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

std::string ScalarToText(std::uint32_t type, const void* v) {
  switch (type) {
    case CAppRecord::FT_I1: return std::to_string(*static_cast<const signed char*>(v));
    case CAppRecord::FT_UI1: return std::to_string(*static_cast<const unsigned char*>(v));
    case CAppRecord::FT_I2: return std::to_string(*static_cast<const short*>(v));
    case CAppRecord::FT_UI2: return std::to_string(*static_cast<const unsigned short*>(v));
    case CAppRecord::FT_I4: return std::to_string(*static_cast<const std::int32_t*>(v));
    case CAppRecord::FT_UI4: return std::to_string(*static_cast<const std::uint32_t*>(v));
    case CAppRecord::FT_I8: return std::to_string(*static_cast<const std::int64_t*>(v));
    case CAppRecord::FT_UI8: return std::to_string(*static_cast<const std::uint64_t*>(v));
    case CAppRecord::FT_STRING: return *static_cast<const std::string*>(v);
    case CAppRecord::FT_FLAGS:
      return std::to_string(static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(v)));
    case CAppRecord::FT_VARIANT: return static_cast<const CAppVariant*>(v)->ToString();
    default: ADD_FAILURE() << "unexpected type " << type; return "";
  }
}

class SaveRecord : public CAppRecord {
public:
  void Serialize(void* value, unsigned index) override {
    const std::uint32_t type = GetType();
    visits.emplace_back(GetName(), type);
    EXPECT_EQ(index, store[GetName()].size());
    if (type == FT_GROUP) {
      store[GetName()].push_back((*static_cast<CAppParam**>(value))->GetKey());
    } else {
      store[GetName()].push_back(ScalarToText(type & ~std::uint32_t{FT_ARRAY}, value));
    }
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
      case FT_STRING: *static_cast<std::string*>(value) = text; break;
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

// A load record that leaves GetField to the base.
class BareLoadRecord : public CAppRecord {
public:
  bool IsModeLoad() override { return true; }
  void Serialize(void*, unsigned) override { ADD_FAILURE() << "no field may be transferred"; }
};

struct AllScalars {
  signed char i1 = -1;
  unsigned char ui1 = 200;
  short i2 = -300;
  unsigned short ui2 = 60000;
  int i4 = -70000;
  unsigned int ui4 = 4000000000u;
  long long i8 = -5000000000LL;
  unsigned long long ui8 = 10000000000ULL;
  std::string text = "abc";
  CAppTools::Flags flags;

  void Serialize(CAppRecord* r) {
    r->Do("i1", i1);
    r->Do("ui1", ui1);
    r->Do("i2", i2);
    r->Do("ui2", ui2);
    r->Do("i4", i4);
    r->Do("ui4", ui4);
    r->Do("i8", i8);
    r->Do("ui8", ui8);
    r->Do("text", text);
    r->Do("flags", flags);
  }
};

std::vector<std::string> Keys(const CAppParamGroup& group) {
  std::vector<std::string> keys;
  for (unsigned i = 0; i < group.GetCount(); ++i) keys.push_back(group.GetKeyAt(i));
  return keys;
}

}  // namespace

TEST(AppRecordDo, Scalars_TypeCodesAndValues) {
  AllScalars s;
  s.flags = 0x0401u;
  SaveRecord r;
  s.Serialize(&r);
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"i1", 0x10}, {"ui1", 0x11}, {"i2", 0x02}, {"ui2", 0x12}, {"i4", 0x03},
      {"ui4", 0x13}, {"i8", 0x14}, {"ui8", 0x15}, {"text", 0x800}, {"flags", 0x801}};
  EXPECT_EQ(r.visits, expected);
  EXPECT_EQ(r.store["i2"], std::vector<std::string>{"-300"});
  EXPECT_EQ(r.store["ui8"], std::vector<std::string>{"10000000000"});
  EXPECT_EQ(r.store["flags"], std::vector<std::string>{"1025"});
  EXPECT_EQ(r.validated, 10);
}

TEST(AppRecordDo, Long_TakesTheCodeOfItsWidth) {
  long l = -2;
  unsigned long ul = 3;
  SaveRecord r;
  r.Do("l", l);
  r.Do("ul", ul);
  const std::uint32_t wide = sizeof(long) == 8 ? 0x14 : 0x03;
  EXPECT_EQ(r.visits[0].second, wide);
  EXPECT_EQ(r.visits[1].second, wide | 0x01);
  EXPECT_EQ(r.store["l"], std::vector<std::string>{"-2"});
}

TEST(AppRecordDo, ParamGroup_BaseFieldsFirstThenChildren) {
  CAppParamGroup group("Groupe");
  group.SetKey("G");
  group.SetAt("A", new CAppParam);
  group.SetAt("B", new CAppParam);
  SaveRecord r;
  group.Serialize(&r);
  std::vector<std::string> names;
  for (const auto& v : r.visits) {
    if (names.empty() || names.back() != v.first) names.push_back(v.first);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias", "AutoIndex",
                                             "Parent", "Param"}));
  EXPECT_EQ(r.visits.back().second, 0x2802u);
  EXPECT_EQ(r.store["Param"], (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(r.store["Name"], std::vector<std::string>{"Groupe"});
}

TEST(AppRecordDo, Arrays_ResizedToSourceCountOnLoad) {
  std::vector<std::uint32_t> words = {1, 2, 3, 4, 5};
  std::vector<std::string> strings;
  std::list<std::string> list = {"old"};
  LoadRecord r({{"w", {"7", "8"}}, {"s", {"x", "y", "z"}}, {"l", {"p", "q"}}}, CAppParamGroup::ADD_BY_KEY);
  r.Do("w", words);
  r.Do("s", strings);
  r.Do("l", list);
  EXPECT_EQ(words, (std::vector<std::uint32_t>{7, 8}));
  EXPECT_EQ(strings, (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(list, (std::list<std::string>{"p", "q"}));
  EXPECT_EQ(r.validated, 3);
}

TEST(AppRecordDo, Arrays_SaveEveryElementWithItsIndex) {
  std::vector<std::uint8_t> bytes = {9, 8};
  std::list<std::string> list = {"a", "b", "c"};
  SaveRecord r;
  r.Do("b", bytes);
  r.Do("l", list);
  EXPECT_EQ(r.store["b"], (std::vector<std::string>{"9", "8"}));
  EXPECT_EQ(r.store["l"], (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(r.visits.front().second, 0x2011u);
  EXPECT_EQ(r.visits.back().second, 0x2800u);
  EXPECT_EQ(r.validated, 2);
}

TEST(AppRecordDo, FieldMissingFromSource_LeftUntouched) {
  int value = 42;
  std::vector<std::uint32_t> words = {1};
  LoadRecord r({}, CAppParamGroup::ADD_BY_KEY);
  r.Do("absent", value);
  r.Do("absent", words);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(words.size(), 1u);
  EXPECT_EQ(r.validated, 0);
}

TEST(AppRecordDo, Variant_EmptiedWhenSourceHasNoValue) {
  CAppVariant empty(std::int32_t{5});
  CAppVariant filled(std::int32_t{5});
  LoadRecord r({{"none", {}}, {"some", {"txt"}}}, CAppParamGroup::ADD_BY_KEY);
  r.Do("none", empty);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(r.validated, 0);  // the visit ends without Validate
  r.Do("some", filled);
  EXPECT_EQ(filled.ToString(), "txt");
  EXPECT_EQ(r.validated, 1);
}

TEST(AppRecordGetField, LoadRecordWithoutOverride_ThrowsError) {
  BareLoadRecord r;
  int value = 0;
  const CAppException e = CatchAppException([&] { r.Do("x", value); });
  EXPECT_EQ(e.GetMessage(), "Exception >Error");
  EXPECT_EQ(e.GetPrgFile(), "AppRecord");
}

class AppRecordGroupLoad : public ::testing::Test {
protected:
  AppRecordGroupLoad() {
    group.SetAt("A", new CountedParam(&deaths))->SetName("existing A");
    group.SetAt("Z", new CountedParam(&deaths));
  }
  int deaths = 0;
  CAppParamGroup group;
};

TEST_F(AppRecordGroupLoad, ByKey_ReplacesChildrenAndDropsDuplicates) {
  LoadRecord r({{"Param", {"A", "B", "b"}}}, CAppParamGroup::ADD_BY_KEY, &deaths);
  r.Do("Param", group);
  EXPECT_EQ(Keys(group), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(group._GetAt("A")->GetName(), "loaded A");
  EXPECT_EQ(deaths, 3);  // old A, old Z, the second "b"
  EXPECT_EQ(r.validated, 1);
}

TEST_F(AppRecordGroupLoad, AutoIndex_ReplacesChildrenWithIndexedKeys) {
  LoadRecord r({{"Param", {"P", "P"}}}, CAppParamGroup::ADD_AUTO_INDEX, &deaths);
  r.Do("Param", group);
  EXPECT_EQ(Keys(group), (std::vector<std::string>{"P_0", "P_1"}));
  EXPECT_EQ(deaths, 2);
}

TEST_F(AppRecordGroupLoad, Merge_KeepsExistingChildAndDestroysLoadedOne) {
  CAppParam* existing = group._GetAt("A");
  LoadRecord r({{"Param", {"a", "C"}}}, CAppParamGroup::ADD_MERGE, &deaths);
  r.Do("Param", group);
  EXPECT_EQ(Keys(group), (std::vector<std::string>{"A", "Z", "C"}));
  EXPECT_EQ(group._GetAt("A"), existing);
  EXPECT_EQ(existing->GetName(), "existing A");
  EXPECT_EQ(deaths, 1);
}

TEST_F(AppRecordGroupLoad, OtherMode_ThrowsInvalidDataAndKeepsChildren) {
  LoadRecord r({{"Param", {"B"}}}, static_cast<CAppParamGroup::EN_ADD_MODE>(3), &deaths);
  const CAppException e = CatchAppException([&] { r.Do("Param", group); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppRecord");
  EXPECT_EQ(Keys(group), (std::vector<std::string>{"A", "Z"}));
  EXPECT_EQ(deaths, 0);
}

TEST_F(AppRecordGroupLoad, ThrowingChild_DestroyedAndEarlierChildrenKept) {
  LoadRecord r({{"Param", {"B", "!", "C"}}}, CAppParamGroup::ADD_BY_KEY, &deaths);
  const CAppException e = CatchAppException([&] { r.Do("Param", group); });
  EXPECT_EQ(e.GetMessage(), "Exception >child failed");
  EXPECT_EQ(Keys(group), std::vector<std::string>{"B"});
  EXPECT_EQ(deaths, 3);  // A and Z removed first, then the failed child
  EXPECT_EQ(r.validated, 0);
}
