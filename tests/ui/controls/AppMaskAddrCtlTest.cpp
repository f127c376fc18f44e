#include "appconfig/ui/AppMaskAddrCtl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QTest>

#include "ControlTestSupport.h"
#include "platform/AppDialogTemplate.h"
#include "UiTestSupport.h"
#include "appconfig/AppTools.h"

namespace {

constexpr unsigned kId = 13551;

struct AddressPage {
  QWidget owner;
  QLineEdit* before = new QLineEdit;
  CAppMaskAddrCtl* address;
  QLineEdit* after = new QLineEdit;

  explicit AddressPage(CAppMaskAddrCtl* control = new CAppMaskAddrCtl) : address(control) {
    QWidget* page = MakePage(owner);
    PlaceOnPage(page, before, 1);
    PlaceOnPage(page, address, kId);
    PlaceOnPage(page, after, 2);
    address->FocusField(0, true);
  }
  CAppMaskAddrEdit* Field(unsigned i) const { return address->GetEditControl(i); }
  QString Texts() const {
    QStringList parts;
    for (unsigned i = 0; i < address->GetFieldCount(); ++i) parts << Field(i)->text();
    return parts.join('|');
  }
};

}  // namespace

TEST(AppMaskAddrCtl, TypingFillsFieldsAndMovesOnWhenAFieldIsFull) {
  AddressPage page;
  EXPECT_EQ(page.Field(0)->property("dlgItem").toUInt(), 13552u);
  EXPECT_EQ(page.Field(3)->property("dlgItem").toUInt(), 13555u);
  QTest::keyClicks(page.Field(0), "192");
  EXPECT_TRUE(page.Field(1)->hasFocus()) << "a full field moves on by itself";
  QTest::keyClicks(QApplication::focusWidget(), "1x6.");  // x is dropped
  EXPECT_TRUE(page.Field(2)->hasFocus()) << "the separator moves on after digits";
  QTest::keyClicks(QApplication::focusWidget(), ".");
  EXPECT_TRUE(page.Field(2)->hasFocus()) << "the separator does nothing in an empty field";
  QTest::keyClicks(QApplication::focusWidget(), "0 ");
  EXPECT_TRUE(page.Field(3)->hasFocus()) << "space moves on";
  QTest::keyClicks(QApplication::focusWidget(), "7");
  EXPECT_EQ(page.Texts(), "192|16|0|7");
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(page.address->GetData(bytes));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{192, 16, 0, 7}));
  SaveScreenshot(page.owner);
}

TEST(AppMaskAddrCtl, ArrowsBackspaceAndTabMoveBetweenFieldsAndOut) {
  AddressPage page;
  page.address->SetData({10, 20, 30, 40});
  page.address->FocusField(1, false);
  page.Field(1)->setCursorPosition(0);
  QTest::keyClick(page.Field(1), Qt::Key_Left);
  EXPECT_TRUE(page.Field(0)->hasFocus());
  QTest::keyClick(page.Field(0), Qt::Key_Right);
  EXPECT_TRUE(page.Field(1)->hasFocus());
  EXPECT_EQ(page.Field(1)->selectedText(), "20") << "the right arrow selects the next field";
  page.Field(1)->setCursorPosition(0);
  QTest::keyClick(page.Field(1), Qt::Key_Backspace);
  EXPECT_TRUE(page.Field(0)->hasFocus()) << "Backspace at a field's start goes back";
  EXPECT_EQ(page.Field(0)->text(), "10");
  QTest::keyClick(page.Field(0), Qt::Key_Backspace);
  EXPECT_EQ(page.Field(0)->text(), "1") << "inside a field it deletes";
  QTest::keyClick(page.Field(0), Qt::Key_Tab);
  EXPECT_TRUE(page.after->hasFocus()) << "Tab leaves the whole control";
  page.address->FocusField(2, true);
  QTest::keyClick(page.Field(2), Qt::Key_Backtab);
  EXPECT_TRUE(page.before->hasFocus());
}

TEST(AppMaskAddrCtl, InvalidFieldsShowTheirMessageAndTakeTheFocus) {
  RecordedMessageBoxes boxes;
  AddressPage page;
  page.address->SetData({1, 2, 3, 4});
  page.Field(2)->setText("300");
  tagMASK_ADDR record{};
  EXPECT_FALSE(page.address->GetAddress(1, record));
  EXPECT_EQ(record.invalid, 3u);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0],
            "300 n'est pas une valeur valide. Veuillez spécifier une valeur entre 0 et 255 pour ce champ.");
  EXPECT_EQ(boxes.styles[0], unsigned(APP_MB_OK | APP_MB_ICONEXCLAMATION));
  EXPECT_TRUE(page.Field(2)->hasFocus());
  EXPECT_EQ(page.Field(2)->selectedText(), "300");

  page.Field(2)->setText("3");
  page.Field(1)->clear();
  std::vector<std::uint8_t> bytes{9};
  EXPECT_FALSE(page.address->GetData(bytes));
  EXPECT_EQ(bytes, std::vector<std::uint8_t>{9}) << "nothing read from an invalid address";
  ASSERT_EQ(boxes.texts.size(), 2u);
  EXPECT_EQ(boxes.texts[1], "une valeur est manquante dans l'adresse");
  EXPECT_TRUE(page.Field(1)->hasFocus());
  // Without the message switch, the record alone tells.
  EXPECT_FALSE(page.address->GetAddress(0, record));
  EXPECT_EQ(record.invalid, 2u);
  EXPECT_EQ(boxes.texts.size(), 2u);
}

TEST(AppMaskAddrCtl, HexadecimalControlTakesCapitalsAndReadsInHex) {
  AddressPage page(new CAppMaskAddrCtl(6, ':', "%02X", 255));
  EXPECT_TRUE(page.address->IsHexa());
  EXPECT_EQ(page.address->GetNbCharMax(), 2u);
  QTest::keyClicks(page.Field(0), "af");  // the field is full after "AF"
  ASSERT_TRUE(page.Field(1)->hasFocus());
  QTest::keyClicks(page.Field(1), "g0");  // g is dropped
  EXPECT_EQ(page.Field(0)->text(), "AF");
  EXPECT_EQ(page.Field(1)->text(), "0");
  page.address->SetData({0xAF, 1, 2, 3, 4, 0x5C});
  EXPECT_EQ(page.Texts(), "AF|01|02|03|04|5C");
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(page.address->GetData(bytes));
  EXPECT_EQ(bytes.back(), 0x5C);
}

TEST(AppMaskAddrCtl, ReadOnlyMessageReachesEveryFieldAndTypingChangesNothing) {
  AddressPage page;
  page.address->SetData({192, 168, 0, 1});
  EXPECT_EQ(CAppLnkWnd::SetReadOnly(page.address, 1), 1);
  for (unsigned i = 0; i < page.address->GetFieldCount(); ++i) EXPECT_TRUE(page.Field(i)->isReadOnly());
  page.address->FocusField(2, true);
  QTest::keyClicks(page.Field(2), "7");
  EXPECT_EQ(page.Texts(), "192|168|0|1");
  CAppLnkWnd::SetReadOnly(page.address, 0);
  EXPECT_FALSE(page.Field(3)->isReadOnly());
  QTest::keyClicks(page.Field(2), "7");
  EXPECT_EQ(page.Texts(), "192|168|7|1");
}

// A field that has the focus loses it while the control goes; that must not
// reach the control, whose members are gone by then (the sanitizers see it),
// nor commit anything to the list it edits for.
TEST(AppMaskAddrCtl, DestroyedWithAFocusedFieldReachesNothing) {
  AddressPage page;
  page.address->SetIsEditInPlace(1);
  // The first field is the control's focus proxy: the control has the focus.
  page.address->FocusField(0, true);
  QTest::keyClicks(page.Field(0), "9");
  ASSERT_TRUE(page.address->hasFocus());
  delete page.address;
  QApplication::processEvents();
  EXPECT_TRUE(page.owner.findChildren<CAppMaskAddrEdit*>().isEmpty());
}

TEST(AppMaskAddrCtl, EnterAndEscapePressTheDialogsOkAndCancel) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* address = new CAppMaskAddrCtl;
  layout->addWidget(address);
  auto* ok = new QPushButton("OK");
  auto* cancel = new QPushButton("Annuler");
  AppSetDlgItemId(ok, 1);
  AppSetDlgItemId(cancel, 2);
  layout->addWidget(ok);
  layout->addWidget(cancel);
  int oks = 0;
  int cancels = 0;
  QObject::connect(ok, &QPushButton::clicked, [&oks] { ++oks; });
  QObject::connect(cancel, &QPushButton::clicked, [&cancels] { ++cancels; });
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  address->FocusField(1, true);
  QTest::keyClick(address->GetEditControl(1), Qt::Key_Return);
  EXPECT_EQ(oks, 1);
  QTest::keyClick(address->GetEditControl(1), Qt::Key_Escape);
  EXPECT_EQ(cancels, 1);
}
