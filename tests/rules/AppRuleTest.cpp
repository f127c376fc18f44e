#include "appconfig/AppRuleInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "core/TestSupport.h"

namespace {

// A check rule of the test program.
struct CAppRuleCheckTestLimit : CAppRuleCheck {
  APP_DECLARE_RULE(CAppRuleCheckTestLimit)
  void Check(CAppParam*) override {}
};
APP_IMPLEMENT_RULE(CAppRuleCheckTestLimit, CAppRuleCheck)
APP_REGISTER_CLASS(CAppRuleCheckTestLimit, "Rule Test Limit")

using Texts = std::vector<std::string>;

struct Rules : ::testing::Test {
  void SetUp() override {
    resources.Init();
    profile = resources.CreateProfile("P");
  }

  // The profile entry `key` naming `ruleName`: a key list when given one.
  CAppParam* Entry(const std::string& key, const std::string& ruleName, const Texts* list = nullptr) {
    auto keys = std::make_unique<CAppParamListKey>(ruleName);
    for (const std::string& e : list != nullptr ? *list : Texts{}) keys->InsertAfter(e, keys->GetEndPosition());
    CAppParam* entry = list != nullptr ? static_cast<CAppParam*>(keys.release()) : new CAppParamGroup(ruleName);
    return CAppResources::AddProfileEntry(profile, key, entry, CAppParamGroup::ADD_BY_KEY);
  }
  template <class T>
  std::unique_ptr<T> Rule(const std::string& key) { return CAppRule::FindRule<T>(&resources, profile, key); }

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

// ROWS { ROW_TEMPLATE (alias "Hidden row"), R1 { IP, PORT }, R2 { IP } } and
// the layout: rows from ROW_TEMPLATE keyed ROW_n, columns IP and PORT.
struct MultiColumns : Rules {
  void SetUp() override {
    Rules::SetUp();
    Row("ROW_TEMPLATE", "Station", "0.0.0.0")->SetAlias("Hidden row");
    r1 = Row("R1", "First", "10.0.0.1");
    r2 = Row("R2", "Second", "10.0.0.2", false);
    rule = Layout({"ROW_TEMPLATE", "ROW", "IP", "PORT", "Address", "Port"});
    ASSERT_NE(rule, nullptr);
  }
  void TearDown() override { CAppRuleMultiColumnsGroup::SetPropertiesHandler(nullptr); }

  CAppParamGroup* Row(const std::string& key, const std::string& name, const std::string& ip, bool port = true) {
    CAppParamGroup* row = rows.SetAt(key, new CAppParamGroup(name));
    row->SetAt("IP", new CAppParamValue)->SetVariant(CAppVariant(ip));
    if (port) row->SetAt("PORT", new CAppParamNumeric)->SetVariant(CAppVariant("502"));
    return row;
  }
  std::unique_ptr<CAppRuleMultiColumns> Layout(const Texts& keys, const std::string& name = "Multi Columns by Group") {
    profile->RemoveAll();
    Entry("SYS_LIST_0", name, &keys);
    auto made = Rule<CAppRuleMultiColumns>("SYS_LIST_0");
    Texts titles;  // only a well-formed layout gets its columns here
    if (made && name == "Multi Columns by Group" && !keys.empty() && keys.size() % 2 == 0) made->AddColumns(titles);
    return made;
  }

  CAppParamGroup rows;
  CAppParamGroup *r1 = nullptr, *r2 = nullptr;
  std::unique_ptr<CAppRuleMultiColumns> rule;
};

}  // namespace

// A rule name is a "Rule " alias, with or without the prefix, or a class name.
TEST_F(Rules, FindRule_ByAliasThroughTheDefaultChainForTheAskedInterfaceOnly) {
  for (const char* name : {"Filter By Key", "rule filter by key", "CAppRuleFilterByKey"}) {
    profile->RemoveAll();
    CAppParam* entry = Entry("SYS_FILTER_0", name);
    auto rule = Rule<CAppRuleFilter>("SYS_FILTER_0");
    ASSERT_NE(rule, nullptr) << name;
    EXPECT_EQ(std::make_tuple(rule->GetRuntimeClass(), rule->GetProfile(), rule->GetResources()),
              std::make_tuple(APP_RUNTIME_CLASS(CAppRuleFilterByKey), entry, &resources));
  }
  CAppResources::AddProfileEntry(resources.FindChild("CAppParamGroup")->GetGroup(), "SYS_FILTER_1",
                                 new CAppParamGroup("Filter By Alias"), CAppParamGroup::ADD_BY_KEY);
  Entry("SYS_DEFAULT", "Group");
  auto inherited = Rule<CAppRuleFilter>("SYS_FILTER_1");
  EXPECT_EQ(inherited != nullptr ? inherited->GetRuntimeClass() : nullptr, APP_RUNTIME_CLASS(CAppRuleFilterByAlias));

  for (auto [key, name] : {std::pair{"UNKNOWN", "No Such Rule"}, {"EMPTY", ""}, {"PARAM_CLASS", "CAppParamNumeric"}})
    Entry(key, name);
  Entry("SYS_EDIT_RULE", "Test Limit");  // a check rule: the parameter stays editable
  for (const char* key : {"MISSING", "UNKNOWN", "EMPTY", "PARAM_CLASS"}) EXPECT_EQ(Rule<CAppRule>(key), nullptr) << key;
  EXPECT_EQ(Rule<CAppRuleParam>("SYS_EDIT_RULE"), nullptr);
  EXPECT_NE(Rule<CAppRuleCheck>("SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(nullptr, profile, "SYS_EDIT_RULE"), nullptr);
  EXPECT_EQ(CAppRule::FindRule<CAppRuleCheck>(&resources, nullptr, "SYS_EDIT_RULE"), nullptr);
}

TEST(AppRule, BaseCall_ThrowsFromTheRuleInterface) {
  const CAppException e = CatchAppException([] { CAppParam param; CAppRuleCheck().Check(&param); });
  EXPECT_EQ(std::make_tuple(e.GetMessage(), e.GetPrgFile()),
            std::make_tuple("Exception >Base class call not allowed", "AppRuleInterface"));
}

TEST_F(Rules, Filters_ByKeyAliasKeyInParamAndValue) {
  CAppParamGroup tree;
  CAppParamGroup* row = Add(&tree, "param_a", "x");
  CAppParam* ip = Add<CAppParamValue>(row, "ip", "", "10.0.0.1");
  Add<CAppParamValue>(row, "mode", "", "On");
  CAppParamGroup* other = Add(&tree, "Other", "xy");
  CAppParam* otherMode = Add<CAppParamValue>(other, "MODE", "", "auto");
  CAppParamGroup* number = Add(&tree, "NUMBER");
  Add<CAppParamNumeric>(number, "MODE", "", "7");
  struct Case { const char* rule; std::vector<std::string> list; CAppParam* param; unsigned index; CAppParam* found; };
  const Case cases[] = {
      {"Filter By Key", {"PARAM*"}, row, 7, row},  // the index plays no part
      {"Filter By Key", {"param*"}, row, 0, nullptr},  // only the key is upper-cased
      {"Filter By Alias", {"?"}, row, 0, row},
      {"Filter By Alias", {"?"}, other, 0, nullptr},
      {"Filter By Key in Param", {"IP", "MODE"}, row, 2, nullptr},  // past the list
      {"Filter By Key in Param", {"IP", "MODE"}, other, 1, otherMode},
      {"Filter By Key in Param", {"IP", "MODE"}, ip, 0, nullptr},  // not a group
      {"Filter By Value", {"MODE", "on", "OFF"}, row, 0, row},     // values without regard to case
      {"Filter By Value", {"MODE", "on"}, other, 0, nullptr},
      {"Filter By Value", {"MODE", "7"}, number, 0, number},  // a typed value compared as text
      {"Filter By Value", {"MODE", "on"}, nullptr, 0, nullptr},
  };
  for (const Case& c : cases) {
    profile->RemoveAll();
    Entry("SYS_FILTER_0", c.rule, &c.list);
    auto filter = Rule<CAppRuleFilter>("SYS_FILTER_0");
    ASSERT_NE(filter, nullptr) << c.rule;
    EXPECT_EQ(filter->Find(c.param, c.index), c.found) << c.rule << " " << c.list.back() << " " << c.index;
    EXPECT_EQ(filter->GetCount(), c.list.size());
    if (std::string(c.rule).find("By Key") != std::string::npos) {
      EXPECT_EQ(CatchAppException([&] { filter->Find(nullptr, 0); }).GetMessage(), "Exception >Bad pointer");
    }
  }
}

// --- Multi-column layouts ---------------------------------------------------------

TEST_F(MultiColumns, ColumnsAndCellTexts) {
  Texts titles{"stale"};
  rule->AddColumns(titles);
  EXPECT_EQ(titles, (Texts{"Address", "Port"}));
  // R2 has no PORT child; a leaf row has empty cells.
  const auto show = [&](CAppParam* row) { Texts texts{"stale"}; rule->ShowParam(row, texts); return texts; };
  EXPECT_EQ((std::vector<Texts>{show(r1), show(r2), show(r1->FindChild("IP"))}),
            (std::vector<Texts>{{"10.0.0.1", "502"}, {"10.0.0.2", "-"}, {"", ""}}));
  EXPECT_EQ(std::make_tuple(rule->GetParamToEdit(r1, 1), rule->GetParamToEdit(r1, 2), rule->GetParamToEdit(r2, 1)),
            std::make_tuple(r1->FindChild("PORT"), nullptr, nullptr));

  for (const Texts& bad : {Texts{}, Texts{"T", "R", "IP", "PORT", "Address"}}) {
    auto badRule = Layout(bad);
    const CAppException e = CatchAppException([&] { badRule->AddColumns(titles); });
    EXPECT_EQ(std::make_tuple(e.GetMessage(), e.GetPrgFile()),
              std::make_tuple("Exception >Bad Count of Element", "AppRuleInterface")) << bad.size();
  }
}

TEST_F(MultiColumns, AddParam_ClonesTheTemplateUnderTheRootKey) {
  // Keys take the counter before the add, names the counter after it.
  // Asking adds nothing; then two rows; a leaf or nothing is no group.
  EXPECT_EQ((std::vector<int>{rule->AddParam(&rows, 0), rule->AddParam(&rows, 1), rule->AddParam(&rows, 1),
                              rule->AddParam(r1->FindChild("IP"), 1), rule->AddParam(nullptr, 1)}),
            (std::vector<int>{1, 1, 1, 0, 0}));
  ASSERT_EQ(std::make_tuple(rows.GetCount(), rows.GetKeyAt(3)), std::make_tuple(5u, "ROW_0"));
  CAppParamGroup* first = rows.FindChild("ROW_0")->GetGroup();
  // A copy of the template, children included.
  EXPECT_EQ(std::make_tuple(first->GetName(), first->GetAlias(), rows.FindChild("ROW_1")->GetName(),
                            first->FindChild("PORT")->GetClassName()),
            std::make_tuple("Station 1", "Hidden row", "Station 2", "CAppParamNumeric"));

  // A sheet cancelled on the new row removes it; the counter moves on.
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources* r, CAppParam* p) { return r && p ? 2 : 1; });
  EXPECT_EQ((std::tuple{rule->AddParam(&rows, 1), rows.GetCount()}), std::make_tuple(0, 5u));
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources*, CAppParam*) { return 1; });
  EXPECT_EQ((std::tuple{rule->AddParam(&rows, 1), rows.GetKeyAt(5)}), std::make_tuple(1, "ROW_3"));

  rule = Layout({"IP", "ROW", "IP", "Address"});  // a template that is no group
  EXPECT_EQ(CatchAppException([&] { rule->AddParam(r2, 1); }).GetMessage(),
            "Exception >Not an derived class for this pointer");
  EXPECT_EQ(r2->GetCount(), 1u);
}

TEST_F(MultiColumns, RemoveAndMove_AskThenPerform) {
  // Asking changes nothing.
  // Braced lists run the call before reading the tree.
  EXPECT_EQ((std::tuple{rule->MoveUpParam(r1, 0), rows.GetKeyAt(1)}), std::make_tuple(1, "R1"));
  EXPECT_EQ((std::tuple{rule->MoveUpParam(r1, 1), rows.GetKeyAt(2)}), std::make_tuple(1, "R1"));
  EXPECT_EQ((std::tuple{rule->MoveDownParam(r1, 1), rows.GetKeyAt(1)}), std::make_tuple(1, "R1"));
  EXPECT_EQ((std::tuple{rule->RemoveParam(r1, 0), rows.GetCount()}), std::make_tuple(1, 3u));
  EXPECT_EQ((std::tuple{rule->RemoveParam(r1, 1), rows.FindChild("R1")}), std::make_tuple(1, nullptr));
  for (int p : {0, 1})
    EXPECT_EQ(rule->RemoveParam(nullptr, p) + rule->MoveUpParam(nullptr, p) + rule->MoveDownParam(nullptr, p), 0);
}

// A row whose key was changed to a path is not found under it: removing or
// moving it touches nothing, least of all the node that path names.
TEST_F(MultiColumns, RemoveAndMove_ARowTheGroupDoesNotFindUnderItsKeyIsLeftAlone) {
  CAppParam* ip = r1->FindChild("IP");
  r2->SetKey("R1\\IP");
  EXPECT_EQ(rule->RemoveParam(r2, 1) + rule->MoveUpParam(r2, 1) + rule->MoveDownParam(r2, 1), 0);
  EXPECT_EQ(r1->FindChild("IP"), ip);
  EXPECT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(rows.GetKeyAt(2), "R1\\IP");
}
