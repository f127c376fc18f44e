#include "appconfig/AppRuleMultiColumns.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "core/TestSupport.h"

namespace {

using Texts = std::vector<std::string>;

// ROWS { ROW_TEMPLATE (alias "Hidden row"), R1 { IP, PORT }, R2 { IP } } and
// the layout: rows from ROW_TEMPLATE keyed ROW_n, columns IP and PORT.
class MultiColumns : public ::testing::Test {
protected:
  void SetUp() override {
    resources.Init();
    profile = resources.CreateProfile("Table");
    Row("ROW_TEMPLATE", "Station", "0.0.0.0")->SetAlias("Hidden row");
    r1 = Row("R1", "First", "10.0.0.1");
    CAppParamGroup* r2 = rows.SetAt("R2", new CAppParamGroup("Second"));
    r2->SetAt("IP", new CAppParamValue)->SetVariant(CAppVariant("10.0.0.2"));
    rule = Rule({"ROW_TEMPLATE", "ROW", "IP", "PORT", "Address", "Port"});
  }
  void TearDown() override { CAppRuleMultiColumnsGroup::SetPropertiesHandler(nullptr); }

  CAppParamGroup* Row(const std::string& key, const std::string& name, const std::string& ip) {
    CAppParamGroup* row = rows.SetAt(key, new CAppParamGroup(name));
    row->SetAt("IP", new CAppParamValue)->SetVariant(CAppVariant(ip));
    row->SetAt("PORT", new CAppParamNumeric)->SetVariant(CAppVariant("502"));
    return row;
  }
  std::unique_ptr<CAppRuleMultiColumns> Rule(const Texts& entries, const std::string& name = "Multi Columns by Group") {
    profile->RemoveAll();
    auto* list = new CAppParamListKey(name);
    for (const std::string& e : entries) list->InsertAfter(e, list->GetEndPosition());
    CAppResources::AddProfileEntry(profile, "SYS_LIST_0", list, CAppParamGroup::ADD_BY_KEY);
    auto made = CAppRule::FindRule<CAppRuleMultiColumns>(&resources, profile, "SYS_LIST_0");
    Texts titles;  // only a well-formed layout gets its columns here
    const bool wellFormed = entries.size() >= 2 && entries.size() % 2 == 0;
    if (made != nullptr && name == "Multi Columns by Group" && wellFormed) made->AddColumns(titles);
    return made;
  }

  CAppResources resources;
  CAppParamGroup* profile = nullptr;
  CAppParamGroup rows;
  CAppParamGroup* r1 = nullptr;
  std::unique_ptr<CAppRuleMultiColumns> rule;
};

}  // namespace

TEST_F(MultiColumns, ColumnsAndCellTexts) {
  ASSERT_NE(rule, nullptr);
  Texts titles{"stale"};
  rule->AddColumns(titles);
  EXPECT_EQ(titles, (Texts{"Address", "Port"}));
  Texts texts;
  rule->ShowParam(r1, texts);
  EXPECT_EQ(texts, (Texts{"10.0.0.1", "502"}));
  rule->ShowParam(rows.FindChild("R2"), texts);
  EXPECT_EQ(texts, (Texts{"10.0.0.2", "-"}));  // no PORT child
  rule->ShowParam(r1->FindChild("IP"), texts);
  EXPECT_EQ(texts, (Texts{"", ""}));  // a leaf row: empty cells
  EXPECT_EQ(rule->GetParamToEdit(r1, 1), r1->FindChild("PORT"));
  EXPECT_EQ(rule->GetParamToEdit(r1, 2), nullptr);
  EXPECT_EQ(rule->GetParamToEdit(rows.FindChild("R2"), 1), nullptr);
  // Cells show the display text, so a value rule of the resources applies.
  CAppResources::AddProfileEntry(resources.CreateProfile("Shown IP"), "SYS_DATA_VALUE", new CAppParamGroup("<ip>"),
                                 CAppParamGroup::ADD_BY_KEY);
  r1->FindChild("IP")->SetAlias("Shown IP");
  rule->ShowParam(r1, texts);
  EXPECT_EQ(texts, (Texts{"<ip>", "502"}));

  for (const Texts& bad : {Texts{"ROW_TEMPLATE"}, Texts{}, Texts{"T", "R", "IP", "PORT", "Address"}}) {
    auto badRule = Rule(bad);
    const CAppException e = CatchAppException([&] { badRule->AddColumns(titles); });
    EXPECT_EQ(e.GetMessage(), "Exception >Bad Count of Element") << bad.size();
    EXPECT_EQ(e.GetPrgFile(), "AppRuleInterface");
  }
  // A layout entry that is no key list fails when the rule is created.
  profile->RemoveAll();
  CAppResources::AddProfileEntry(profile, "SYS_LIST_0", new CAppParamGroup("Multi Columns by Group"),
                                 CAppParamGroup::ADD_BY_KEY);
  EXPECT_EQ(CatchAppException([&] { CAppRule::FindRule<CAppRuleMultiColumns>(&resources, profile, "SYS_LIST_0"); })
                .GetMessage(),
            "Exception >Bad pointer");
}

TEST_F(MultiColumns, AddParam_ClonesTheTemplateUnderTheRootKey) {
  ASSERT_NE(rule, nullptr);
  // Keys take the counter before the add, names the counter after it.
  EXPECT_EQ(rule->AddParam(&rows, 0), 1);  // asking adds nothing
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  ASSERT_EQ(rows.GetCount(), 5u);
  EXPECT_EQ(rows.GetKeyAt(3), "ROW_0");
  CAppParamGroup* first = rows.FindChild("ROW_0")->GetGroup();
  EXPECT_EQ(std::make_tuple(first->GetName(), first->GetAlias()), std::make_tuple("Station 1", "Hidden row"));
  EXPECT_EQ(rows.FindChild("ROW_1")->GetName(), "Station 2");
  // An independent copy of the template, children included.
  first->FindChild("IP")->SetVariant(CAppVariant("192.168.0.1"));
  EXPECT_EQ(rows.FindChild("ROW_TEMPLATE")->GetGroup()->FindChild("IP")->GetVariant().ToString(), "0.0.0.0");
  EXPECT_EQ(first->FindChild("PORT")->GetClassName(), "CAppParamNumeric");
  EXPECT_EQ(rule->AddParam(r1->FindChild("IP"), 1), 0);  // not a group
  EXPECT_EQ(rule->AddParam(nullptr, 1), 0);

  // A sheet cancelled on the new row removes it; the counter moves on.
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources* r, CAppParam* p) { return r && p ? 2 : 1; });
  EXPECT_EQ(rule->AddParam(&rows, 1), 0);
  EXPECT_EQ(rows.GetCount(), 5u);
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources*, CAppParam*) { return 1; });
  EXPECT_EQ(rule->AddParam(&rows, 1), 1);
  EXPECT_NE(rows.FindChild("ROW_3"), nullptr);

  rule = Rule({"NO_TEMPLATE", "ROW", "IP", "Address"});
  EXPECT_EQ(rule->AddParam(&rows, 1), 0);
  rule = Rule({"IP", "ROW", "IP", "Address"});  // a template that is no group
  CAppParamGroup* r2 = rows.FindChild("R2")->GetGroup();
  EXPECT_EQ(CatchAppException([&] { rule->AddParam(r2, 1); }).GetMessage(),
            "Exception >Not an derived class for this pointer");
  EXPECT_EQ(r2->GetCount(), 1u);
}

TEST_F(MultiColumns, RemoveAndMove_AskThenPerform) {
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->MoveUpParam(r1, 0), 1);
  EXPECT_EQ(rows.GetKeyAt(1), "R1");  // asking changes nothing
  EXPECT_EQ(rule->MoveUpParam(r1, 1), 1);
  EXPECT_EQ(rows.GetKeyAt(2), "R1");
  EXPECT_EQ(rule->MoveDownParam(r1, 1), 1);
  EXPECT_EQ(rows.GetKeyAt(1), "R1");
  EXPECT_EQ(rule->RemoveParam(r1, 0), 1);
  EXPECT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(rule->RemoveParam(r1, 1), 1);
  EXPECT_EQ(rows.FindChild("R1"), nullptr);
  for (int perform : {0, 1}) {
    EXPECT_EQ(rule->RemoveParam(nullptr, perform) + rule->MoveUpParam(nullptr, perform) +
                  rule->MoveDownParam(nullptr, perform),
              0);
  }
  // The plain interface refuses every change and has no columns.
  rule = Rule({"A", "B"}, "Multi Columns");
  EXPECT_EQ(rule->AddParam(&rows, 1) + rule->RemoveParam(rows.FindChild("R2"), 1), 0);
  Texts out;
  EXPECT_EQ(CatchAppException([&] { rule->AddColumns(out); }).GetMessage(), "Exception >Base class call not allowed");
}
