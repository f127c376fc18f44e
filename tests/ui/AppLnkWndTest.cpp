// The link window's lifecycle as a sheet drives it, seen by a recording link.
#include <QDesktopServices>
#include <QHelpEvent>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "../core/TempFolder.h"
#include "../core/TestSupport.h"
#include "UiFixture.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlSlider.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppWindowMessages.h"

using EventList = std::vector<std::string>;

TEST_F(UiFixture, LifecycleFromOpeningToOk) {
  TestRecordingLink::Current().pages = 2;
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    QTest::keyClicks(ActiveEdit(sheet), "-B");
    ClickTab(sheet, 1);
    EXPECT_EQ(ActiveEdit(sheet)->text(), "IO-01-B");  // left page 0: stored, shown on page 1
    SaveScreenshot(sheet);
    ClickOk(sheet);
  }), 1);
  // The values written into the edit while a page activates are no change.
  EXPECT_EQ(Events(), (EventList{"create", "init:0", "active:0", "change 13605:0", "change 13605:0",
                              "exit:0", "init:1", "active:1", "exit:1"}));
  EXPECT_EQ(StationValue(), "IO-01-B");
}

TEST_F(UiFixture, CancelRunsEveryPageCancelAndRestoresTheParameter) {
  TestRecordingLink::Current().pages = 2;
  TestRecordingLink::Current().writeOnChange = true;
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    QTest::keyClicks(ActiveEdit(sheet), "X");
    EXPECT_EQ(StationValue(), "IO-01X");
    ClickCancel(sheet);
  }), 2);
  // Page 1 was never shown: it is cancelled all the same, and never initialised.
  EXPECT_EQ(Events(), (EventList{"create", "init:0", "active:0", "change 13605:0", "cancel:0", "cancel:0"}));
  EXPECT_EQ(StationValue(), "IO-01");
}

TEST_F(UiFixture, RefusedExitKeepsThePage) {
  TestRecordingLink::Current().pages = 2;
  TestRecordingLink::Current().refuseExitOnPage = 0;
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    ClickTab(sheet, 1);
    EXPECT_EQ(sheet.GetTabWidget()->currentIndex(), 0);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    ClickOk(sheet);
    EXPECT_TRUE(sheet.isVisible());
    TestRecordingLink::Current().refuseExitOnPage = -1;
    ClickOk(sheet);
  }), 1);
  // Closing visits the page never shown before the sheet goes.
  EXPECT_EQ(Events(), (EventList{"create", "init:0", "active:0", "exit:0", "exit:0", "exit:0", "init:1",
                              "active:1", "exit:1"}));
}

TEST_F(UiFixture, ReadOnlyParameterIsShownButNeverWrittenBack) {
  station->ModifyFlags(0, PF_READONLY);
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    EXPECT_EQ(ActiveEdit(sheet)->text(), "IO-01");
    EXPECT_EQ(sheet.GetAppPage(-1)->IsReadOnly(), 1);
    ActiveEdit(sheet)->setText("changed");
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(StationValue(), "IO-01");
}

TEST_F(UiFixture, TheFourMessagesAndTheirAnswers) {
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    TestEdit* edit = ActiveEdit(sheet);
    CAppLnkWnd* link = sheet.GetAppPage(-1)->GetLink();
    // Activation brackets the values with the two activation messages.
    EXPECT_EQ(edit->messages, (EventList{"wmCtrlBeginActivate", "wmCtrlEndActivate"}));
    // The sender reads the handler's answer.
    EXPECT_EQ(CAppLnkWnd::SetReadOnly(edit, 1), 1);
    EXPECT_TRUE(edit->isReadOnly());
    link->DisableAllCtrl(0);
    EXPECT_FALSE(edit->isReadOnly());
    // A control that shows an error locks the sheet's buttons, then frees them.
    QPushButton* ok = sheet.GetButton(CAppSheet::ID_OK);
    link->OnUserError(13605, 1);
    EXPECT_TRUE(sheet.IsLocked());
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(sheet.GetButton(CAppSheet::ID_CANCEL)->isEnabled());
    SaveScreenshot(sheet, "locked");
    EXPECT_EQ(SendAppMessage(&sheet, AppWindowMessage::OnError, 0, 0), 0);
    EXPECT_TRUE(ok->isEnabled());
    Click(ok);
  }), 1);
}

TEST_F(UiFixture, AddRuleBindsAChildByKeyAndReportsAMissingOne) {
  CapturedOutput output;
  root.SetName("Module");
  root.SetKey("MODULE");
  UseTestLink(resources, &root);
  TestRecordingLink::Current().childKey = "STATION";
  EXPECT_EQ(OpenSheet(resources, &root, [&](CAppSheet& sheet) {
    EXPECT_EQ(ActiveEdit(sheet)->text(), "IO-01");
    ClickOk(sheet);
  }), 1);
  EXPECT_TRUE(output.lines.empty());

  TestRecordingLink::Current().childKey = "MISSING";
  EXPECT_EQ(OpenSheet(resources, &root, [&](CAppSheet& sheet) {
    EXPECT_EQ(ActiveEdit(sheet)->text(), "");  // nothing bound
    ClickOk(sheet);
  }), 1);
  ASSERT_EQ(output.lines.size(), 1u);
  EXPECT_NE(output.lines[0].find("Paramètre MISSING non trouvé dans le groupe MODULE (Module)."),
            std::string::npos);
}

TEST_F(UiFixture, ControlsAreFoundByNumberAndClass) {
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    CAppLnkWnd* link = sheet.GetAppPage(-1)->GetLink();
    TestEdit* edit = nullptr;
    EXPECT_EQ(link->GetCtrl(13605, edit), ActiveEdit(sheet));
    CAppCtrlStatic* notAStatic = nullptr;
    EXPECT_EQ(CatchAppException([&] { link->GetCtrl(13605, notAStatic); }).GetMessage(),
              "Exception >GetCtrl Given ptr not corresponding with Ctrl or not add with AddCtrl");
    EXPECT_EQ(CatchAppException([&] { link->GetCtrl(4242, edit); }).GetMessage(), "Exception >Bad pointer");
    EXPECT_EQ(CatchAppException([&] { link->AddCtrl(4242, new TestEdit); }).GetMessage(),
              "Exception >Subclass error");
    // The name and help statics show the parameter.
    CAppCtrlStatic* name = nullptr;
    EXPECT_EQ(link->GetCtrl(13516, name)->text(), "Nom de station");
    link->SetDescription(nullptr);
    EXPECT_EQ(name->text(), "");
    link->SetWindowText(13605, "IO-02");
    EXPECT_EQ(edit->text(), "IO-02");
    link->ShowWindow(13605, 0);
    EXPECT_TRUE(edit->isHidden());
    ClickOk(sheet);
  }), 1);
}

TEST_F(UiFixture, PageTimerTicksIntoTheLink) {
  OpenStation([&](CAppSheet& sheet) {
    sheet.GetAppPage(-1)->StartTimer(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::count(Events().begin(), Events().end(), "timer:0") > 0; }, 5000));
    sheet.GetAppPage(-1)->StopTimer();
    ClickOk(sheet);
  });
  EXPECT_NE(std::find(Events().begin(), Events().end(), "timer:0"), Events().end());
}

namespace {

// Records the pages that would open in a browser.
class UrlRecorder : public QObject {
  Q_OBJECT

public:
  QList<QUrl> urls;

public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

}  // namespace

TEST_F(UiFixture, HelpOpensTheContextPageOrSaysItCannot) {
  TempFolder help;
  QDir().mkpath(QString::fromStdString(help.File("Device")));
  QFile page(QString::fromStdString(help.File("Device/1200.html")));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.close();
  resources.SetHelpPath(help.Prefix());  // ends with a separator
  auto* entry = definition->SetAt("SYS_HELP_CHM", new CAppParamValue("Device"));
  entry->SetVariant(CAppVariant("1200"));
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler("file", &recorder, "open");
  OpenStation([&](CAppSheet& sheet) {
    QPushButton* helpButton = sheet.GetButton(CAppSheet::ID_HELP);
    EXPECT_TRUE(helpButton->isEnabled());
    Click(helpButton);
    // A context without a page: the message names the help file.
    entry->SetVariant(CAppVariant("99"));
    WhenModal([&] {
      auto* box = ActiveModal<QMessageBox>();
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text().toStdString(), "Impossible d'ouvrir " + help.File("Device") + ".");
      box->done(QMessageBox::Ok);
    });
    Click(helpButton);
    ClickOk(sheet);
  });
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(recorder.urls.size(), 1);
  EXPECT_EQ(recorder.urls[0].toLocalFile().toStdString(), help.File("Device/1200.html"));
}

TEST_F(UiFixture, PropertiesOpenedInsideALinkRefreshItsPage) {
  EXPECT_EQ(OpenStation([&](CAppSheet& outer) {
    CAppLnkWnd* link = outer.GetAppPage(-1)->GetLink();
    WhenSheet([&](CAppSheet& inner) {
      EXPECT_EQ(inner.GetParentSheet(), &outer);
      QTest::keyClicks(ActiveEdit(inner), "-N");
      ClickOk(inner);
    });
    EXPECT_EQ(link->OnProperties(station, nullptr), 1);
    EXPECT_EQ(ActiveEdit(outer)->text(), "IO-01-N");
    ClickCancel(outer);  // undoes what the inner sheet accepted
  }), 2);
  EXPECT_EQ(StationValue(), "IO-01");
}

TEST_F(UiFixture, ParametersShownInALinkFollowFlagsAndViews) {
  TestRecordingLink link;
  link.SetResources(&resources);
  EXPECT_EQ(link.CanShowParam(station, nullptr), 1);
  station->ModifyFlags(0, PF_VIEW_2);
  EXPECT_EQ(link.CanShowParam(station, nullptr), 0);  // a view the resources do not show
  resources.ModifyFlags(0, PF_VIEW_2);
  EXPECT_EQ(link.CanShowParam(station, nullptr), 1);
  station->ModifyFlags(0, PF_HIDDEN);
  EXPECT_EQ(link.CanShowParam(station, nullptr), 0);
  // The default columns: name, value (masked when asked) and unit.
  std::vector<std::string> texts;
  link.DefaultNameColumn(texts);
  station->ModifyFlags(0, PF_MASKED_VALUE);
  link.DefaultValueColumn(texts, station);
  EXPECT_EQ(texts, (EventList{"Nom", "Valeur", "Unité", "Nom de station", "###", ""}));
  // Without views a link touches no exchange.
  EXPECT_EQ(link.GetActiveView(), nullptr);
  link.RefreshParams();
  EXPECT_EQ(link.IsEditable(station), 1);
}

#include "AppLnkWndTest.moc"

// A failing activation still ends: the flag goes (later changes count) and
// the controls hear the end-of-activation message (they draw again).
TEST_F(UiFixture, ActivationThatThrowsStillEndsActivating) {
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    CAppLnkWnd* link = sheet.GetAppPage(-1)->GetLink();
    TestEdit* edit = ActiveEdit(sheet);
    edit->messages.clear();
    TestRecordingLink::Current().throwing = {"show"};
    EXPECT_ANY_THROW(link->OnActive());
    TestRecordingLink::Current().throwing.clear();
    EXPECT_FALSE(link->IsFlagsEnable(CAppLnkWnd::LNK_ACTIVATING));
    EXPECT_EQ(edit->messages, (EventList{"wmCtrlBeginActivate", "wmCtrlEndActivate"}));
    QTest::keyClicks(edit, "Z");
    ClickOk(sheet);
  }), 1);
  EXPECT_NE(std::find(Events().begin(), Events().end(), "change 13605:0"), Events().end());
  EXPECT_EQ(StationValue(), "IO-01Z");
}

// A host link whose hooks throw, reached from every kind of Qt entry (a
// signal, a slider, a tree's drawing, a timer, a tip, a key that leaves a
// list, a tab switch): each failure is reported and stops there, and the
// sheet goes on working.
TEST_F(UiFixture, HooksThatThrowAreReportedAndTheSheetGoesOn) {
  TestRecordingLink::Current().pages = 2;
  CapturedOutput output;
  EXPECT_EQ(OpenStation([&](CAppSheet& sheet) {
    CAppPage* page = sheet.GetAppPage(-1);
    CAppLnkWnd* link = page->GetLink();
    auto* slider = new CAppCtrlSlider(0, 10, 0, page);
    link->ConnectCtrl(0, slider);
    auto* tree = new CAppCtrlTree(page);
    link->ConnectCtrl(0, tree);
    tree->SetGroupModel(new CAppParamGroupModel(*link, root, CAppParamGroupModel::MODE_TREE, nullptr, nullptr));
    auto* list = new CAppCtrlList(1, page);
    link->ConnectCtrl(0, list);
    list->AddColumn("Nom");

    TestRecordingLink::Current().throwing = {"change", "node", "timer", "tips", "next", "exit"};
    QTest::keyClicks(ActiveEdit(sheet), "X");
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    tree->expand(tree->model()->index(0, 0));
    tree->grab();  // the nodes' names are asked of the link as they are drawn
    page->StartTimer(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::count(Events().begin(), Events().end(), "throw timer") > 0; }, 5000));
    page->StopTimer();
    QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), ActiveEdit(sheet)->mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(ActiveEdit(sheet), &tip);
    list->EditSubItem(3, 7);  // no such column: the focus leaves for the next control
    ClickTab(sheet, 1);
    EXPECT_EQ(std::make_pair(sheet.GetTabWidget()->currentIndex(), sheet.GetActiveIndex()), std::make_pair(0, 0));

    TestRecordingLink::Current().throwing.clear();
    ClickTab(sheet, 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    ClickOk(sheet);
  }), 1);
  for (const char* hook : {"change", "node", "timer", "tips", "next", "exit"}) {
    EXPECT_NE(std::find(Events().begin(), Events().end(), std::string("throw ") + hook), Events().end()) << hook;
  }
  // Each reported to the host's output (the timer may have ticked more than once).
  EXPECT_GE(output.lines.size(), 7u);
  EXPECT_NE(std::find(output.lines.begin(), output.lines.end(), "Erreur: host failure in tips"), output.lines.end());
}

// A host's hooks for moves and deletes are virtual slots of the link.
TEST_F(UiFixture, MoveAndDeleteHooksReachTheHostsLink) {
  OpenStation([&](CAppSheet& sheet) {
    CAppLnkWnd* link = sheet.GetAppPage(-1)->GetLink();
    link->OnUserBeginMove(station);
    link->OnUserEndMove(station);
    link->OnUserDelete(station);
    ClickOk(sheet);
  });
  EXPECT_EQ(std::vector<std::string>(Events().begin() + 3, Events().begin() + 6),
            (EventList{"begin move STATION:0", "end move STATION:0", "delete STATION:0"}));
}
