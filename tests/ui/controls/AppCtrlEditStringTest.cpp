#include "appconfig/ui/AppCtrlEditString.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>

#include "ControlTestSupport.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"

namespace {

constexpr unsigned kId = 13605;

struct StringPage {
  QWidget owner;
  CAppCtrlEditString* edit = new CAppCtrlEditString(8);
  QLineEdit* other = new QLineEdit;
  int changes = 0;

  StringPage() {
    QObject::connect(edit, &CAppCtrlEditString::Changed, [this] { ++changes; });
    QWidget* page = MakePage(owner);
    PlaceOnPage(page, edit, kId);
    PlaceOnPage(page, other, 1);
    edit->setFocus();
  }
};

}  // namespace

TEST(AppCtrlEditString, SignalsAChangePerKeyOrOnFocusLoss) {
  StringPage page;
  page.edit->SetValue("a\nb");
  EXPECT_EQ(page.edit->GetValue(), "a\r\nb");
  EXPECT_EQ(page.changes, 0) << "a value set by code is no user change";
  page.edit->clear();
  QTest::keyClicks(page.edit, "abcdefghij");
  EXPECT_EQ(page.edit->GetValue(), "abcdefgh") << "at most the maximum characters";
  EXPECT_EQ(page.changes, 8);
  page.changes = 0;
  page.edit->SetModeOnKillFocus(1);
  QTest::keyClick(page.edit, Qt::Key_Backspace);
  EXPECT_EQ(page.changes, 0);
  page.other->setFocus();
  EXPECT_EQ(page.changes, 1);
  CAppLnkWnd::SetReadOnly(page.edit, 1);
  EXPECT_FALSE(page.edit->isEnabled());
}

TEST(AppCtrlEditString, InPlaceEscapePutsTheInitialTextBackWithoutCommitting) {
  QWidget owner;
  MakePage(owner);
  auto* edit = new CAppCtrlEditString(0, &owner);
  edit->SetIsEditInPlace(1);
  edit->setText("initial");
  edit->SetInPlaceDefaultText("initial");
  edit->show();
  edit->setFocus();
  QPointer<CAppCtrlEditString> alive(edit);
  QTest::keyClicks(edit, "xyz");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), "initial");
  EXPECT_TRUE(edit->EndCurrentEdit()) << "it counts as ended";
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull()) << "without a list it deletes itself";
}

TEST(AppCtrlEditNumeric, InPlaceWheelCancelsLikeEscape) {
  QWidget owner;
  MakePage(owner);
  auto* edit = new CAppCtrlEditNumeric(1, 255, &owner);
  edit->SetIsEditInPlace(1);
  CAppVariant value;
  value.SetUInt(CAppVariant::VT_UI1, 7);
  edit->SetValue(value);
  edit->SetInPlaceDefaultText("7");
  edit->show();
  edit->setFocus();
  QPointer<CAppCtrlEditNumeric> alive(edit);
  QTest::keyClicks(edit, "9");
  EXPECT_FALSE(edit->IsError()) << "in place the text is read only when it ends";
  QWheelEvent wheel(QPointF(5, 5), edit->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(edit, &wheel);
  EXPECT_EQ(edit->text(), "7");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}
