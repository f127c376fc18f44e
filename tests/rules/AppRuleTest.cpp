#include "appconfig/AppRuleInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TestSupport.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"

namespace {

// A check rule of the test program: rejects values above 10, and counts runs.
class CAppRuleCheckTestLimit : public CAppRuleCheck {
  APP_DECLARE_RULE(CAppRuleCheckTestLimit)

public:
  void Check(CAppParam* param) override {
    ++s_runs;
    if (param->GetVariant().ToInt32() > 10) APP_THROW("Too big : %s", param->GetKey().c_str());
  }
  static int s_runs;
};
int CAppRuleCheckTestLimit::s_runs = 0;
APP_IMPLEMENT_RULE(CAppRuleCheckTestLimit, CAppRuleCheck)

// A value rule: the parameter's key in brackets.
class CAppRuleValueTestKey : public CAppRuleValue {
  APP_DECLARE_RULE(CAppRuleValueTestKey)

public:
  std::string GetValue(CAppParam* param) override { return "[" + param->GetKey() + "]"; }
};
APP_IMPLEMENT_RULE(CAppRuleValueTestKey, CAppRuleValue)

// An init rule that offers only the link definitions named "Shown".
class CAppRuleInitTestShown : public CAppRuleInitParam {
  APP_DECLARE_RULE(CAppRuleInitTestShown)

public:
  int ShowLink() override {
    seen.push_back(GetProfile()->GetKey());
    return GetProfile()->GetName() == "Shown" && GetParam() != nullptr ? 1 : 0;
  }
  static std::vector<std::string> seen;
};
std::vector<std::string> CAppRuleInitTestShown::seen;
APP_IMPLEMENT_RULE(CAppRuleInitTestShown, CAppRuleInitParam)

}  // namespace

APP_REGISTER_CLASS(CAppRuleCheckTestLimit, "Rule Test Limit")
APP_REGISTER_CLASS(CAppRuleValueTestKey, "Rule Test Key")
APP_REGISTER_CLASS(CAppRuleInitTestShown, "Rule Test Shown")

namespace {

class Rules : public ::testing::Test {
protected:
  void SetUp() override { resources.Init(); }

  CAppParamGroup* Profile(const std::string& name) { return resources.CreateProfile(name); }
  // A profile entry named `ruleName` under `key`.
  static CAppParam* Entry(CAppParamGroup* profile, const std::string& key, const std::string& ruleName) {
    return CAppResources::AddProfileEntry(profile, key, new CAppParamGroup(ruleName),
                                          CAppParamGroup::ADD_BY_KEY);
  }
  static CAppParamListKey* List(CAppParamGroup* profile, const std::string& key, const std::string& ruleName,
                                const std::vector<std::string>& entries) {
    auto* list = new CAppParamListKey(ruleName);
    for (const std::string& e : entries) list->InsertAfter(e, list->GetEndPosition());
    CAppResources::AddProfileEntry(profile, key, list, CAppParamGroup::ADD_BY_KEY);
    return list;
  }
  template <class T>
  std::unique_ptr<T> Rule(CAppParamGroup* profile, const std::string& key) {
    return CAppRule::FindRule<T>(&resources, profile, key);
  }

  CAppResources resources;
};

CAppParamGroup* AddGroup(CAppParamGroup* parent, const std::string& key, const std::string& alias = "") {
  auto* group = parent->SetAt(key, new CAppParamGroup);
  group->SetAlias(alias);
  return group;
}

CAppParamValue* AddValue(CAppParamGroup* parent, const std::string& key, const std::string& value) {
  auto* param = parent->SetAt(key, new CAppParamValue);
  param->SetVariant(CAppVariant(value));
  return param;
}

}  // namespace

// --- Lookup --------------------------------------------------------------------------

TEST_F(Rules, FindRule_NameAsShortAliasFullAliasOrClassName) {
  CAppParamGroup* profile = Profile("P");
  for (const char* name : {"Filter By Key", "rule filter by key", "CAppRuleFilterByKey"}) {
    profile->RemoveAll();
    CAppParamListKey* entry = List(profile, "SYS_FILTER_0", name, {"A*"});
    auto rule = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
    ASSERT_NE(rule, nullptr) << name;
    EXPECT_EQ(rule->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByKey));
    EXPECT_EQ(rule->GetProfile(), entry);
    EXPECT_EQ(rule->GetResources(), &resources);
  }
}

TEST_F(Rules, FindRule_ThroughTheDefaultChain) {
  List(resources.FindChild("CAppParamGroup")->GetGroup(), "SYS_FILTER_0", "Filter By Alias", {"X"});
  CAppParamGroup* derived = Profile("Derived");
  Entry(derived, "SYS_DEFAULT", "Group");
  auto rule = Rule<CAppRuleFilter>(derived, "SYS_FILTER_0");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByAlias));
}

TEST_F(Rules, FindRule_NoRuleForMissingUnknownOrForeignClass) {
  CAppParamGroup* profile = Profile("P");
  Entry(profile, "UNKNOWN", "No Such Rule");
  Entry(profile, "EMPTY", "");
  Entry(profile, "PARAM_CLASS", "CAppParamNumeric");
  // A check rule where an edit rule is wanted is no rule: the parameter stays editable.
  Entry(profile, "SYS_EDIT_RULE", "Test Limit");
  EXPECT_EQ(Rule<CAppRule>(profile, "MISSING"), nullptr);
  EXPECT_EQ(Rule<CAppRule>(profile, "UNKNOWN"), nullptr);
  EXPECT_EQ(Rule<CAppRule>(profile, "EMPTY"), nullptr);
  EXPECT_EQ(Rule<CAppRule>(profile, "PARAM_CLASS"), nullptr);
  EXPECT_EQ(Rule<CAppRuleParam>(profile, "SYS_EDIT_RULE"), nullptr);
  EXPECT_NE(Rule<CAppRuleCheck>(profile, "SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(nullptr, profile, "SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(&resources, nullptr, "SYS_EDIT_RULE"), nullptr);
}

TEST_F(Rules, Registry_EveryRuleClassHasItsAliasAndProfile) {
  const std::pair<const char*, const char*> classes[] = {
      {"CAppRule", "CAPPRULE"},
      {"CAppRuleCheck", "CAPPRULECHECK"},
      {"CAppRuleCheckParam", "CAPPRULECHECKPARAM"},
      {"CAppRuleFilter", "CAPPRULEFILTER"},
      {"CAppRuleInitParam", "CAPPRULEINITPARAM"},
      {"CAppRuleParam", "CAPPRULEPARAM"},
      {"CAppRuleStream", "CAPPRULESTREAM"},
      {"CAppRuleValue", "CAPPRULEVALUE"},
      {"CAppRuleFilterByKeyInParam", "RULE FILTER BY KEY IN PARAM"},
      {"CAppRuleFilterByValue", "RULE FILTER BY VALUE"},
      {"CAppRuleMultiColumns", "RULE MULTI COLUMNS"},
      {"CAppRuleMultiColumnsGroup", "RULE MULTI COLUMNS BY GROUP"},
      {"CAppRuleFilterByKey", "RULE FILTER BY KEY"},
      {"CAppRuleFilterByAlias", "RULE FILTER BY ALIAS"},
      {"CAppRuleArrayDumpExt", "RULE ARRAY DUMP EXT"},
  };
  for (const auto& [name, alias] : classes) {
    EXPECT_EQ(CAppDynamic::GetAliasByClass(name), alias);
    std::unique_ptr<CAppObject> rule(CAppDynamic::_GetRegisterClass(name, APP_RUNTIME_CLASS(CAppRule)));
    ASSERT_NE(rule, nullptr) << name;
    EXPECT_STREQ(rule->GetRuntimeClass()->m_lpszClassName, name);
    CAppParam* profile = resources.FindChild(name);
    ASSERT_NE(profile, nullptr) << name;
    EXPECT_EQ(profile->GetGroup()->GetCount(), 0u) << name;
  }
  EXPECT_EQ(CAppDynamic::_GetRegisterClass("CAppRuleCheck", APP_RUNTIME_CLASS(CAppParam)), nullptr);
}

// --- Interfaces ------------------------------------------------------------------------

TEST(AppRule, BaseCalls_ThrowFromTheRuleInterface) {
  CAppParam param;
  std::vector<CAppException> errors;
  errors.push_back(CatchAppException([&] { CAppRuleCheck().Check(&param); }));
  errors.push_back(CatchAppException([&] { CAppRuleParam().Run(&param); }));
  errors.push_back(CatchAppException([&] { CAppRuleStream().Run(&param, "x", 1); }));
  errors.push_back(CatchAppException([&] { CAppRuleValue().GetValue(&param); }));
  errors.push_back(CatchAppException([&] { CAppRuleFilter().Find(&param, 0); }));
  for (const CAppException& e : errors) {
    EXPECT_EQ(e.GetMessage(), "Exception >Base class call not allowed");
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
}

// --- Filters -------------------------------------------------------------------------------

TEST_F(Rules, FilterByKey_WildcardOnTheUpperCasedKey) {
  CAppParamGroup* profile = Profile("P");
  List(profile, "SYS_FILTER_0", "Filter By Key", {"PARAM*"});
  List(profile, "SYS_FILTER_1", "Filter By Key", {"param*"});
  auto upper = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
  auto lower = Rule<CAppRuleFilter>(profile, "SYS_FILTER_1");
  ASSERT_NE(upper, nullptr);
  ASSERT_NE(lower, nullptr);
  CAppParamGroup tree;
  CAppParam* a = AddValue(&tree, "param_a", "1");
  CAppParam* b = AddValue(&tree, "Param", "2");
  CAppParam* c = AddValue(&tree, "other", "3");
  EXPECT_EQ(upper->Find(a, 0), a);
  EXPECT_EQ(upper->Find(b, 7), b);  // the index plays no part
  EXPECT_EQ(upper->Find(c, 0), nullptr);
  EXPECT_EQ(lower->Find(a, 0), nullptr);  // only the key is upper-cased
  EXPECT_EQ(upper->GetCount(), 1u);
  EXPECT_EQ(CatchAppException([&] { upper->Find(nullptr, 0); }).GetMessage(), "Exception >Bad pointer");
}

TEST_F(Rules, FilterByAlias_QuestionMarkIsOneCharacter) {
  CAppParamGroup* profile = Profile("P");
  List(profile, "SYS_FILTER_0", "Filter By Alias", {"?"});
  auto filter = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
  ASSERT_NE(filter, nullptr);
  CAppParamGroup tree;
  CAppParam* one = AddGroup(&tree, "A", "x");
  CAppParam* two = AddGroup(&tree, "B", "xy");
  CAppParam* none = AddGroup(&tree, "C");
  EXPECT_EQ(filter->Find(one, 0), one);
  EXPECT_EQ(filter->Find(two, 0), nullptr);
  EXPECT_EQ(filter->Find(none, 0), nullptr);
}

TEST_F(Rules, Filter_NotAKeyListThrowsAtFirstListAccess) {
  CAppParamGroup* profile = Profile("P");
  Entry(profile, "SYS_FILTER_0", "Filter By Key");
  auto filter = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
  ASSERT_NE(filter, nullptr);  // created: the entry is only read when asked
  CAppParam param;
  for (const CAppException& e : {CatchAppException([&] { filter->Find(&param, 0); }),
                                 CatchAppException([&] { filter->GetCount(); }),
                                 CatchAppException([&] { filter->GetValue(0); })}) {
    EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
}

TEST_F(Rules, FilterByKeyInParam_ChildByPosition) {
  CAppParamGroup* profile = Profile("P");
  List(profile, "SYS_FILTER_0", "Filter By Key in Param", {"IP", "MASK"});
  auto filter = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
  ASSERT_NE(filter, nullptr);
  CAppParamGroup tree;
  CAppParamGroup* row = AddGroup(&tree, "ROW");
  CAppParam* ip = AddValue(row, "ip", "10.0.0.1");
  CAppParamGroup* bare = AddGroup(&tree, "BARE");
  AddValue(bare, "MASK", "255.0.0.0");
  EXPECT_EQ(filter->Find(row, 0), ip);
  EXPECT_EQ(filter->Find(row, 1), nullptr);   // no MASK child
  EXPECT_EQ(filter->Find(row, 2), nullptr);   // past the list
  EXPECT_EQ(filter->Find(bare, 0), nullptr);  // as a visibility filter: hidden
  EXPECT_NE(filter->Find(bare, 1), nullptr);
  EXPECT_EQ(filter->Find(ip, 0), nullptr);    // not a group
  EXPECT_EQ(CatchAppException([&] { filter->Find(nullptr, 0); }).GetPrgFile(), "AppRuleInterface");
}

TEST_F(Rules, FilterByValue_ValuesWithoutRegardToCase) {
  CAppParamGroup* profile = Profile("P");
  List(profile, "SYS_FILTER_0", "Filter By Value", {"MODE", "on", "OFF"});
  List(profile, "SYS_FILTER_1", "Filter By Value", {"MODE"});
  auto filter = Rule<CAppRuleFilter>(profile, "SYS_FILTER_0");
  auto keyOnly = Rule<CAppRuleFilter>(profile, "SYS_FILTER_1");
  ASSERT_NE(filter, nullptr);
  ASSERT_NE(keyOnly, nullptr);
  CAppParamGroup tree;
  std::vector<CAppParamGroup*> kept;
  for (const char* value : {"ON", "on", "off", "OFF"}) {
    CAppParamGroup* row = AddGroup(&tree, std::string("K") + value + std::to_string(kept.size()));
    AddValue(row, "mode", value);
    kept.push_back(row);
  }
  CAppParamGroup* auto_ = AddGroup(&tree, "AUTO");
  AddValue(auto_, "MODE", "auto");
  CAppParamGroup* missing = AddGroup(&tree, "MISSING");
  auto* number = AddGroup(&tree, "NUMBER");
  auto* numeric = number->SetAt("MODE", new CAppParamNumeric);
  numeric->SetVariant(CAppVariant("7"));
  List(profile, "SYS_FILTER_2", "Filter By Value", {"MODE", "7"});
  auto byNumber = Rule<CAppRuleFilter>(profile, "SYS_FILTER_2");

  for (CAppParamGroup* row : kept) {
    EXPECT_EQ(filter->Find(row, 0), row) << row->GetKey();
    EXPECT_EQ(keyOnly->Find(row, 0), nullptr) << row->GetKey();
  }
  EXPECT_EQ(filter->Find(auto_, 0), nullptr);
  EXPECT_EQ(filter->Find(missing, 0), nullptr);
  EXPECT_EQ(filter->Find(nullptr, 0), nullptr);
  EXPECT_EQ(filter->Find(kept[0]->FindChild("MODE"), 0), nullptr);  // not a group
  ASSERT_NE(byNumber, nullptr);
  EXPECT_EQ(byNumber->Find(number, 0), number);  // a typed value compared as text
}

// --- Value rules ------------------------------------------------------------------------------

TEST(AppRule, ArrayDumpExt_AllBytesWhereTheArrayShowsTen) {
  CAppParamArray array;
  const std::uint8_t bytes[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xAB, 0xFF};
  array.SetData(bytes, 12);
  CAppRuleArrayDumpExt rule;
  EXPECT_EQ(rule.GetValue(&array), "00 01 02 03 04 05 06 07 08 09 AB FF ");
  EXPECT_EQ(array.GetFmtValue(), "00 01 02 03 04 05 06 07 08 09 ...");
  CAppParamValue value;
  const CAppException e = CatchAppException([&] { rule.GetValue(&value); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
}

TEST_F(Rules, Load_RuleBeforeValueAndUnknownRuleFallsBack) {
  CAppParamGroup* profile = Profile("Port");
  Entry(profile, "SYS_DATA_RULE", "Test Key");
  Entry(profile, "SYS_DATA_VALUE", "plain");
  Entry(profile, "SYS_UNIT_RULE", "No Such Rule");
  Entry(profile, "SYS_UNIT_VALUE", "ms");
  // A rule of another interface is no value rule either.
  Entry(profile, "SYS_NAME_RULE", "Test Limit");
  CAppParamValue param;
  param.SetKey("P1");
  param.SetName("own name");
  param.SetAlias("Port");
  EXPECT_EQ(param.GetFmtValue(&resources), "[P1]");
  EXPECT_EQ(param.GetUnit(&resources), "ms");
  EXPECT_EQ(param.GetName(&resources), "own name");
}

// --- Check pass ---------------------------------------------------------------------------------

TEST_F(Rules, Check_RunsTheProfileRuleDownTheTree) {
  CAppParamGroup* limited = Profile("Limited");
  Entry(limited, "SYS_CHECK_RULE", "Test Limit");
  CAppParamGroup tree;
  tree.SetKey("ROOT");
  CAppParamGroup* sub = AddGroup(&tree, "SUB");
  CAppParamValue* ok = AddValue(sub, "OK", "3");
  ok->SetAlias("Limited");
  CAppParamValue* big = AddValue(sub, "BIG", "11");
  big->SetAlias("Limited");
  AddValue(sub, "FREE", "99");  // no rule in its class profile

  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(nullptr);  // without resources no rule runs
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 0);
  const CAppException e = CatchAppException([&] { tree.Check(&resources); });
  EXPECT_EQ(e.GetMessage(), "Exception >Too big : BIG");
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 2);

  big->ModifyFlags(0, PF_NO_CHECK);
  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(&resources);
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 1);
}

TEST_F(Rules, Check_NoCheckSubtreeKeepsOnlyTheNodesRule) {
  CAppParamGroup* limited = Profile("Limited");
  Entry(limited, "SYS_CHECK_RULE", "Test Limit");
  CAppParamGroup tree;
  tree.SetAlias("Limited");
  AddValue(&tree, "BIG", "50")->SetAlias("Limited");
  tree.ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(&resources);
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 1);
}

// --- Links ------------------------------------------------------------------------------------------

TEST_F(Rules, GetLink_InitRuleChoosesAmongLinks) {
  CAppParamGroup* profile = Profile("Dev");
  for (const char* name : {"Hidden", "Shown"}) {
    CAppResources::AddProfileEntry(profile, "SYS_LINK", new CAppParamGroup(name),
                                   CAppParamGroup::ADD_AUTO_INDEX);
  }
  Entry(profile, "SYS_INIT", "Test Shown");
  CAppParamValue param;
  param.SetAlias("Dev");

  CAppRuleInitTestShown::seen.clear();
  EXPECT_TRUE(resources.IsProperties(&param));
  EXPECT_EQ(CAppRuleInitTestShown::seen, (std::vector<std::string>{"SYS_LINK_0", "SYS_LINK_1"}));

  auto rule = Rule<CAppRuleInitParam>(profile, "SYS_INIT");
  ASSERT_NE(rule, nullptr);
  rule->SetParam(&param);
  unsigned index = 0;
  CAppParamGroup* link = resources.GetLink(profile, index, rule.get());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetName(), "Shown");
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(resources.GetLink(profile, index, rule.get()), nullptr);
  // Without a rule the first link comes first.
  index = 0;
  EXPECT_EQ(resources.GetLink(profile, index, nullptr)->GetName(), "Hidden");

  profile->FindChild("SYS_LINK_1")->SetName("Hidden too");
  EXPECT_FALSE(resources.IsProperties(&param));
  EXPECT_FALSE(resources.IsProperties(nullptr));
}
