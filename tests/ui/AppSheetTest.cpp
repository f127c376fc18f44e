// Sheets, pages, dialogs and the progress window.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "../core/TestSupport.h"
#include "UiFixture.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppDialog.h"
#include "appconfig/ui/AppDlgProgress.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "platform/AppDialogTemplate.h"

using EventList = std::vector<std::string>;

namespace {

// The x of each button's left edge, and whether all share one row.
int Left(CAppSheet* sheet, unsigned id) { return sheet->GetButton(id)->geometry().left(); }

class RefuseExitRule : public CAppRuleCheckParam {
public:
  int IsValid() override { return 0; }
};

}  // namespace

TEST_F(UiFixture, ButtonRowHasItsFiveSlotsInOrder) {
  CAppSheet sheet;
  sheet.EnableNext(1);
  sheet.EnableHelp(1);
  WhenModal([&] {
    // Previous and next from the left; OK, cancel and help end at the right,
    // all on one row.
    const unsigned order[] = {CAppSheet::ID_PREVIOUS, CAppSheet::ID_NEXT, CAppSheet::ID_OK, CAppSheet::ID_CANCEL,
                              CAppSheet::ID_HELP};
    const char* texts[] = {"&Précédent", "&Suivant", "&OK", "A&nnuler", "&Aide"};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(sheet.GetButton(order[i])->text(), QString(texts[i]));
      EXPECT_EQ(sheet.GetButton(order[i])->geometry().top(), sheet.GetButton(CAppSheet::ID_OK)->geometry().top());
      if (i > 0) {
        EXPECT_LT(Left(&sheet, order[i - 1]), Left(&sheet, order[i])) << texts[i];
      }
    }
    EXPECT_FALSE(sheet.GetButton(CAppSheet::ID_PREVIOUS)->isEnabled());
    EXPECT_TRUE(sheet.GetButton(CAppSheet::ID_OK)->isDefault());
    SaveScreenshot(sheet);
    Click(sheet.GetButton(CAppSheet::ID_NEXT));
  });
  // An empty name is replaced.
  EXPECT_EQ(sheet.DoModal(), CAppSheet::RESULT_NEXT);
  EXPECT_EQ(sheet.GetName(), "Properties");
}

TEST_F(UiFixture, DisableCancelTakesOnlyTheNextSheet) {
  CAppSheet::DisableCancel();
  CAppSheet first;
  CAppSheet second;
  WhenModal([&] {
    EXPECT_FALSE(first.GetButton(CAppSheet::ID_CANCEL)->isEnabled());
    EXPECT_FALSE(first.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(first.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QTest::keyClick(&first, Qt::Key_Escape);
    first.EndDialog(2);
    EXPECT_TRUE(first.isVisible());
    ClickOk(first);
  });
  EXPECT_EQ(first.DoModal(), 1);
  WhenModal([&] {
    EXPECT_TRUE(second.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QTest::keyClick(&second, Qt::Key_Escape);
  });
  EXPECT_EQ(second.DoModal(), 2);
}

TEST_F(UiFixture, CloseModeShowsOneCloseButton) {
  CAppSheet sheet;
  sheet.SetName("Diagnostic");
  sheet.EnableClose(1);
  WhenModal([&] {
    QPushButton* ok = sheet.GetButton(CAppSheet::ID_OK);
    EXPECT_EQ(ok->text(), "&Fermer");
    EXPECT_TRUE(sheet.GetButton(CAppSheet::ID_CANCEL)->isHidden());
    EXPECT_FALSE(ok->isDefault());
    EXPECT_GT(Left(&sheet, CAppSheet::ID_HELP), Left(&sheet, CAppSheet::ID_OK));
    SaveScreenshot(sheet);
    Click(ok);
  });
  EXPECT_EQ(sheet.DoModal(), 1);
}

TEST_F(UiFixture, PagesOfAProfileTakeTitlesAndWaitActive) {
  TestRecordingLink::Current().pages = 3;
  auto* second = definition->SetAt("SYS_PAGE_1", new CAppParamGroup("Diagnostic"));
  second->SetAt("SYS_WAIT_ACTIVE", new CAppParamValue("0"));
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    QTabWidget* tabs = sheet.GetTabWidget();
    EXPECT_EQ(tabs->tabText(0), "Valeur");
    EXPECT_EQ(tabs->tabText(1), "Diagnostic");
    EXPECT_EQ(sheet.GetAppPage(1)->GetWaitActive(), 0);
    EXPECT_EQ(sheet.GetAppPage(2)->GetWaitActive(), 1);
    SaveScreenshot(sheet);
    ClickOk(sheet);
  }), 1);
  // The waiting page 2 is visited; page 1 does not wait.
  EXPECT_EQ(Events(), (EventList{"create", "init:0", "active:0", "exit:0", "init:2", "active:2", "exit:2"}));
}

TEST_F(UiFixture, ReadOnlySheetCancelsWithoutAskingThePages) {
  CAppSheet sheet;
  sheet.SetReadOnly(1);
  EXPECT_EQ(OpenStation([&](CAppSheet& shown) {
    ActiveEdit(shown)->setText("changed");
    ClickOk(shown);
  }, &sheet), 1);
  EXPECT_EQ(StationValue(), "IO-01");
  EXPECT_EQ(OpenStation([&](CAppSheet& shown) { ClickCancel(shown); }, &sheet), 2);
  EXPECT_EQ(std::count(Events().begin(), Events().end(), "cancel:0"), 0);
}

TEST_F(UiFixture, ExitRuleCanKeepTheSheetOpen) {
  CAppSheet sheet;
  sheet.SetName("Règle");
  sheet.SetRuleExit(std::make_unique<RefuseExitRule>());
  WhenModal([&] {
    ClickOk(sheet);
    EXPECT_TRUE(sheet.isVisible());
    ClickCancel(sheet);
  });
  EXPECT_EQ(sheet.DoModal(), 2);
}

TEST_F(UiFixture, SavedPositionPlacesTheNextDisplayAndChildSheetsShift) {
  CAppSheet sheet;
  sheet.SetName("Position");
  QPoint closedAt;
  WhenModal([&] {
    sheet.move(140, 90);
    closedAt = sheet.pos();
    ClickOk(sheet);
  });
  sheet.DoModal();
  EXPECT_TRUE(sheet.HasSavedPosition());
  WhenModal([&] {
    EXPECT_EQ(sheet.pos(), closedAt);
    CAppSheet child(0, &sheet);
    child.SetName("Enfant");
    WhenModal([&] {
      EXPECT_EQ(child.GetParentSheet(), &sheet);
      EXPECT_EQ(child.pos(), sheet.pos() + QPoint(20, 20));
      ClickOk(child);
    });
    child.DoModal();
    ClickOk(sheet);
  });
  sheet.DoModal();
}

TEST_F(UiFixture, MultiLineModeShowsEveryTab) {
  CAppSheet::SetModeMultiLine(1);
  TestRecordingLink::Current().pages = 6;
  OpenStation([&](CAppSheet& sheet) {
    EXPECT_FALSE(sheet.GetTabWidget()->usesScrollButtons());
    SaveScreenshot(sheet);
    ClickCancel(sheet);
  });
  CAppSheet::SetModeMultiLine(0);
}

TEST_F(UiFixture, DialogRunsItsLinkAndStoresOnOk) {
  TestRecordingLink link;
  link.SetUserParam(station);
  link.SetResources(&resources);
  CAppDialog dialog(&link);
  dialog.SetResource(13588, "Station");
  WhenModal([&] {
    auto* edit = dialog.findChild<TestEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "IO-01");
    QTest::keyClicks(edit, "-C");
    SaveScreenshot(dialog);
    Click(qobject_cast<QPushButton*>(AppGetDlgItem(&dialog, 1)));
  });
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(StationValue(), "IO-01-C");
  // Without a name the dialog does not open.
  CAppDialog unnamed(&link);
  unnamed.SetResource(13588, "");
  EXPECT_EQ(unnamed.DoModal(), 2);
}

TEST(AppDlgProgress, PercentKeepsTheOwnerDisabledAndSeesCancel) {
  QWidget owner;
  owner.show();
  QApplication::setActiveWindow(&owner);
  CAppDlgProgress progress;
  progress.Run("Chargement");
  EXPECT_FALSE(owner.isEnabled());
  progress.SetRange(10, 20);
  progress.SetPos(15);
  EXPECT_EQ(progress.GetPercent(), 50);
  auto* percent = qobject_cast<QLabel*>(AppGetDlgItem(&progress, 13563));
  EXPECT_EQ(percent->text(), "50%");
  EXPECT_EQ(qobject_cast<QProgressBar*>(AppGetDlgItem(&progress, 13562))->value(), 50);
  progress.SetStatus("Lecture du module 3");
  SaveScreenshot(progress);
  progress.SetPos(25);
  EXPECT_EQ(progress.GetPercent(), 100);
  progress.SetPos(5);
  EXPECT_EQ(percent->text(), "0%");
  progress.SetStep(3);
  progress.SetRange(0, 7);
  progress.StepIt();
  EXPECT_EQ(percent->text(), "43%");  // 3/7 rounded to nearest
  Click(qobject_cast<QPushButton*>(AppGetDlgItem(&progress, 2)));
  EXPECT_EQ(progress.CheckCancelButton(), 1);
  EXPECT_EQ(progress.CheckCancelButton(), 0);
  progress.DestroyWindow();
  EXPECT_TRUE(owner.isEnabled());
}
