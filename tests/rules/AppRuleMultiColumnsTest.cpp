#include "appconfig/AppRuleMultiColumns.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"

namespace {

using Texts = std::vector<std::string>;

class MultiColumns : public ::testing::Test {
protected:
  void SetUp() override {
    resources.Init();
    profile = resources.CreateProfile("Table");
    // The table: rows made from ROW_TEMPLATE; columns IP and PORT.
    rows.SetKey("ROWS");
    CAppParamGroup* row = Row("ROW_TEMPLATE", "Station", "0.0.0.0", "0");
    row->SetAlias("Hidden row");
    Row("R1", "First", "10.0.0.1", "502");
    CAppParamGroup* partial = rows.SetAt("R2", new CAppParamGroup("Second"));
    Value(partial, "IP", "10.0.0.2");
  }
  void TearDown() override { CAppRuleMultiColumnsGroup::SetPropertiesHandler(nullptr); }

  CAppParamGroup* Row(const std::string& key, const std::string& name, const std::string& ip,
                      const std::string& port) {
    CAppParamGroup* row = rows.SetAt(key, new CAppParamGroup(name));
    Value(row, "IP", ip);
    auto* number = row->SetAt("PORT", new CAppParamNumeric);
    number->SetVariant(CAppVariant(port));
    return row;
  }
  static void Value(CAppParamGroup* group, const std::string& key, const std::string& text) {
    group->SetAt(key, new CAppParamValue)->SetVariant(CAppVariant(text));
  }
  std::unique_ptr<CAppRuleMultiColumns> Rule(const std::vector<std::string>& entries,
                                            const std::string& name = "Multi Columns by Group") {
    profile->RemoveAll();
    auto* list = new CAppParamListKey(name);
    for (const std::string& e : entries) list->InsertAfter(e, list->GetEndPosition());
    CAppResources::AddProfileEntry(profile, "SYS_LIST_0", list, CAppParamGroup::ADD_BY_KEY);
    return CAppRule::FindRule<CAppRuleMultiColumns>(&resources, profile, "SYS_LIST_0");
  }
  std::unique_ptr<CAppRuleMultiColumns> TableRule() {
    auto rule = Rule({"ROW_TEMPLATE", "ROW", "IP", "PORT", "Address", "Port"});
    Texts titles;
    if (rule != nullptr) rule->AddColumns(titles);
    return rule;
  }

  CAppResources resources;
  CAppParamGroup* profile = nullptr;
  CAppParamGroup rows;
};

}  // namespace

TEST_F(MultiColumns, AddColumns_TitlesAndCountsOfEntries) {
  auto rule = Rule({"ROW_TEMPLATE", "ROW", "IP", "PORT", "Address", "Port"});
  ASSERT_NE(rule, nullptr);
  Texts titles{"stale"};
  rule->AddColumns(titles);
  EXPECT_EQ(titles, (Texts{"Address", "Port"}));
  std::string root;
  static_cast<CAppRuleMultiColumnsGroup*>(rule.get())->GetRootName(root);
  EXPECT_EQ(root, "ROW");

  auto empty = Rule({"ROW_TEMPLATE", "ROW"});
  empty->AddColumns(titles);
  EXPECT_TRUE(titles.empty());
  Texts texts{"stale"};
  empty->ShowParam(rows.FindChild("R1"), texts);
  EXPECT_TRUE(texts.empty());

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"ROW_TEMPLATE"}, std::vector<std::string>{},
        std::vector<std::string>{"T", "R", "IP", "PORT", "Address"}}) {
    auto rule2 = Rule(bad);
    const CAppException e = CatchAppException([&] { rule2->AddColumns(titles); });
    EXPECT_EQ(e.GetMessage(), "Exception >Bad Count of Element") << bad.size();
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
}

TEST_F(MultiColumns, ShowParam_CellTextsWithDashForMissingChild) {
  auto rule = TableRule();
  ASSERT_NE(rule, nullptr);
  Texts texts;
  rule->ShowParam(rows.FindChild("R1"), texts);
  EXPECT_EQ(texts, (Texts{"10.0.0.1", "502"}));
  rule->ShowParam(rows.FindChild("R2"), texts);
  EXPECT_EQ(texts, (Texts{"10.0.0.2", "-"}));
  rule->ShowParam(rows.FindChild("R2")->GetGroup()->FindChild("IP"), texts);
  EXPECT_EQ(texts, (Texts{"", ""}));  // a leaf row: empty cells

  // Cells show the display text, so a value rule of the resources applies.
  CAppParamGroup* ipProfile = resources.CreateProfile("Shown IP");
  CAppResources::AddProfileEntry(ipProfile, "SYS_DATA_VALUE", new CAppParamGroup("<ip>"),
                                 CAppParamGroup::ADD_BY_KEY);
  rows.FindChild("R1")->GetGroup()->FindChild("IP")->SetAlias("Shown IP");
  rule->ShowParam(rows.FindChild("R1"), texts);
  EXPECT_EQ(texts, (Texts{"<ip>", "502"}));
}

TEST_F(MultiColumns, GetParamToEdit_ChildOfTheColumn) {
  auto rule = TableRule();
  ASSERT_NE(rule, nullptr);
  CAppParamGroup* r1 = rows.FindChild("R1")->GetGroup();
  EXPECT_EQ(rule->GetParamToEdit(r1, 0), r1->FindChild("IP"));
  EXPECT_EQ(rule->GetParamToEdit(r1, 1), r1->FindChild("PORT"));
  EXPECT_EQ(rule->GetParamToEdit(r1, 2), nullptr);
  EXPECT_EQ(rule->GetParamToEdit(r1, -1), nullptr);
  EXPECT_EQ(rule->GetParamToEdit(rows.FindChild("R2"), 1), nullptr);
  EXPECT_EQ(rule->GetParamToEdit(r1->FindChild("IP"), 0), nullptr);
}

TEST_F(MultiColumns, AddParam_ClonesTheTemplateUnderTheRootKey) {
  auto rule = TableRule();
  ASSERT_NE(rule, nullptr);
  // Keys take the counter before the add, names the counter after it.
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  ASSERT_EQ(rows.GetCount(), 5u);
  ASSERT_NE(rows.FindChild("ROW_0"), nullptr);
  ASSERT_NE(rows.FindChild("ROW_1"), nullptr);
  CAppParamGroup* first = rows.FindChild("ROW_0")->GetGroup();
  CAppParamGroup* second = rows.FindChild("ROW_1")->GetGroup();
  EXPECT_EQ(rows.GetKeyAt(3), "ROW_0");
  EXPECT_EQ(first->GetName(), "Station 1");
  EXPECT_EQ(second->GetName(), "Station 2");
  EXPECT_EQ(first->GetAlias(), "Hidden row");
  // An independent copy of the template, children included.
  CAppParam* ip = first->FindChild("IP");
  ASSERT_NE(ip, nullptr);
  EXPECT_EQ(ip->GetClassName(), "CAppParamValue");
  ip->SetVariant(CAppVariant("192.168.0.1"));
  EXPECT_EQ(rows.FindChild("ROW_TEMPLATE")->GetGroup()->FindChild("IP")->GetVariant().ToString(), "0.0.0.0");
  EXPECT_EQ(first->FindChild("PORT")->GetClassName(), "CAppParamNumeric");
}

TEST_F(MultiColumns, AddParam_AskOnlyMissingTemplateAndNotAGroup) {
  auto rule = Rule({"NO_TEMPLATE", "ROW", "IP", "Address"});
  Texts titles;
  rule->AddColumns(titles);
  EXPECT_EQ(rule->AddParam(&rows, 0), 1);  // asking does not look for the template
  EXPECT_EQ(rule->AddParam(&rows, 1), 0);
  EXPECT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(rule->AddParam(rows.FindChild("R1")->GetGroup()->FindChild("IP"), 0), 0);
  EXPECT_EQ(rule->AddParam(nullptr, 0), 0);

  auto leafTemplate = Rule({"IP", "ROW", "IP", "Address"});
  leafTemplate->AddColumns(titles);
  CAppParamGroup* r2 = rows.FindChild("R2")->GetGroup();
  const CAppException e = CatchAppException([&] { leafTemplate->AddParam(r2, 1); });
  EXPECT_EQ(e.GetMessage(), "Exception >Not an derived class for this pointer");
  EXPECT_EQ(r2->GetCount(), 1u);
}

TEST_F(MultiColumns, AddParam_CancelledSheetRemovesTheRow) {
  auto rule = TableRule();
  ASSERT_NE(rule, nullptr);
  static CAppParam* s_shown = nullptr;
  static CAppResources* s_resources = nullptr;
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources* r, CAppParam* p) {
    s_shown = p;
    s_resources = r;
    return 2;
  });
  EXPECT_EQ(rule->AddParam(&rows, 1), 0);
  EXPECT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(rows.FindChild("ROW_0"), nullptr);
  EXPECT_NE(s_shown, nullptr);
  EXPECT_EQ(s_resources, &resources);

  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources*, CAppParam*) { return 1; });
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  EXPECT_NE(rows.FindChild("ROW_1"), nullptr);  // the counter moved on
}

TEST_F(MultiColumns, RemoveAndMove_AskThenPerform) {
  auto rule = TableRule();
  ASSERT_NE(rule, nullptr);
  CAppParam* r1 = rows.FindChild("R1");
  EXPECT_EQ(rule->MoveUpParam(r1, 0), 1);
  EXPECT_EQ(rows.GetKeyAt(1), "R1");  // asking changes nothing
  EXPECT_EQ(rule->MoveUpParam(r1, 1), 1);
  EXPECT_EQ(rows.GetKeyAt(2), "R1");
  EXPECT_EQ(rule->MoveDownParam(r1, 1), 1);
  EXPECT_EQ(rows.GetKeyAt(1), "R1");
  EXPECT_EQ(rule->RemoveParam(r1, 0), 1);
  EXPECT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(rule->RemoveParam(r1, 1), 1);
  EXPECT_EQ(rows.GetCount(), 2u);
  EXPECT_EQ(rows.FindChild("R1"), nullptr);
  for (int perform : {0, 1}) {
    EXPECT_EQ(rule->RemoveParam(nullptr, perform), 0);
    EXPECT_EQ(rule->MoveUpParam(nullptr, perform), 0);
    EXPECT_EQ(rule->MoveDownParam(nullptr, perform), 0);
  }
}

TEST_F(MultiColumns, Interface_RefusesEverything) {
  auto rule = Rule({"A", "B"}, "Multi Columns");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->GetRuntimeClass(), APP_RUNTIME_CLASS(CAppRuleMultiColumns));
  CAppParam* r1 = rows.FindChild("R1");
  for (int perform : {0, 1}) {
    EXPECT_EQ(rule->AddParam(&rows, perform), 0);
    EXPECT_EQ(rule->RemoveParam(r1, perform), 0);
    EXPECT_EQ(rule->MoveUpParam(r1, perform), 0);
    EXPECT_EQ(rule->MoveDownParam(r1, perform), 0);
  }
  EXPECT_EQ(rule->GetParamToEdit(r1, 0), nullptr);
  Texts out;
  EXPECT_EQ(CatchAppException([&] { rule->AddColumns(out); }).GetMessage(),
            "Exception >Base class call not allowed");
  EXPECT_EQ(CatchAppException([&] { rule->ShowParam(r1, out); }).GetMessage(),
            "Exception >Base class call not allowed");
}
