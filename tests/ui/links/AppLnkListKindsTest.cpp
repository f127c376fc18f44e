// The filtered, multi-column, configuration and structure links on the
// groups of the bundled description.
#include <QComboBox>

#include "GroupLinkFixture.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppLnkConfigList.h"
#include "appconfig/ui/AppLnkParamListMultiColumns.h"
#include "appconfig/ui/AppLnkParamStruct.h"

namespace {

using ListKinds = GroupLinks;

CAppCtrlList* SheetList(CAppSheet& sheet, unsigned id = 13605) { return Item<CAppCtrlList>(sheet, id); }
QPushButton* Button(CAppSheet& sheet, unsigned id) { return Item<QPushButton>(sheet, id); }

}  // namespace

TEST_F(ListKinds, FilterComboChoosesWhichRowsTheListShows) {
  std::vector<std::vector<std::string>> shown;
  EXPECT_EQ(OpenSheet(resources, Plant("STATIONS"), [&](CAppSheet& sheet) {
    auto* combo = Item<CAppCtrlCombo>(sheet, 13549);
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Stations en marche");
    EXPECT_EQ(Item<QLabel>(sheet, 13550)->text(), "Afficher :");
    shown.push_back(RowKeys(SheetList(sheet)));
    SaveScreenshot(sheet);
    for (int item : {1, 2}) {
      combo->setCurrentIndex(item);
      emit combo->activated(item);
      shown.push_back(RowKeys(SheetList(sheet)));
    }
    SaveScreenshot(sheet, "all");
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(shown, (std::vector<std::vector<std::string>>{{"STATION_0", "STATION_2"},
                                                          {"STATION_0", "STATION_1", "STATION_2"},
                                                          {"STATION_0", "STATION_1", "STATION_2", "SPARE"}}));
}

// Up and down swap rows in the group and follow the row; the first row
// cannot go up nor the last down; a new row cancelled in its sheet is
// removed again; the whole table comes back on cancel.
TEST_F(ListKinds, MultiColumnRowsAreAddedRemovedAndMovedInTheGroup) {
  CAppParam* table = Plant("TABLE");
  const std::vector<char> before = Saved(table);
  EXPECT_EQ(OpenSheet(resources, table, [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetColumnCount(), 2);
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "Vitesse");
    EXPECT_EQ(RowKeys(list), (std::vector<std::string>{"STATION_0", "STATION_1"}));
    EXPECT_EQ(Cell(list, 1, 1), "-");  // the second station has no mode

    list->SetCurrentItem(0);
    QPushButton* up = Button(sheet, CAppLnkParamListMultiColumns::ID_UP);
    QPushButton* down = Button(sheet, CAppLnkParamListMultiColumns::ID_DOWN);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
    Click(down);
    EXPECT_EQ(ChildKeys(table), (std::vector<std::string>{"STATION_TEMPLATE", "STATION_1", "STATION_0"}));
    EXPECT_EQ(list->GetCurrentItem(), 1);
    EXPECT_TRUE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
    Click(up);
    EXPECT_EQ(ChildKeys(table), (std::vector<std::string>{"STATION_TEMPLATE", "STATION_0", "STATION_1"}));

    // Added and accepted, then added and cancelled.
    WhenSheet([&](CAppSheet& rowSheet) {
      EXPECT_EQ(rowSheet.windowTitle(), "Station 3");
      ClickOk(rowSheet);
    });
    Click(Button(sheet, CAppLnkParamListMultiColumns::ID_ADD));
    EXPECT_EQ(RowKeys(list), (std::vector<std::string>{"STATION_0", "STATION_1", "STATION_2"}));
    EXPECT_EQ(Cell(list, 2, 0), "100");
    SaveScreenshot(sheet, "added");
    WhenSheet([&](CAppSheet& rowSheet) { ClickCancel(rowSheet); });
    Click(Button(sheet, CAppLnkParamListMultiColumns::ID_ADD));
    EXPECT_EQ(ChildKeys(table),
              (std::vector<std::string>{"STATION_TEMPLATE", "STATION_0", "STATION_1", "STATION_2"}));

    list->SetCurrentItem(0);
    Click(Button(sheet, CAppLnkParamListMultiColumns::ID_REMOVE));
    EXPECT_EQ(ChildKeys(table), (std::vector<std::string>{"STATION_TEMPLATE", "STATION_1", "STATION_2"}));
    ClickCancel(sheet);
  }), 2);
  table = Plant("TABLE");
  EXPECT_EQ(Saved(table), before);
}

TEST_F(ListKinds, ConfigListMovesParametersBetweenAvailableAndConfigured) {
  CAppParam* options = Plant("OPTIONS");
  EXPECT_EQ(OpenSheet(resources, options, [&](CAppSheet& sheet) {
    CAppCtrlList* available = SheetList(sheet, CAppLnkConfigList::ID_AVAILABLE);
    CAppCtrlList* configured = SheetList(sheet, CAppLnkConfigList::ID_CONFIGURED);
    ASSERT_TRUE(available != nullptr && configured != nullptr);
    EXPECT_EQ(RowKeys(available), (std::vector<std::string>{"TRACE", "REMOTE"}));
    EXPECT_EQ(RowKeys(configured), (std::vector<std::string>{"WATCHDOG", "CLOCK"}));
    SaveScreenshot(sheet);
    available->SetCurrentItem(0);
    Click(Button(sheet, CAppLnkConfigList::ID_ADD));
    EXPECT_EQ(RowKeys(configured), (std::vector<std::string>{"WATCHDOG", "TRACE", "CLOCK"}));
    EXPECT_EQ(configured->GetCurrentItem(), 1);
    Click(Button(sheet, CAppLnkConfigList::ID_UP));
    EXPECT_EQ(RowKeys(configured), (std::vector<std::string>{"TRACE", "WATCHDOG", "CLOCK"}));
    configured->SetCurrentItem(2);
    Click(Button(sheet, CAppLnkConfigList::ID_REMOVE));
    EXPECT_EQ(RowKeys(available), (std::vector<std::string>{"CLOCK", "REMOTE"}));
    ClickOk(sheet);
  }), 1);
  EXPECT_FALSE(Plant("OPTIONS\\TRACE")->IsFlagsEnable(PF_HIDDEN));
  EXPECT_TRUE(Plant("OPTIONS\\CLOCK")->IsFlagsEnable(PF_HIDDEN));
  EXPECT_EQ(ChildKeys(options), (std::vector<std::string>{"TRACE", "WATCHDOG", "CLOCK", "REMOTE"}));
}

// The frame's fields at bytes 0, 1, 2, 4 and 5; a field typed in the list
// shows in the dump, bytes typed in hex mode reach the fields when the box
// is cleared, and the page cannot be left in hex mode.
TEST_F(ListKinds, StructureShowsBytePositionsAndEditsInTheListOrInHex) {
  CAppParam* frame = Plant("FRAME");
  auto* retries = static_cast<CAppParamNumeric*>(Plant("FRAME\\RETRIES"));
  EXPECT_EQ(OpenSheet(resources, frame, [&](CAppSheet& sheet) {
    CAppCtrlList* list = SheetList(sheet);
    auto* dump = Item<CAppCtrlEditDump>(sheet, CAppLnkParamStruct::ID_DUMP);
    auto* check = Item<CAppCtrlCheck>(sheet, CAppLnkParamStruct::ID_HEX);
    ASSERT_TRUE(list != nullptr && dump != nullptr && check != nullptr);
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "Position");
    std::vector<std::string> positions;
    for (int row = 0; row < list->GetCount(); ++row) positions.push_back(Cell(list, row, 0));
    EXPECT_EQ(positions, (std::vector<std::string>{"  0", "  1", "  2", "  4", "  5"}));
    EXPECT_EQ(DataOf(*dump), (std::vector<std::uint8_t>{0x02, 0x00, 0xE8, 0x03, 0x0A, 0x05}));
    SaveScreenshot(sheet);

    // Column 2 is the value.
    list->EditSubItem(RowOf(list, retries), 2);
    auto* numeric = qobject_cast<CAppCtrlEditNumeric*>(list->GetInPlaceEditor());
    ASSERT_NE(numeric, nullptr);
    numeric->setText("12");
    QTest::keyClick(numeric, Qt::Key_Return);
    EXPECT_EQ(list->GetInPlaceEditor(), nullptr);
    EXPECT_EQ(DataOf(*dump).at(4), 12);

    check->click();
    EXPECT_EQ(list->IsReadOnly(), 1);
    dump->SetData(std::vector<std::uint8_t>{0x03, 0x00, 0xE8, 0x03, 0x07, 0x05});
    EXPECT_EQ(sheet.GetAppPage(-1)->OnExit(), 0);
    SaveScreenshot(sheet, "hex");
    check->click();
    EXPECT_EQ(retries->GetVariant().ToUInt32(), 7u);
    EXPECT_EQ(Cell(list, 0, 2), "3");
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(retries->GetVariant().ToUInt32(), 7u);
  EXPECT_EQ(Plant("FRAME\\VERSION")->GetVariant().ToUInt32(), 3u);
}
