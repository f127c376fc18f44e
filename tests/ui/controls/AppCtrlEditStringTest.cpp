#include "appconfig/ui/AppCtrlEditString.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ControlTestSupport.h"

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
