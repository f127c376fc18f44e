// The tree link on the plant of the bundled description: levels cut at
// "SYS_MAX_LVL", node names and icons, properties of a node.
#include <QTabBar>

#include "GroupLinkFixture.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/ui/AppLnkParamListMultiColumns.h"
#include "appconfig/ui/AppLnkParamTree.h"

namespace {

using TreeLinks = GroupLinks;

CAppCtrlTree* SheetTree(CAppSheet& sheet) { return Item<CAppCtrlTree>(sheet, 13605); }

std::vector<std::string> NodeTexts(CAppCtrlTree* tree) {
  std::vector<std::string> texts;
  for (const auto& [node, depth] : GroupLinks::Nodes(tree)) {
    texts.push_back(std::string(2 * static_cast<std::size_t>(depth), ' ') + node.data().toString().toStdString());
  }
  return texts;
}

QModelIndex NodeOf(CAppCtrlTree* tree, const CAppParam* param) {
  for (const auto& [node, depth] : GroupLinks::Nodes(tree)) {
    if (tree->GetParam(node) == param) return node;
  }
  return {};
}

}  // namespace

// "SYS_MAX_LVL" 2 (the profile's): the plant and its groups, not the groups
// of those; 1: the top leaves only; 0: the whole depth.
TEST_F(TreeLinks, LevelsStopAtTheProfilesMaximumWithLeavesNamedByValue) {
  auto texts = [&](bool screenshot) {
    std::vector<std::string> shown;
    EXPECT_EQ(OpenSheet(resources, plant.get(), [&](CAppSheet& sheet) {
      CAppCtrlTree* tree = SheetTree(sheet);
      ASSERT_NE(tree, nullptr);
      shown = NodeTexts(tree);
      EXPECT_FALSE(tree->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
      if (screenshot) SaveScreenshot(sheet);
      ClickOk(sheet);
    }), 1);
    return shown;
  };
  const std::vector<std::string> two = texts(true);
  ASSERT_GE(two.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(two.begin(), two.begin() + 7),
            (std::vector<std::string>{"Installation", "  Ligne 1", "    Cadence : 120", "  Ligne 2",
                                      "    Cadence : 80", "  Site : Lyon", "  Stations"}));
  // The cell below line 1 is at level 2.
  for (const std::string& text : two) EXPECT_EQ(text.find("Cellule"), std::string::npos) << text;

  CAppParam* level = resources.FindProfile(plant.get())->FindChild("SYS_LINK_0")->GetGroup()->FindChild("SYS_MAX_LVL");
  ASSERT_NE(level, nullptr);
  level->SetVariant(CAppVariant("1"));
  level->SetName("1");
  EXPECT_EQ(texts(false), (std::vector<std::string>{"Installation", "  Site : Lyon"}));
  level->SetVariant(CAppVariant("0"));
  level->SetName("0");
  const std::vector<std::string> all = texts(false);
  EXPECT_NE(std::find(all.begin(), all.end(), "      Robot : R-12"), all.end());
}

TEST_F(TreeLinks, PropertiesOfANodeOpenItsSheetAndShowTheNewValue) {
  auto* site = static_cast<CAppParamValue*>(Plant("SITE"));
  UseTestLink(resources, site);
  TestRecordingLink::Current().writeOnChange = true;
  EXPECT_EQ(OpenSheet(resources, plant.get(), [&](CAppSheet& sheet) {
    CAppCtrlTree* tree = SheetTree(sheet);
    const QModelIndex node = NodeOf(tree, site);
    ASSERT_TRUE(node.isValid());
    tree->SelectItem(node);
    WhenSheet([&](CAppSheet& nodeSheet) {
      EXPECT_EQ(nodeSheet.windowTitle(), "Site");
      QTest::keyClicks(nodeSheet.GetAppPage(-1)->findChild<TestEdit*>(), "-Est");
      ClickOk(nodeSheet);
    });
    emit tree->doubleClicked(node);
    const QModelIndex again = NodeOf(tree, site);
    ASSERT_TRUE(again.isValid());
    EXPECT_EQ(again.data().toString().toStdString(), "Site : Lyon-Est");
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(site->GetVariant().GetStringRef(), "Lyon-Est");
}

// A large group: the nodes beyond the first ones get their children when
// they are expanded.
TEST_F(TreeLinks, LargeTreesBuildChildNodesWhenFirstExpanded) {
  CAppParamGroup root("Racine");
  for (unsigned g = 0; g < 300; ++g) {
    auto* group = root.SetAt(CAppTools::Format("G%u", g), new CAppParamGroup(CAppTools::Format("Groupe %u", g)));
    for (unsigned p = 0; p < 10; ++p) {
      group->SetAt(CAppTools::Format("P%u", p), new CAppParamValue("Valeur"))->SetVariant(CAppVariant("x"));
    }
  }
  resources.FindProfile(&root)->FindChild("SYS_LINK_0")->SetName("Tree");
  OpenSheet(resources, &root, [&](CAppSheet& sheet) {
    CAppCtrlTree* tree = SheetTree(sheet);
    QAbstractItemModel* model = tree->model();
    const QModelIndex top = model->index(0, 0);
    ASSERT_EQ(model->rowCount(top), 300);
    const QModelIndex first = model->index(0, 0, top);
    const QModelIndex last = model->index(299, 0, top);
    EXPECT_EQ(model->rowCount(first), 10);
    EXPECT_TRUE(tree->isExpanded(first));
    EXPECT_EQ(model->rowCount(last), 0);
    EXPECT_TRUE(tree->IsChildrenPending(last));
    tree->expand(last);
    EXPECT_EQ(model->rowCount(last), 10);
    EXPECT_EQ(model->index(9, 0, last).data().toString().toStdString(), "Valeur : x");
    ClickOk(sheet);
  });
}

// The plant shown by a tree and a list in one sheet. The table's sheet,
// opened from either, gains a row and is cancelled: the table's rows are new
// objects then, and neither the tree nor the list may keep one that is gone
// (the sanitizers watch) while nodes and rows are selected, expanded, walked
// with Next and Previous and opened again.
TEST_F(TreeLinks, ACancelledRowInAGroupsSheetLeavesNoNodeOrRowBehind) {
  CAppParamGroup* profile = resources.FindProfile(plant.get());
  CAppParam* level = profile->FindChild("SYS_LINK_0")->GetGroup()->FindChild("SYS_MAX_LVL");
  level->SetVariant(CAppVariant("0"));
  level->SetName("0");
  profile->SetAt("SYS_LINK_1", new CAppParamGroup("List"));
  CAppParam* table = Plant("TABLE");
  const std::vector<char> before = Saved(table);
  const auto addRowAndCancel = [&](CAppSheet& tableSheet) {
    WhenSheet([](CAppSheet& rowSheet) { ClickOk(rowSheet); });
    Click(Item<QPushButton>(tableSheet, CAppLnkParamListMultiColumns::ID_ADD));
    EXPECT_EQ(ChildKeys(table).size(), 4u);
    ClickCancel(tableSheet);
  };
  const auto touchEveryNode = [](CAppCtrlTree* tree) {
    for (const auto& [node, depth] : Nodes(tree)) {
      tree->SelectItem(node);
      tree->expand(node);
    }
  };
  std::vector<std::string> walked;
  EXPECT_EQ(OpenSheet(resources, plant.get(), [&](CAppSheet& sheet) {
    CAppCtrlTree* tree = SheetTree(sheet);
    tree->SelectItem(NodeOf(tree, table));
    WhenSheet(addRowAndCancel);
    emit tree->doubleClicked(NodeOf(tree, table));
    EXPECT_EQ(ChildKeys(table), (std::vector<std::string>{"STATION_TEMPLATE", "STATION_0", "STATION_1"}));
    touchEveryNode(tree);

    tree->SelectItem(NodeOf(tree, table));
    WhenSheet([&](CAppSheet& tableSheet) {
      walked.push_back(tableSheet.windowTitle().toStdString());
      WhenSheet([&](CAppSheet& nextSheet) {
        walked.push_back(nextSheet.windowTitle().toStdString());
        WhenSheet([&](CAppSheet& backSheet) {
          walked.push_back(backSheet.windowTitle().toStdString());
          addRowAndCancel(backSheet);
        });
        Click(nextSheet.GetButton(CAppSheet::ID_PREVIOUS));
      });
      Click(tableSheet.GetButton(CAppSheet::ID_NEXT));
    });
    emit tree->doubleClicked(NodeOf(tree, table));
    touchEveryNode(tree);

    QTabBar* tabs = sheet.GetTabWidget()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    auto* list = Item<CAppCtrlList>(sheet, 13605);
    ASSERT_NE(list, nullptr);
    list->SetCurrentItem(static_cast<unsigned>(RowOf(list, table)));
    WhenSheet(addRowAndCancel);
    list->OnProperties();
    for (int row = 0; row < list->GetCount(); ++row) list->SetCurrentItem(static_cast<unsigned>(row));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    touchEveryNode(SheetTree(sheet));
    ClickOk(sheet);
  }), 1);
  ASSERT_EQ(walked.size(), 3u);
  EXPECT_EQ(walked[0], walked[2]);
  EXPECT_NE(walked[0], walked[1]);
  EXPECT_EQ(Saved(Plant("TABLE")), before);
}
