#include "appconfig/AppRuleInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "core/TestSupport.h"

namespace {

// A check rule of the test program: rejects values above 10, and counts runs.
class CAppRuleCheckTestLimit : public CAppRuleCheck {
  APP_DECLARE_RULE(CAppRuleCheckTestLimit)

public:
  void Check(CAppParam* param) override {
    ++s_runs;
    if (param->GetVariant().ToInt32() > 10) APP_THROW("Too big : %s", param->GetKey().c_str());
  }
  static inline int s_runs = 0;
};
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
  int ShowLink() override { return GetProfile()->GetName() == "Shown" && GetParam() != nullptr ? 1 : 0; }
};
APP_IMPLEMENT_RULE(CAppRuleInitTestShown, CAppRuleInitParam)

}  // namespace

APP_REGISTER_CLASS(CAppRuleCheckTestLimit, "Rule Test Limit")
APP_REGISTER_CLASS(CAppRuleValueTestKey, "Rule Test Key")
APP_REGISTER_CLASS(CAppRuleInitTestShown, "Rule Test Shown")

namespace {

class Rules : public ::testing::Test {
protected:
  void SetUp() override {
    resources.Init();
    profile = resources.CreateProfile("P");
  }

  // The profile entry `key` naming `ruleName`: a key list when given entries.
  CAppParam* Entry(const std::string& key, const std::string& ruleName, const std::vector<std::string>& list = {},
                   CAppParamGroup* profile = nullptr) {
    CAppParam* entry = new CAppParamGroup(ruleName);
    if (!list.empty()) {
      auto* keys = new CAppParamListKey(ruleName);
      for (const std::string& e : list) keys->InsertAfter(e, keys->GetEndPosition());
      entry = keys;
    }
    return CAppResources::AddProfileEntry(profile != nullptr ? profile : this->profile, key, entry,
                                          CAppParamGroup::ADD_BY_KEY);
  }
  template <class T>
  std::unique_ptr<T> Rule(const std::string& key, CAppParamGroup* from = nullptr) {
    return CAppRule::FindRule<T>(&resources, from != nullptr ? from : profile, key);
  }

  CAppResources resources;
  CAppParamGroup* profile = nullptr;
};

template <class T = CAppParamGroup>
T* Add(CAppParamGroup* parent, const std::string& key, const std::string& alias = "", const char* value = nullptr) {
  auto* param = parent->SetAt(key, new T);
  param->SetAlias(alias);
  if (value != nullptr) param->SetVariant(CAppVariant(value));
  return param;
}

}  // namespace

// A rule name is a "Rule " alias, with or without the prefix, or a class name.
TEST_F(Rules, FindRule_ByAliasThroughTheDefaultChainForTheAskedInterfaceOnly) {
  for (const char* name : {"Filter By Key", "rule filter by key", "CAppRuleFilterByKey"}) {
    profile->RemoveAll();
    CAppParam* entry = Entry("SYS_FILTER_0", name);
    auto rule = Rule<CAppRuleFilter>("SYS_FILTER_0");
    ASSERT_NE(rule, nullptr) << name;
    EXPECT_EQ(rule->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByKey));
    EXPECT_EQ(rule->GetProfile(), entry);
    EXPECT_EQ(rule->GetResources(), &resources);
  }
  Entry("SYS_FILTER_1", "Filter By Alias", {}, resources.FindChild("CAppParamGroup")->GetGroup());
  Entry("SYS_DEFAULT", "Group");
  auto inherited = Rule<CAppRuleFilter>("SYS_FILTER_1");
  ASSERT_NE(inherited, nullptr);
  EXPECT_EQ(inherited->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleFilterByAlias));

  Entry("UNKNOWN", "No Such Rule");
  Entry("EMPTY", "");
  Entry("PARAM_CLASS", "CAppParamNumeric");
  Entry("SYS_EDIT_RULE", "Test Limit");  // a check rule: the parameter stays editable
  for (const char* key : {"MISSING", "UNKNOWN", "EMPTY", "PARAM_CLASS"}) EXPECT_EQ(Rule<CAppRule>(key), nullptr) << key;
  EXPECT_EQ(Rule<CAppRuleParam>("SYS_EDIT_RULE"), nullptr);
  EXPECT_NE(Rule<CAppRuleCheck>("SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(nullptr, profile, "SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(&resources, nullptr, "SYS_EDIT_RULE"), nullptr);
}

TEST(AppRule, BaseCalls_ThrowFromTheRuleInterface) {
  CAppParam param;
  for (const CAppException& e : {CatchAppException([&] { CAppRuleCheck().Check(&param); }),
                                 CatchAppException([&] { CAppRuleParam().Run(&param); }),
                                 CatchAppException([&] { CAppRuleStream().Run(&param, "x", 1); }),
                                 CatchAppException([&] { CAppRuleValue().GetValue(&param); }),
                                 CatchAppException([&] { CAppRuleFilter().Find(&param, 0); })}) {
    EXPECT_EQ(e.GetMessage(), "Exception >Base class call not allowed");
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
}

TEST_F(Rules, Filters_ByKeyAliasKeyInParamAndValue) {
  CAppParamGroup tree;
  CAppParamGroup* row = Add(&tree, "param_a", "x");
  CAppParam* ip = Add<CAppParamValue>(row, "ip", "", "10.0.0.1");
  CAppParam* mode = Add<CAppParamValue>(row, "mode", "", "On");
  CAppParamGroup* other = Add(&tree, "Other", "xy");
  CAppParam* otherMode = Add<CAppParamValue>(other, "MODE", "", "auto");
  CAppParamGroup* number = Add(&tree, "NUMBER");
  Add<CAppParamNumeric>(number, "MODE", "", "7");
  struct Case {
    const char* rule;
    std::vector<std::string> list;
    CAppParam* param;
    unsigned index;
    CAppParam* found;
  };
  const Case cases[] = {
      {"Filter By Key", {"PARAM*"}, row, 7, row},  // the index plays no part
      {"Filter By Key", {"PARAM*"}, other, 0, nullptr},
      {"Filter By Key", {"param*"}, row, 0, nullptr},  // only the key is upper-cased
      {"Filter By Alias", {"?"}, row, 0, row},
      {"Filter By Alias", {"?"}, other, 0, nullptr},
      {"Filter By Alias", {"?"}, number, 0, nullptr},  // no alias
      {"Filter By Key in Param", {"IP", "MODE"}, row, 0, ip},
      {"Filter By Key in Param", {"IP", "MODE"}, row, 1, mode},
      {"Filter By Key in Param", {"IP", "MODE"}, row, 2, nullptr},  // past the list
      {"Filter By Key in Param", {"IP", "MODE"}, other, 0, nullptr},
      {"Filter By Key in Param", {"IP", "MODE"}, other, 1, otherMode},
      {"Filter By Key in Param", {"IP", "MODE"}, ip, 0, nullptr},  // not a group
      {"Filter By Value", {"MODE", "on", "OFF"}, row, 0, row},     // values without regard to case
      {"Filter By Value", {"MODE", "ON"}, row, 0, row},
      {"Filter By Value", {"MODE"}, row, 0, nullptr},
      {"Filter By Value", {"MODE", "on"}, other, 0, nullptr},
      {"Filter By Value", {"MODE", "on"}, &tree, 0, nullptr},       // no such child
      {"Filter By Value", {"MODE", "7"}, number, 0, number},  // a typed value compared as text
      {"Filter By Value", {"MODE", "on"}, mode, 0, nullptr},  // not a group
      {"Filter By Value", {"MODE", "on"}, nullptr, 0, nullptr},
  };
  for (const Case& c : cases) {
    profile->RemoveAll();
    Entry("SYS_FILTER_0", c.rule, c.list);
    auto filter = Rule<CAppRuleFilter>("SYS_FILTER_0");
    ASSERT_NE(filter, nullptr) << c.rule;
    EXPECT_EQ(filter->Find(c.param, c.index), c.found) << c.rule << " " << c.list.back() << " " << c.index;
    EXPECT_EQ(filter->GetCount(), c.list.size());
  }
  for (const char* rule : {"Filter By Key", "Filter By Key in Param"}) {
    profile->RemoveAll();
    Entry("SYS_FILTER_0", rule, {"A"});
    EXPECT_EQ(CatchAppException([&] { Rule<CAppRuleFilter>("SYS_FILTER_0")->Find(nullptr, 0); }).GetMessage(),
              "Exception >Bad pointer");
  }
}

TEST_F(Rules, Filter_NotAKeyListThrowsAtFirstListAccess) {
  Entry("SYS_FILTER_0", "Filter By Key");
  auto filter = Rule<CAppRuleFilter>("SYS_FILTER_0");
  ASSERT_NE(filter, nullptr);  // created: the entry is only read when asked
  CAppParam param;
  for (const CAppException& e : {CatchAppException([&] { filter->Find(&param, 0); }),
                                 CatchAppException([&] { filter->GetCount(); }),
                                 CatchAppException([&] { filter->GetValue(0); })}) {
    EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
}

TEST(AppRule, ArrayDumpExt_AllBytesWhereTheArrayShowsTen) {
  CAppParamArray array;
  const std::uint8_t bytes[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xAB, 0xFF};
  array.SetData(bytes, 12);
  CAppRuleArrayDumpExt rule;
  EXPECT_EQ(rule.GetValue(&array), "00 01 02 03 04 05 06 07 08 09 AB FF ");
  EXPECT_EQ(array.GetFmtValue(), "00 01 02 03 04 05 06 07 08 09 ...");
  CAppParamValue value;
  EXPECT_EQ(CatchAppException([&] { rule.GetValue(&value); }).GetMessage(), "Exception >Bad pointer");
}

// A "_RULE" entry wins over "_VALUE"; one that names no value rule falls back.
TEST_F(Rules, Load_RuleBeforeValueAndUnknownRuleFallsBack) {
  Entry("SYS_DATA_RULE", "Test Key");
  Entry("SYS_DATA_VALUE", "plain");
  Entry("SYS_UNIT_RULE", "No Such Rule");
  Entry("SYS_UNIT_VALUE", "ms");
  Entry("SYS_NAME_RULE", "Test Limit");  // a rule of another interface
  CAppParamValue param;
  param.SetKey("P1");
  param.SetName("own name");
  param.SetAlias("P");
  EXPECT_EQ(param.GetFmtValue(&resources), "[P1]");
  EXPECT_EQ(param.GetUnit(&resources), "ms");
  EXPECT_EQ(param.GetName(&resources), "own name");
}

TEST_F(Rules, Check_RunsTheProfileRuleDownTheTree) {
  Entry("SYS_CHECK_RULE", "Test Limit");
  CAppParamGroup tree;
  CAppParamGroup* sub = Add(&tree, "SUB");
  Add<CAppParamValue>(sub, "OK", "P", "3");
  CAppParamValue* big = Add<CAppParamValue>(sub, "BIG", "P", "11");
  Add<CAppParamValue>(sub, "FREE", "", "99");  // no rule in its class profile
  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(nullptr);  // without resources no rule runs
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 0);
  EXPECT_EQ(CatchAppException([&] { tree.Check(&resources); }).GetMessage(), "Exception >Too big : BIG");
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 2);

  big->ModifyFlags(0, PF_NO_CHECK);
  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(&resources);
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 1);
  // Not below a node with PF_NO_CHECK_SUBTREE, but its own rule still runs.
  big->ModifyFlags(PF_NO_CHECK, 0);
  sub->SetAlias("P");
  sub->ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  CAppRuleCheckTestLimit::s_runs = 0;
  tree.Check(&resources);
  EXPECT_EQ(CAppRuleCheckTestLimit::s_runs, 1);
}

TEST_F(Rules, GetLink_InitRuleChoosesAmongLinks) {
  for (const char* name : {"Hidden", "Shown"}) {
    CAppResources::AddProfileEntry(profile, "SYS_LINK", new CAppParamGroup(name), CAppParamGroup::ADD_AUTO_INDEX);
  }
  Entry("SYS_INIT", "Test Shown");
  CAppParamValue param;
  param.SetAlias("P");
  EXPECT_TRUE(resources.IsProperties(&param));
  auto rule = Rule<CAppRuleInitParam>("SYS_INIT");
  ASSERT_NE(rule, nullptr);
  rule->SetParam(&param);
  unsigned index = 0;
  EXPECT_EQ(resources.GetLink(profile, index, rule.get())->GetName(), "Shown");
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(resources.GetLink(profile, index, rule.get()), nullptr);

  profile->FindChild("SYS_LINK_1")->SetName("Hidden too");
  EXPECT_FALSE(resources.IsProperties(&param));
  EXPECT_FALSE(resources.IsProperties(nullptr));
}
