#include "appconfig/ui/AppToolsLnkExch.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "../core/TestSupport.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"

namespace {

std::uint32_t ValueOf(CAppParam& param) { return param.GetVariant().ToUInt32(); }

void SetNumber(CAppParam& param, std::uint32_t value) { param.SetVariant(CAppVariant(value)); }

// A numeric parameter of type UI1 with bounds.
std::unique_ptr<CAppParamNumeric> MakeNumeric(const std::string& key, std::uint32_t min, std::uint32_t max,
                                              std::uint32_t value) {
  auto param = std::make_unique<CAppParamNumeric>(key);
  param->SetKey(key);
  param->SetType(CAppTools::Type("UI1"));
  param->SetMinValue(CAppVariant(min));
  param->SetMaxValue(CAppVariant(max));
  SetNumber(*param, value);
  return param;
}

std::unique_ptr<CAppParamEnumSingle> MakeEnum(std::uint32_t value) {
  auto param = std::make_unique<CAppParamEnumSingle>();
  param->SetKey("Mode");
  for (const char* text : {"Arrêt", "Marche", "Auto"}) param->AddEntry(param->GetCount(), text);
  SetNumber(*param, value);
  return param;
}

std::vector<std::string> ItemTexts(const CAppCtrlCombo& combo) {
  std::vector<std::string> texts;
  for (int i = 0; i < combo.count(); ++i) texts.push_back(combo.itemText(i).toStdString());
  return texts;
}

template <class Call>
void ExpectBadPointer(Call call) {
  EXPECT_EQ(CatchAppException(call).GetMessage(), "Exception >Bad pointer");
}

}  // namespace

TEST(CheckExchEnumSingle, CopiesTheCheckStateBothWays) {
  CAppCtrlCheck check;
  CAppToolsLnk::CheckExchEnumSingle exchange(&check);
  auto param = MakeEnum(1);
  exchange.SetParam(param.get());
  EXPECT_TRUE(exchange.ParamToCtrl());
  EXPECT_EQ(check.GetValue(), 1u);
  check.SetValue(0);
  EXPECT_TRUE(exchange.CtrlToParam());
  EXPECT_EQ(ValueOf(*param), 0u);
  auto numeric = MakeNumeric("N", 0, 3, 1);
  ExpectBadPointer([&] { exchange.SetParam(numeric.get()); });
  ExpectBadPointer([] { CAppToolsLnk::CheckExchEnumSingle none(nullptr); });
}

TEST(ComboExchNumeric, OffersMinimumUpToButNotTheMaximum) {
  CAppCtrlCombo combo;
  CAppToolsLnk::ComboExchNumeric exchange(&combo);
  auto param = MakeNumeric("N", 0, 3, 2);
  exchange.SetParam(param.get());
  EXPECT_TRUE(exchange.ParamToCtrl());
  EXPECT_EQ(ItemTexts(combo), (std::vector<std::string>{"000", "001", "002"}));
  EXPECT_EQ(combo.currentIndex(), 2);
  combo.setCurrentIndex(1);
  exchange.CtrlToParam();
  EXPECT_EQ(ValueOf(*param), 1u);
  // Showing again starts from an empty box.
  exchange.ParamToCtrl();
  EXPECT_EQ(combo.count(), 3);
  auto enumeration = MakeEnum(0);
  ExpectBadPointer([&] { exchange.SetParam(enumeration.get()); });
}

// The enumeration holds entry values, which need not be the entries' places.
TEST(ComboExchEnumSingle, OffersTheEntriesInTheirOrderAndKeepsTheirValues) {
  CAppCtrlCombo combo;
  CAppToolsLnk::ComboExchEnumSingle exchange(&combo);
  CAppParamEnumSingle param;
  for (std::uint32_t value : {10u, 20u, 30u}) param.AddEntry(value, "E" + std::to_string(value));
  SetNumber(param, 30);
  exchange.SetParam(&param);
  exchange.ParamToCtrl();
  EXPECT_EQ(ItemTexts(combo), (std::vector<std::string>{"E10", "E20", "E30"}));
  EXPECT_EQ(combo.currentIndex(), 2);
  combo.setCurrentIndex(1);
  exchange.CtrlToParam();
  EXPECT_EQ(ValueOf(param), 20u);
  ExpectBadPointer([] { CAppToolsLnk::ComboExchEnumSingle none(nullptr); });
}

TEST(ComboExchUniqueNum, OffersTheNumbersNoSiblingUses) {
  // Records (groups) in a list, each with an "Id" between 0 and 5.
  CAppParamGroup root;
  auto* records = new CAppParamGroup("Records");
  records->SetKey("Records");
  ASSERT_TRUE(root.AddOwnKey(records));
  std::vector<CAppParamNumeric*> ids;
  for (std::uint32_t value : {1u, 2u, 5u, 9u}) {
    auto* record = new CAppParamGroup("Record");
    record->SetKey("R" + std::to_string(value));
    ASSERT_TRUE(records->AddOwnKey(record));
    auto id = MakeNumeric("Id", 0, 5, 0);
    ids.push_back(id.get());
    ASSERT_TRUE(record->AddOwnKey(id.release()));
    // The last record holds a number out of the range, which marks nothing.
    ids.back()->CAppParamValue::SetVariant(CAppVariant(value));
  }
  CAppCtrlCombo combo;
  CAppToolsLnk::ComboExchUniqueNum exchange(&combo);
  exchange.SetParam(ids[1]);
  std::vector<std::uint8_t> used;
  ASSERT_TRUE(exchange.GetValues(used));
  EXPECT_EQ(used, (std::vector<std::uint8_t>{0, 1, 1, 0, 0, 1}));
  EXPECT_TRUE(exchange.ParamToCtrl());
  EXPECT_EQ(ItemTexts(combo), (std::vector<std::string>{"000", "002", "003", "004"}));
  EXPECT_EQ(combo.currentIndex(), 1);
  combo.setCurrentIndex(3);
  exchange.CtrlToParam();
  EXPECT_EQ(ValueOf(*ids[1]), 4u) << "the item's number, not its index";

  // Without a grand-parent there is nothing to compare with.
  auto alone = MakeNumeric("Id", 0, 5, 0);
  CAppToolsLnk::ComboExchUniqueNum lonely(&combo);
  lonely.SetParam(alone.get());
  SetNumber(*alone, 3);
  EXPECT_FALSE(lonely.ParamToCtrl());
  EXPECT_EQ(combo.count(), 0);
  lonely.CtrlToParam();
  EXPECT_EQ(ValueOf(*alone), 3u) << "nothing listed, nothing stored";
}

TEST(ListExchGroup, FillsTheListWithTheGroupsChildren) {
  QWidget page;
  CAppLnkWnd link;
  CAppParamGroup group("Groupe");
  group.SetKey("G");
  for (const char* key : {"A", "B"}) ASSERT_TRUE(group.AddOwnKey(MakeNumeric(key, 0, 9, 3).release()));
  auto hidden = MakeNumeric("H", 0, 9, 3);
  hidden->GetFlags().ModifyFlags(0, PF_HIDDEN);
  ASSERT_TRUE(group.AddOwnKey(hidden.release()));
  CAppCtrlList list(1, &page);
  CAppToolsLnk::ListExchGroup exchange(&list, &link);
  exchange.SetParam(&group);
  EXPECT_TRUE(exchange.ParamToCtrl());
  EXPECT_EQ(list.GetColumnCount(), 3);
  ASSERT_EQ(list.GetCount(), 2) << "hidden children are not shown";
  EXPECT_EQ(list.GetItemText(0, 0), "A");
  EXPECT_EQ(list.GetItemText(1, 1), "3");
  EXPECT_EQ(list.GetParam(1), group.FindChild("B"));
  EXPECT_TRUE(exchange.CtrlToParam());
  auto numeric = MakeNumeric("N", 0, 3, 1);
  ExpectBadPointer([&] { exchange.SetParam(numeric.get()); });
}

TEST(RuleExchData, AReadOnlyLinkShowsValuesButNeverWritesThem) {
  QWidget window;
  CAppLnkWnd link;
  link._AddView(&window);
  auto* combo = new CAppCtrlCombo(&window);
  auto param = MakeEnum(1);
  link.AddRule(new CAppToolsLnk::ComboExchEnumSingle(combo), param.get(), "");
  link.ModifyFlags(0, CAppLnkWnd::LNK_READONLY);
  link.OnActive();
  EXPECT_EQ(combo->currentIndex(), 1);
  combo->setCurrentIndex(2);
  link.RefreshParams();
  EXPECT_EQ(ValueOf(*param), 1u);
  link.ModifyFlags(CAppLnkWnd::LNK_READONLY, 0);
  link.RefreshParams();
  EXPECT_EQ(ValueOf(*param), 2u);
}
