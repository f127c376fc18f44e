// The list link on the device of the bundled description: rows, in-place
// editing of each kind of parameter, properties of rows with Previous and
// Next, and cancel giving the group back byte for byte.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "GroupLinkFixture.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppLnkParamList.h"
#include "appconfig/ui/AppMaskAddrCtl.h"

// An exit rule that refuses while its parameter holds "stop".
class CTestRuleStopExit : public CAppRuleCheckParam {
  APP_DECLARE_RULE(CTestRuleStopExit)

public:
  int IsValid() override { return GetParam()->GetVariant().GetStringRef() != "stop" ? 1 : 0; }
};

APP_IMPLEMENT_RULE(CTestRuleStopExit, CAppRuleCheckParam)
APP_REGISTER_CLASS(CTestRuleStopExit, "Rule Test Stop Exit")

namespace {

using ListLinks = GroupLinks;

CAppCtrlList* SheetList(CAppSheet& sheet) { return Item<CAppCtrlList>(sheet, 13605); }

// Starts editing the value cell of the parameter's row.
QWidget* EditValue(CAppCtrlList* list, CAppParam* param) {
  const int row = GroupLinks::RowOf(list, param);
  EXPECT_GE(row, 0) << param->GetKey();
  list->EditSubItem(row, 1);
  return list->GetInPlaceEditor();
}

}  // namespace

TEST_F(ListLinks, RowsShowTheVisibleChildrenWithNameValueAndUnit) {
  CAppParam* cycle = Device("CYCLE");
  unsigned visible = 0;
  for (unsigned i = 0; i < device->GetGroup()->GetCount(); ++i) {
    if (!device->GetGroup()->FindChild(device->GetGroup()->GetKeyAt(i))->IsFlagsEnable(PF_HIDDEN)) ++visible;
  }
  EXPECT_EQ(OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(static_cast<unsigned>(list->GetCount()), visible);
    const int row = RowOf(list, cycle);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Cell(list, row, 0), cycle->GetName(&resources));
    EXPECT_EQ(Cell(list, row, 1), "20");
    EXPECT_EQ(Cell(list, row, 2), "ms");
    EXPECT_FALSE(list->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    SaveScreenshot(sheet);
    ClickOk(sheet);
  }), 1);
}

TEST_F(ListLinks, InPlaceEditorsStoreNumbersTextsChoicesAndAddresses) {
  auto* cycle = static_cast<CAppParamNumeric*>(Device("CYCLE"));
  auto* mode = static_cast<CAppParamEnumSingle*>(Device("MODE"));
  CAppParam* station = Device("STATION");
  EXPECT_EQ(OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    ASSERT_NE(list, nullptr);

    auto* numeric = qobject_cast<CAppCtrlEditNumeric*>(EditValue(list, cycle));
    ASSERT_NE(numeric, nullptr);
    numeric->setText("25");
    QTest::keyClick(numeric, Qt::Key_Return);
    EXPECT_EQ(list->GetInPlaceEditor(), nullptr);
    EXPECT_EQ(cycle->GetVariant().ToUInt32(), 25u);
    EXPECT_EQ(Cell(list, RowOf(list, cycle), 1), "25");

    auto* text = qobject_cast<CAppCtrlEditString*>(EditValue(list, station));
    ASSERT_NE(text, nullptr);
    text->setText("IO-02");
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(station->GetVariant().GetStringRef(), "IO-02");

    // The keys of the editors: Escape puts the choice back, Return commits.
    auto* combo = qobject_cast<CAppCtrlCombo*>(EditValue(list, mode));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), 2);
    SaveScreenshot(sheet, "combo");
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Escape);
    EXPECT_EQ(list->GetInPlaceEditor(), nullptr);
    EXPECT_EQ(mode->GetCurrentIndex(), 2u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    combo = qobject_cast<CAppCtrlCombo*>(EditValue(list, mode));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(mode->GetCurrentIndex(), 1u);
    EXPECT_EQ(Cell(list, RowOf(list, mode), 1), combo->itemText(1).toStdString());
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(cycle->GetVariant().ToUInt32(), 25u);

  // The addresses are one level down, in the network group.
  auto* address = static_cast<CAppParamAddress*>(Device("IP\\ADDRESS"));
  EXPECT_EQ(OpenSheet(resources, Device("IP"), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    auto* editor = qobject_cast<CAppMaskAddrCtl*>(EditValue(list, address));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(sheet.focusWidget(), editor->GetEditControl(0));
    Retype(editor->GetEditControl(1), "0");
    SaveScreenshot(sheet, "address");
    QTest::keyClick(editor->GetEditControl(1), Qt::Key_Return);
    EXPECT_EQ(list->GetInPlaceEditor(), nullptr);
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(DataOf(*address), (std::vector<std::uint8_t>{192, 0, 0, 10}));
}

TEST_F(ListLinks, AValueOutOfRangeIsRefusedWithTheBoundsAndTheEditorStays) {
  auto* cycle = static_cast<CAppParamNumeric*>(Device("CYCLE"));
  std::string message;
  OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    auto* numeric = qobject_cast<CAppCtrlEditNumeric*>(EditValue(list, cycle));
    ASSERT_NE(numeric, nullptr);
    numeric->setText("5000");
    WhenModal([&] {
      auto* box = ActiveModal<QMessageBox>();
      ASSERT_NE(box, nullptr);
      message = box->text().toStdString();
      box->done(QMessageBox::Ok);
    });
    QTest::keyClick(numeric, Qt::Key_Return);
    EXPECT_EQ(list->GetInPlaceEditor(), numeric);
    EXPECT_EQ(cycle->GetVariant().ToUInt32(), 20u);
    ClickCancel(sheet);
  });
  EXPECT_EQ(message, "La value doit être comprise dans l'intervalle [1,1000].");
}

// Tab between cells is the list control's; the link says which cells edit:
// not the names, not a read-only parameter, nothing in a read-only group.
TEST_F(ListLinks, NamesAndReadOnlyParametersOrGroupsAreNotEdited) {
  CAppParam* cycle = Device("CYCLE");
  OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    list->EditSubItem(RowOf(list, cycle), 0);
    EXPECT_EQ(list->GetInPlaceEditor(), nullptr);
    cycle->ModifyFlags(0, PF_READONLY);
    EXPECT_EQ(EditValue(list, cycle), nullptr);
    ClickOk(sheet);
  });
  cycle->ModifyFlags(PF_READONLY, 0);
  device->ModifyFlags(0, PF_READONLY);
  OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    EXPECT_GT(list->GetCount(), 0);
    EXPECT_EQ(list->IsReadOnly(), 1);
    EXPECT_EQ(EditValue(list, cycle), nullptr);
    SaveScreenshot(sheet);
    ClickOk(sheet);
  });
}

// Row properties: STATION and the numbers open the test link, the multiple
// choice OPTIONS has no properties. From STATION, Previous goes to LEVEL and
// Next stays off; cancelling the row's sheet and then the group's gives the
// device back byte for byte.
TEST_F(ListLinks, RowPropertiesWalkWithPreviousAndNextAndCancelRestoresTheGroup) {
  CAppParam* station = Device("STATION");
  CAppParam* level = Device("LEVEL");
  UseTestLink(resources, station);
  UseTestLink(resources, level);
  resources.FindProfile(Device("OPTIONS"))->FindChild("SYS_LINK_0")->SetName("");
  TestRecordingLink::Current().writeOnChange = true;
  const std::vector<char> before = Saved(device.get());
  bool walked = false;
  EXPECT_EQ(OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    list->SetCurrentItem(static_cast<unsigned>(RowOf(list, station)));
    WhenSheet([&](CAppSheet& rowSheet) {
      EXPECT_EQ(rowSheet.windowTitle(), "Nom de station");
      EXPECT_FALSE(rowSheet.GetButton(CAppSheet::ID_NEXT)->isEnabled());
      EXPECT_TRUE(rowSheet.GetButton(CAppSheet::ID_PREVIOUS)->isEnabled());
      QTest::keyClicks(rowSheet.GetAppPage(-1)->findChild<TestEdit*>(), "-X");
      SaveScreenshot(rowSheet, "row");
      WhenSheet([&](CAppSheet& previousSheet) {
        EXPECT_EQ(previousSheet.windowTitle().toStdString(), level->GetName(&resources));
        EXPECT_TRUE(previousSheet.GetButton(CAppSheet::ID_NEXT)->isEnabled());
        EXPECT_EQ(list->GetCurrentItem(), RowOf(list, level));
        walked = true;
        ClickCancel(previousSheet);
      });
      Click(rowSheet.GetButton(CAppSheet::ID_PREVIOUS));
    });
    list->OnMenuCommand(CAppCtrlList::ID_PROPERTIES);
    EXPECT_EQ(station->GetVariant().GetStringRef(), "IO-01-X");
    EXPECT_EQ(Cell(list, RowOf(list, station), 1), "IO-01-X");
    ClickCancel(sheet);
  }), 2);
  EXPECT_TRUE(walked);
  EXPECT_EQ(Saved(device.get()), before);
}

TEST_F(ListLinks, TheLastRowHasNoNextAndPreviousWalksBackOneRowPerClick) {
  // The three texts of a small group of its own.
  CAppParamGroup group("Trois");
  for (const char* key : {"A", "B", "C"}) {
    group.SetAt(key, new CAppParamValue(std::string("Texte ") + key))->SetVariant(CAppVariant(key));
  }
  UseTestLink(resources, group.FindChild("A"));
  std::vector<std::string> visited;
  std::function<void(CAppSheet&, int)> walk = [&](CAppSheet& rowSheet, int left) {
    visited.push_back(rowSheet.windowTitle().toStdString());
    if (visited.size() == 1) {
      EXPECT_FALSE(rowSheet.GetButton(CAppSheet::ID_NEXT)->isEnabled());
    }
    if (left == 0) {
      EXPECT_FALSE(rowSheet.GetButton(CAppSheet::ID_PREVIOUS)->isEnabled());
      ClickOk(rowSheet);
      return;
    }
    WhenSheet([&walk, left](CAppSheet& previous) { walk(previous, left - 1); });
    Click(rowSheet.GetButton(CAppSheet::ID_PREVIOUS));
  };
  EXPECT_EQ(OpenSheet(resources, &group, [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    list->SetCurrentItem(2);
    WhenSheet([&](CAppSheet& rowSheet) { walk(rowSheet, 2); });
    list->OnProperties();
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(visited, (std::vector<std::string>{"Texte C", "Texte B", "Texte A"}));
}

// The walk's sheet belongs to the list's sheet, and each row brings its own
// exit rule: B, which has none, is not held back by the rule of A before it.
TEST_F(ListLinks, TheRowWalksSheetHasTheListsSheetAsParentAndEachRowsExitRule) {
  CAppParamGroup group("Deux");
  auto* a = group.SetAt("A", new CAppParamValue("Texte A"));
  auto* b = group.SetAt("B", new CAppParamValue("Texte B"));
  a->SetVariant(CAppVariant("go"));
  a->SetAlias("Texte avec sortie");
  resources.CreateProfile("Texte avec sortie")->SetAt("SYS_EXIT", new CAppParamGroup("Test Stop Exit"));
  UseTestLink(resources, a);
  UseTestLink(resources, b);
  std::vector<std::string> visited;
  EXPECT_EQ(OpenSheet(resources, &group, [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    list->SetCurrentItem(0);
    WhenSheet([&](CAppSheet& rowA) {
      visited.push_back(rowA.windowTitle().toStdString());
      EXPECT_EQ(rowA.parentWidget(), &sheet);
      WhenSheet([&](CAppSheet& rowB) {
        visited.push_back(rowB.windowTitle().toStdString());
        a->SetVariant(CAppVariant("stop"));
        ClickOk(rowB);
      });
      Click(rowA.GetButton(CAppSheet::ID_NEXT));
    });
    list->OnProperties();
    a->SetVariant(CAppVariant("go"));
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(visited, (std::vector<std::string>{"Texte A", "Texte B"}));
}

// The options button (item 2000) of the list's page: its tip, and a click
// opens the list's menu.
TEST_F(ListLinks, OptionsButtonOpensTheListsMenuAndHasItsTip) {
  bool menuShown = false;
  EXPECT_EQ(OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    auto* options = Item<QPushButton>(sheet, CAppLnkParamList::ID_OPTIONS);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(sheet.GetAppPage(-1)->GetLink()->OnUserToolTips(CAppLnkParamList::ID_OPTIONS),
              "Cliquez pour dérouler le menu d'options.");
    SaveScreenshot(sheet);
    QTimer::singleShot(0, [&] {
      if (QWidget* menu = QApplication::activePopupWidget()) {
        menuShown = true;
        menu->close();
      }
    });
    Click(options);
    ClickOk(sheet);
  }), 1);
  EXPECT_TRUE(menuShown);
}
