#include "appconfig/ui/AppCtrlList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <QToolButton>

#include "ControlTestSupport.h"
#include "platform/AppWindowMessages.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "models/AppParamGroupModel.h"

namespace {

constexpr unsigned kId = 13604;


// A page with a list of three rows. By hand: name, value and unit texts
// with data 100 to 102. Otherwise the rows of a group of three texts (or
// bytes from 1 to 100) through the group's model, whose value column edits
// in place.
struct ListPage {
  QWidget owner;
  CAppLnkWnd link;
  CAppParamGroup group{"Groupe"};
  CAppCtrlList* list = new CAppCtrlList(1);
  std::function<int()> onChange = [] { return 1; };
  int nextCtrl = 0;
  int prevCtrl = 0;
  std::vector<int> kinds;

  enum Rows { BY_HAND, TEXTS, NUMBERS };
  explicit ListPage(Rows rows = TEXTS) {
    QObject::connect(list, &CAppCtrlList::Changed, [this](CAppLnkWnd::EN_OPERATION_TYPE kind, int* answer) {
      kinds.push_back(kind);
      *answer = onChange();
    });
    QObject::connect(list, &CAppCtrlList::LeaveFocus, [this](bool previous) { ++(previous ? prevCtrl : nextCtrl); });
    PlaceOnPage(MakePage(owner), list, kId);
    if (rows == BY_HAND) {
      for (const char* title : {"Nom", "Valeur", "Unité"}) list->AddColumn(title);
      for (int row = 0; row < 3; ++row) {
        list->AddItem(static_cast<unsigned long>(100 + row), "Param " + std::to_string(row));
        list->SetText(std::to_string(row * 10), row, 1);
        list->SetText("ms", row, 2);
      }
    } else {
      for (int row = 0; row < 3; ++row) AddRow(rows, row);
      list->SetGroupModel(new CAppParamGroupModel(link, group, CAppParamGroupModel::MODE_LIST, nullptr, nullptr));
    }
    list->setFocus();
  }

  void AddRow(Rows rows, int row) {
    const std::string key = "P" + std::to_string(row);
    const std::string name = "Param " + std::to_string(row);
    if (rows == TEXTS) {
      group.SetAt(key, new CAppParamValue(name))->SetVariant(CAppVariant(std::to_string(row * 10)));
      return;
    }
    auto* number = group.SetAt(key, new CAppParamNumeric(name));
    number->SetType(CAppTools::Type(CAppVariant::VT_UI1));
    number->SetMinValue(CAppVariant(std::uint32_t{1}));
    number->SetMaxValue(CAppVariant(std::uint32_t{100}));
    number->SetVariant(CAppVariant(static_cast<std::uint32_t>(16 + row)));
  }

  template <class T>
  T* Open() const {
    return qobject_cast<T*>(list->GetInPlaceEditor());
  }
  CAppParam* Row(int row) const { return group.FindChild(group.GetKeyAt(static_cast<unsigned>(row))); }
  std::string Value(int row) const { return Row(row)->GetFmtValue(); }
  int Kinds(int kind) const { return static_cast<int>(std::count(kinds.begin(), kinds.end(), kind)); }
};

void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

TEST(AppCtrlList, TabCommitsAndMovesThroughEditableCellsThenLeavesTheList) {
  ListPage page;
  ASSERT_TRUE(page.list->EditSubItem(0, 1));
  auto* edit = page.Open<CAppCtrlEditString>();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->property("dlgItem").toUInt(), 2001u);
  EXPECT_EQ(edit->text(), "0");
  EXPECT_EQ(edit->selectedText(), "0");
  QTest::keyClicks(edit, "abc");
  SaveScreenshot(page.owner, "editing");
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(page.Value(0), "abc");
  EXPECT_EQ(page.list->GetItemText(0, 1), "abc");
  // The unit column has no editor, so Tab lands on the next row's value.
  EXPECT_EQ(page.list->GetInPlaceRow(), 1);
  EXPECT_EQ(page.list->GetInPlaceColumn(), 1);
  ASSERT_NE(page.Open<CAppCtrlEditString>(), nullptr);
  QTest::keyClick(page.Open<CAppCtrlEditString>(), Qt::Key_Tab);
  EXPECT_EQ(page.list->GetInPlaceRow(), 2);
  EXPECT_EQ(page.Kinds(CAppLnkWnd::OPERATION_END_EDIT), 1) << "an unchanged text is not written";
  QTest::keyClick(page.Open<CAppCtrlEditString>(), Qt::Key_Tab);
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.nextCtrl, 1) << "past the last row the page's next control";
  Settle();

  page.list->EditSubItem(1, 1);
  QTest::keyClick(page.Open<CAppCtrlEditString>(), Qt::Key_Backtab);
  EXPECT_EQ(page.list->GetInPlaceRow(), 0);
  QTest::keyClick(page.Open<CAppCtrlEditString>(), Qt::Key_Backtab);
  EXPECT_EQ(page.prevCtrl, 1);
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
}

TEST(AppCtrlList, EscapeCancelsFocusLossCommitsAndTheHostMayRefuseAnEditor) {
  ListPage page;
  page.list->EditSubItem(1, 1);
  auto* edit = page.Open<CAppCtrlEditString>();
  QTest::keyClicks(edit, "zz");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.Value(1), "10");
  EXPECT_EQ(page.list->GetItemText(1, 1), "10");
  Settle();

  page.list->EditSubItem(2, 1);
  QTest::keyClicks(page.Open<CAppCtrlEditString>(), "5");
  page.list->setFocus();
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.list->GetItemText(2, 1), "5");
  EXPECT_EQ(page.Kinds(CAppLnkWnd::OPERATION_END_EDIT), 1);
  Settle();

  page.onChange = [] { return 0; };
  EXPECT_FALSE(page.list->EditSubItem(0, 1));
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.kinds.back(), CAppLnkWnd::OPERATION_BEGIN_EDIT);
}

// A number out of its bounds is refused with a message, and the editor
// stays with the typed text selected; an unreadable one stays silently.
TEST(AppCtrlList, NumericEditorWritesItsValueAndKeepsARefusedText) {
  ListPage page(ListPage::NUMBERS);
  page.list->EditSubItem(0, 1);
  auto* edit = page.Open<CAppCtrlEditNumeric>();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), "16");
  SaveScreenshot(page.owner, "numeric");
  edit->selectAll();
  QTest::keyClicks(edit, "0");
  std::string message;
  WhenMessageBox(message);
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(message, "La value doit être comprise dans l'intervalle [1,100].");
  ASSERT_EQ(page.list->GetInPlaceEditor(), edit) << "a refused value keeps the editor";
  EXPECT_EQ(edit->selectedText(), "0");
  QTest::keyClicks(edit, "20");
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.Value(0), "20");
  // An unreadable text is not written and keeps the editor.
  page.list->EditSubItem(1, 1);
  edit = page.Open<CAppCtrlEditNumeric>();
  edit->selectAll();
  QTest::keyClicks(edit, "0xZZ");
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(page.list->GetInPlaceEditor(), edit);
  EXPECT_EQ(page.Kinds(CAppLnkWnd::OPERATION_END_EDIT), 1);
}

TEST(AppCtrlList, MenuCommandsRunPropertiesAndEdit) {
  ListPage page;
  QMenu* menu = page.list->GetMenu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text().toStdString(), CAppTools::LoadString(57728));
  EXPECT_EQ(menu->actions()[1]->text().toStdString(), CAppTools::LoadString(57729));
  page.list->SetCurrentItem(2);
  EXPECT_EQ(page.list->GetParam(), page.Row(2));
  page.kinds.clear();
  page.list->OnMenuCommand(CAppCtrlList::ID_PROPERTIES);
  EXPECT_EQ(page.kinds, std::vector<int>{CAppLnkWnd::OPERATION_PROPERTIES});
  page.list->SetModeEditInPlace(1);
  page.list->OnMenuCommand(CAppCtrlList::ID_EDIT);
  EXPECT_EQ(page.list->GetInPlaceRow(), 2);
  EXPECT_NE(page.Open<CAppCtrlEditString>(), nullptr);
  page.list->OnExitInPlaceControl();
  Settle();
  page.list->setFocus();
  QTest::keyClick(page.list, Qt::Key_F2);
  EXPECT_NE(page.Open<CAppCtrlEditString>(), nullptr) << "F2 edits the current row's value";
}

TEST(AppCtrlList, SelectionCheckModeAndReadOnlyKeys) {
  ListPage page(ListPage::BY_HAND);
  EXPECT_EQ(page.list->GetValue(2), 102u);
  page.kinds.clear();
  const QRect row1 = page.list->visualRect(page.list->model()->index(1, 0));
  QTest::mouseClick(page.list->viewport(), Qt::LeftButton, {}, row1.center());
  EXPECT_EQ(page.list->GetCurrentItem(), 1);
  EXPECT_EQ(page.kinds, std::vector<int>{CAppLnkWnd::OPERATION_SELECT});
  int column = -1;
  EXPECT_EQ(page.list->HitTestEx(row1.center(), &column), 1);
  EXPECT_EQ(column, 0);

  page.list->SetModeCheck();
  page.list->SetImageIndex(0, 1);
  page.kinds.clear();
  QTest::keyClick(page.list, Qt::Key_Space);
  EXPECT_EQ(page.list->GetItemImage(1), 1) << "Space checks the row";
  EXPECT_EQ(page.kinds, std::vector<int>{CAppLnkWnd::OPERATION_PROPERTIES});
  SaveScreenshot(page.owner, "check");
  CAppLnkWnd::SetReadOnly(page.list, 1);
  page.list->OnMenuCommand(CAppCtrlList::ID_PROPERTIES);
  EXPECT_EQ(page.list->GetItemImage(1), 1) << "a read-only list keeps its checks";

  page.list->SetModeSelect();
  QTest::keyClick(page.list, Qt::Key_Down);
  EXPECT_EQ(page.list->GetCurrentItem(), 1) << "a read-only list ignores the keyboard";
  EXPECT_EQ(page.list->GetCount(), 3);
  EXPECT_EQ(page.list->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
  CAppLnkWnd::SetReadOnly(page.list, 0);
  QTest::keyClick(page.list, Qt::Key_Down);
  EXPECT_EQ(page.list->GetCurrentItem(), 2);
}

TEST(AppCtrlList, ClickEditsInEditModeMissingColumnsLeaveTheListAndGoneCellsGetNoEditor) {
  ListPage page;
  page.list->SetModeEditInPlace(1);
  const QRect cell = page.list->visualRect(page.list->model()->index(2, 1));
  QTest::mouseClick(page.list->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(page.list->GetInPlaceRow(), 2);
  EXPECT_NE(page.Open<CAppCtrlEditString>(), nullptr);
  EXPECT_TRUE(page.list->EditSubItem(2, 7));
  EXPECT_EQ(page.nextCtrl, 1);
  EXPECT_TRUE(page.list->EditSubItem(0, -1));
  EXPECT_EQ(page.prevCtrl, 1);
  EXPECT_FALSE(page.list->EnsureColumnVisible(3));
  page.list->OnExitInPlaceControl();
  Settle();
  // Emptied while editing, the list closes the editor with its cells.
  page.list->EditSubItem(2, 1);
  QPointer<QWidget> editor = page.list->GetInPlaceEditor();
  ASSERT_NE(editor, nullptr);
  page.list->RemoveAll();
  EXPECT_EQ(page.list->GetInPlaceEditor(), nullptr);
  EXPECT_EQ(page.list->GetCount(), 0);
  Settle();
  EXPECT_TRUE(editor.isNull());
}

TEST(AppCtrlList, EndActivateSelectsTheRememberedRowAndFitsColumns) {
  ListPage page(ListPage::BY_HAND);
  page.list->SetCurrentItem(2);
  SendAppMessage(page.list, AppWindowMessage::CtrlBeginActivate, 0, 0);
  EXPECT_FALSE(page.list->updatesEnabled());
  page.list->RemoveItem(2);
  SendAppMessage(page.list, AppWindowMessage::CtrlEndActivate, 0, 0);
  EXPECT_TRUE(page.list->updatesEnabled());
  EXPECT_EQ(page.list->GetCurrentItem(), 1);
  EXPECT_GE(page.list->header()->sectionSize(0), page.list->header()->sectionSizeHint(0));
}

TEST(CListCtrlStyled, CellStylesWinOverRowsOverColumnsAndFollowSorting) {
  CListCtrlStyled list;
  list.InsertColumn(0, "A");
  list.InsertColumn(1, "B");
  list.InsertItem(0, "b");
  list.InsertItem(1, "a");
  CListCellStyle column;
  column.text = Qt::blue;
  column.background = Qt::yellow;
  list.SetColumnStyle(1, column);
  CListCellStyle row;
  row.text = Qt::red;
  row.flags = CListCellStyle::STYLE_BOLD;
  list.SetRowStyle(0, row);
  CListCellStyle cell;
  cell.text = Qt::green;
  list.SetCellStyle(0, 1, cell);
  EXPECT_EQ(list.GetMergedStyle(0, 1).text, QColor(Qt::green));
  EXPECT_EQ(list.GetMergedStyle(0, 1).background, QColor(Qt::yellow));
  EXPECT_EQ(list.GetMergedStyle(0, 0).text, QColor(Qt::red));
  EXPECT_EQ(list.GetMergedStyle(1, 1).text, QColor(Qt::blue));
  EXPECT_TRUE(list.model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold());
  list.SortItems(0, true);
  EXPECT_EQ(list.GetItemText(1, 0), "b");
  EXPECT_EQ(list.GetMergedStyle(1, 1).text, QColor(Qt::green)) << "styles travel with their row";
  EXPECT_EQ(list.GetMergedStyle(0, 1).text, QColor(Qt::blue));
  list.InsertColumn(0, "Z");
  EXPECT_EQ(list.GetMergedStyle(1, 2).text, QColor(Qt::green)) << "and with their column";
  EXPECT_EQ(list.GetMergedStyle(1, 0).text, QColor(Qt::red)) << "a row's style covers a new first column";
  EXPECT_EQ(list.GetMergedStyle(0, 2).text, QColor(Qt::blue));
  list.DeleteItem(0);
  EXPECT_EQ(list.GetItemCount(), 1);
  EXPECT_EQ(list.GetMergedStyle(0, 2).text, QColor(Qt::green));
}

TEST(AppCtrlList, OptionsButtonOpensTheMenuAndRunsTheChoice) {
  ListPage page;
  auto* options = new QPushButton("...");
  PlaceOnPage(&page.owner, options, CAppCtrlList::ID_OPTIONS_BUTTON);
  page.list->SetOptionsButton(options);
  page.list->SetCurrentItem(1);
  page.kinds.clear();
  QMenu* menu = page.list->GetMenu();
  QTimer::singleShot(0, menu, [menu] {
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QTest::mouseClick(options, Qt::LeftButton);
  EXPECT_EQ(page.kinds, std::vector<int>{CAppLnkWnd::OPERATION_PROPERTIES});
}
