// The group model under Qt's model tester, in list and tree modes, while
// its group gains and loses children.
#include "models/AppParamGroupModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppLnkWnd.h"

namespace {

using Model = CAppParamGroupModel;

CAppParamNumeric* AddNumber(CAppParamGroup& group, const std::string& key, std::uint32_t value,
                            const std::string& unit = std::string()) {
  auto* number = group.SetAt(key, new CAppParamNumeric("Nombre " + key));
  number->SetVariant(CAppVariant(value));
  number->SetUnit(unit);
  return number;
}

CAppParamGroup* AddGroup(CAppParamGroup& group, const std::string& key) {
  return group.SetAt(key, new CAppParamGroup("Groupe " + key));
}

std::string Text(const QModelIndex& index) { return index.data().toString().toStdString(); }

// The texts of the rows (first column) below `parent`.
std::vector<std::string> RowTexts(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex()) {
  std::vector<std::string> texts;
  for (int row = 0; row < model.rowCount(parent); ++row) texts.push_back(Text(model.index(row, 0, parent)));
  return texts;
}

// A tree link that names its nodes by key, as the tree link does by name.
class KeyLink : public CAppLnkWnd {
public:
  std::string OnUserGetNodeName(CAppParam* param) override { return "<" + param->GetKey() + ">"; }
};

class GroupModel : public ::testing::Test {
protected:
  CAppLnkWnd link;
  KeyLink keyLink;
  CAppParamGroup group{"Racine"};
};

TEST_F(GroupModel, AListShowsTheVisibleChildrenInNameValueAndUnitColumns) {
  AddNumber(group, "A", 10, "ms");
  AddNumber(group, "HIDDEN", 1)->ModifyFlags(0, PF_HIDDEN);
  AddNumber(group, "SECRET", 1234)->ModifyFlags(0, PF_MASKED_VALUE);
  CAppParam* sub = AddGroup(group, "SUB");
  Model model(link, group, Model::MODE_LIST, nullptr, nullptr);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  ASSERT_EQ(model.rowCount(), 3);
  ASSERT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Nom");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Valeur");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Unité");
  EXPECT_EQ((std::vector<std::string>{Text(model.index(0, 0)), Text(model.index(0, 1)), Text(model.index(0, 2))}),
            (std::vector<std::string>{"Nombre A", "10", "ms"}));
  EXPECT_EQ(Text(model.index(1, 1)), "###") << "a masked value is never shown";
  EXPECT_EQ(Model::ParamOf(model.index(2, 1)), sub);
  EXPECT_FALSE(model.hasChildren(model.index(2, 0))) << "a list row never opens";
  EXPECT_EQ(model.IndexOf(sub, 1), model.index(2, 1));
}

TEST_F(GroupModel, AListShowsWhatTheFilterRuleFinds) {
  AddNumber(group, "A", 1);
  AddNumber(group, "B", 2);
  AddNumber(group, "C", 3);
  CAppParamListKey keys;
  keys.InsertAfter("C", keys.GetEndPosition());
  keys.InsertAfter("A", keys.GetEndPosition());
  auto filter = std::make_unique<CAppRuleFilterByKey>();
  filter->SetProfile(&keys);
  Model model(link, group, Model::MODE_LIST, nullptr, std::move(filter));
  EXPECT_EQ(RowTexts(model), (std::vector<std::string>{"Nombre A", "Nombre C"})) << "in the group's order";
}

// Values are read when drawn; children recreated reset the model, after
// which every index names a parameter that exists.
TEST_F(GroupModel, AChangingGroupIsShownAsItIsNow) {
  CAppParamNumeric* a = AddNumber(group, "A", 1);
  AddNumber(group, "B", 2);
  Model model(link, group, Model::MODE_LIST, nullptr, nullptr);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  a->SetVariant(CAppVariant(std::uint32_t{7}));
  EXPECT_EQ(Text(model.index(0, 1)), "7");

  group.RemoveParam("A");
  AddNumber(group, "C", 3);
  AddNumber(group, "D", 4);
  model.Refill();
  EXPECT_EQ(RowTexts(model), (std::vector<std::string>{"Nombre B", "Nombre C", "Nombre D"}));
  group.RemoveAll();
  model.Refill();
  EXPECT_EQ(model.rowCount(), 0);
}

// A tree: the group one top node; children come when a node is first
// fetched; below the maximum level only leaves. (The tester fetches every
// node as it checks, so it comes after the lazy part, and after a reset:
// it checks a reset model from inside the reset, where a fetch must not be.)
TEST_F(GroupModel, ATreeFetchesChildrenLazilyAndCutsGroupsAtTheMaximumLevel) {
  AddNumber(group, "A", 1);
  CAppParamGroup* line = AddGroup(group, "LINE");
  AddNumber(*line, "SPEED", 5);
  AddNumber(*AddGroup(*line, "CELL"), "ROBOT", 9);
  Model model(keyLink, group, Model::MODE_TREE, nullptr, nullptr);

  ASSERT_EQ(RowTexts(model), std::vector<std::string>{"<>"}) << "the top node: the group, keyless here";
  const QModelIndex top = model.index(0, 0);
  EXPECT_EQ(model.columnCount(top), 1);
  EXPECT_TRUE(model.hasChildren(top));
  model.fetchMore(top);
  EXPECT_FALSE(model.canFetchMore(top));
  ASSERT_EQ(RowTexts(model, top), (std::vector<std::string>{"<A>", "<LINE>"}));
  const QModelIndex lineNode = model.index(1, 0, top);
  EXPECT_TRUE(model.canFetchMore(lineNode));
  EXPECT_EQ(model.rowCount(lineNode), 0) << "not fetched yet";
  model.fetchMore(lineNode);
  EXPECT_EQ(RowTexts(model, lineNode), (std::vector<std::string>{"<SPEED>", "<CELL>"}));
  EXPECT_EQ(model.parent(model.index(1, 0, lineNode)), lineNode);
  EXPECT_EQ(model.IndexOf(line->FindChild("CELL")), model.index(1, 0, lineNode));
  { QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal); }

  model.SetMaxLevel(2);
  model.Refill();
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  const QModelIndex again = model.index(1, 0, model.index(0, 0));
  model.fetchMore(again);
  EXPECT_EQ(RowTexts(model, again), std::vector<std::string>{"<SPEED>"}) << "the cell is at level 2";
  EXPECT_FALSE(model.IndexOf(&group).parent().isValid());
}

TEST_F(GroupModel, AFlatTreeHoldsEveryLeafBelowTheGroupAndTextNodes) {
  AddNumber(group, "A", 1);
  AddNumber(*AddGroup(*AddGroup(group, "G"), "H"), "DEEP", 2);
  Model model(keyLink, group, Model::MODE_FLAT, nullptr, nullptr);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.SetFlatTop(&group, "Tout");
  const QModelIndex top = model.index(0, 0);
  EXPECT_EQ(Text(top), "Tout");
  EXPECT_EQ(RowTexts(model, top), (std::vector<std::string>{"<A>", "<DEEP>"}));

  const QModelIndex note = model.AddTextNode(top, "Note");
  EXPECT_EQ(Text(note), "Note");
  EXPECT_EQ(Model::ParamOf(note), nullptr) << "a text node stands for no parameter";
  EXPECT_EQ(model.parent(note), top);
}

}  // namespace
