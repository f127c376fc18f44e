#include "appconfig/ui/AppCtrlEditNumeric.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "../../core/TestSupport.h"
#include "ControlTestSupport.h"
#include "UiTestSupport.h"

namespace {

constexpr unsigned kId = 13605;

// Records the edit's signals; `answer` is what the host answers a change.
struct NumericPage {
  QWidget owner;
  CAppCtrlEditNumeric* edit = new CAppCtrlEditNumeric(1, 255);
  int changes = 0;
  int answer = 1;
  bool errorReported = false;

  NumericPage() {
    QObject::connect(edit, &CAppCtrlEditNumeric::Changed, [this](int* reply) {
      ++changes;
      *reply = answer;
    });
    QObject::connect(edit, &CAppCtrlEditNumeric::ErrorReported, [this](bool error) { errorReported = error; });
    PlaceOnPage(MakePage(owner), edit, kId);
    edit->setFocus();
  }
  void Type(const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
};

}  // namespace

TEST(AppCtrlEditNumeric, ShowsTheValueInEachBaseUnderTheTypeMask) {
  NumericPage page;
  page.edit->SetValue(Typed(CAppVariant::VT_UI2, 0x1234));
  page.edit->SetBase(CAppTools::BASE_HEX);
  EXPECT_EQ(page.edit->text(), "0x1234");
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 5));
  EXPECT_EQ(page.edit->text(), "0x05");
  page.edit->SetValue(Typed(CAppVariant::VT_I2, -1));
  EXPECT_EQ(page.edit->text(), "0xFFFF");
  // Octal and binary: the base button's test.
  page.edit->SetBase(CAppTools::BASE_DEC);
  page.edit->SetValue(Typed(CAppVariant::VT_I4, -42));
  EXPECT_EQ(page.edit->text(), "-42");
  // A floating value has no bits to show in hexadecimal.
  page.edit->SetValue(CAppVariant(2.5));
  page.edit->SetBase(CAppTools::BASE_HEX);
  EXPECT_EQ(page.edit->text(), "###");
  // Showing a value is not user input.
  EXPECT_EQ(page.changes, 0);
}

TEST(AppCtrlEditNumeric, TypedTextIsReadInTheCurrentBaseAndType) {
  NumericPage page;
  page.edit->SetValue(Typed(CAppVariant::VT_I2, 0));
  page.Type("-300");
  EXPECT_FALSE(page.edit->IsError());
  EXPECT_EQ(page.edit->GetValue().GetInt64(), -300);
  EXPECT_EQ(page.edit->GetValue().GetType(), CAppVariant::VT_I2);
  page.Type("40000");  // beyond a signed 16-bit value at the last key
  EXPECT_TRUE(page.edit->IsError());
  EXPECT_EQ(page.edit->GetValue().GetInt64(), 4000) << "the last accepted value stays";
  page.Type("12a");
  EXPECT_TRUE(page.edit->IsError());

  page.edit->SetBase(CAppTools::BASE_HEX);
  page.Type("0xFFFF");
  EXPECT_FALSE(page.edit->IsError());
  EXPECT_EQ(page.edit->GetValue().GetInt64(), -1);
  page.Type("0xG1");
  EXPECT_TRUE(page.edit->IsError());

  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 0));
  page.edit->SetBase(CAppTools::BASE_BIN);
  page.Type("101");
  EXPECT_EQ(page.edit->GetValue().GetUInt64(), 5u);
  page.Type("102");
  EXPECT_TRUE(page.edit->IsError());
  page.edit->SetBase(CAppTools::BASE_DEC);
  page.Type("-1");
  EXPECT_TRUE(page.edit->IsError()) << "no sign in an unsigned type";
  EXPECT_GT(page.changes, 0);
}

TEST(AppCtrlEditNumeric, ErrorColoursAndReportLastUntilTheTextIsValid) {
  NumericPage page;
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 1));
  const QColor normal = page.edit->palette().color(QPalette::Base);
  page.Type("999");
  EXPECT_TRUE(page.errorReported);
  EXPECT_EQ(page.edit->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Highlight));
  SaveScreenshot(page.owner, "error");
  page.Type("99");
  EXPECT_FALSE(page.errorReported);
  EXPECT_EQ(page.edit->palette().color(QPalette::Base), normal);
  // A value the host refuses is an error too.
  page.answer = 0;
  page.Type("7");
  EXPECT_TRUE(page.edit->IsError());
  EXPECT_TRUE(page.errorReported);
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 7));
  EXPECT_FALSE(page.errorReported) << "a value shown by code clears the error";
}

TEST(AppCtrlEditNumeric, BaseButtonStepsThroughTheValidBases) {
  NumericPage page;
  QToolButton* button = page.edit->GetBaseButton();
  ASSERT_NE(button, nullptr);
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 255));
  const QString order[] = {"d", "h", "o", "b", "E", "d"};
  const QString texts[] = {"255", "0xFF", "377", QString::fromStdString(CAppTools::BinaryToString(255)), "255",
                           "255"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(button->text(), order[i]);
    EXPECT_EQ(page.edit->text(), texts[i]);
    if (i < 5) QTest::mouseClick(button, Qt::LeftButton);
  }
  page.edit->SetValideBase(CAppTools::BASE_DEC | CAppTools::BASE_HEX);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(button->text(), "d");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(button->text(), "h");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(button->text(), "d");
  page.edit->SetValideBase(CAppTools::BASE_HEX);
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(page.edit->GetBase(), CAppTools::BASE_HEX);
  page.edit->SetValideBase(0);
  EXPECT_FALSE(button->isEnabled()) << "a mask of 0 changes nothing";
  EXPECT_TRUE(page.edit->hasFocus());
}

// In place nothing is reported: the typed text is read when its host
// commits, and the base button converts what was typed.
TEST(AppCtrlEditNumeric, InPlaceTheBaseButtonConvertsTheTypedTextAndNothingIsReported) {
  NumericPage page;
  page.edit->SetIsEditInPlace(1);
  page.edit->SetValideBase(CAppTools::BASE_DEC | CAppTools::BASE_HEX);
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 16));
  page.edit->SetBase(CAppTools::BASE_HEX);
  EXPECT_EQ(page.edit->text(), "0x10");
  page.Type("0x2A");
  QTest::mouseClick(page.edit->GetBaseButton(), Qt::LeftButton);
  EXPECT_EQ(page.edit->text(), "42");
  page.Type("zz");
  EXPECT_FALSE(page.errorReported);
  EXPECT_EQ(page.changes, 0);
}

TEST(AppCtrlEditNumeric, ReadOnlyMessageDisablesAndLockIgnoresText) {
  NumericPage page;
  page.edit->SetValue(Typed(CAppVariant::VT_UI1, 1));
  CAppLnkWnd::SetReadOnly(page.edit, 1);
  EXPECT_FALSE(page.edit->isEnabled());
  EXPECT_FALSE(page.edit->GetBaseButton()->isEnabled());
  CAppLnkWnd::SetReadOnly(page.edit, 0);
  EXPECT_TRUE(page.edit->isEnabled());
  page.edit->SetLock(1);
  page.edit->setText("bad");
  EXPECT_FALSE(page.edit->IsError());
  EXPECT_EQ(page.changes, 0);
}
