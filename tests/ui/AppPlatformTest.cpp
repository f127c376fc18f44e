// The windowing layer: templates and items, attaching controls, the window
// messages, help pages, key states, icons and message boxes; the UI library's
// start. (The clipboard: the hex dump's copy tests.)
#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <set>

#include "../core/TestSupport.h"
#include "UiTestSupport.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppUiLib.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppHelp.h"
#include "platform/AppImageList.h"
#include "platform/AppKeyState.h"
#include "platform/AppWindowMessages.h"

namespace {

// Three edits in a column, numbered 1 to 3.
void SetupThreeEdits(QWidget* dialog) {
  auto* layout = new QVBoxLayout(dialog);
  for (unsigned id = 1; id <= 3; ++id) {
    auto* edit = new QLineEdit(dialog);
    AppSetDlgItemId(edit, id);
    layout->addWidget(edit);
  }
}

// Answers every message with ten times its wParam.
class Answering : public QObject {
public:
  std::vector<std::string> received;

protected:
  bool event(QEvent* event) override {
    if (CAppMessageEvent* message = AppMessageEventCast(event)) {
      received.push_back(AppMessageName(message->GetMessage()));
      message->SetResult(message->GetWParam() * 10);
      return true;
    }
    return QObject::event(event);
  }
};

}  // namespace

TEST(AppDialogTemplate, ItemsAreFoundByNumber) {
  QWidget page;
  AppLoadDialogTemplate(13588, &page);
  EXPECT_NE(qobject_cast<QLineEdit*>(AppGetDlgItem(&page, 13605)), nullptr);
  EXPECT_NE(qobject_cast<QLabel*>(AppGetDlgItem(&page, 13515)), nullptr);
  EXPECT_NE(qobject_cast<QLabel*>(AppGetDlgItem(&page, 13516)), nullptr);
  EXPECT_EQ(AppGetDlgItem(&page, 4242), nullptr);
  EXPECT_EQ(CatchAppException([&] { AppLoadDialogTemplate(1, &page); }).GetMessage(),
            "Exception >Dialog template 1 not found");
  // A host adds templates under numbers not taken.
  EXPECT_TRUE(AppRegisterDialogTemplate(60001, &SetupThreeEdits));
  EXPECT_FALSE(AppRegisterDialogTemplate(60001, &SetupThreeEdits));
  EXPECT_FALSE(AppRegisterDialogTemplate(13588, &SetupThreeEdits));
  QWidget hosted;
  AppLoadDialogTemplate(60001, &hosted);
  EXPECT_NE(AppGetDlgItem(&hosted, 3), nullptr);
}

TEST(AppDialogTemplate, SubclassTakesTheItemsPlace) {
  QWidget page;
  AppLoadDialogTemplate(13588, &page);
  QWidget* item = AppGetDlgItem(&page, 13605);
  QLayout* layout = item->parentWidget()->layout()->itemAt(1)->layout();
  const int slot = layout->indexOf(item);
  auto* label = page.findChild<QLabel*>("valueLabel");
  auto* control = new QLineEdit;
  ASSERT_TRUE(AppSubclassDlgItem(control, 13605, &page));
  EXPECT_EQ(AppGetDlgItem(&page, 13605), control);
  EXPECT_EQ(page.findChildren<QLineEdit*>().size(), 1);  // the template's item is gone
  EXPECT_EQ(layout->indexOf(control), slot);
  EXPECT_EQ(label->buddy(), control);
  EXPECT_FALSE(AppSubclassDlgItem(new QLineEdit(&page), 4242, &page));
  EXPECT_FALSE(AppSubclassDlgItem(control, 13605, &page));
}

TEST(AppDialogTemplate, FocusMovesThroughTheItemsInTabOrder) {
  QWidget dialog;
  SetupThreeEdits(&dialog);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  // The replaced middle item keeps its place in the tab chain.
  ASSERT_TRUE(AppSubclassDlgItem(new QLineEdit, 2, &dialog));
  AppGetDlgItem(&dialog, 1)->setFocus();
  AppMoveDialogFocus(&dialog, false);
  EXPECT_EQ(dialog.focusWidget(), AppGetDlgItem(&dialog, 2));
  AppMoveDialogFocus(&dialog, false);
  EXPECT_EQ(dialog.focusWidget(), AppGetDlgItem(&dialog, 3));
  AppMoveDialogFocus(&dialog, true);
  AppMoveDialogFocus(&dialog, true);
  EXPECT_EQ(dialog.focusWidget(), AppGetDlgItem(&dialog, 1));
}

TEST(AppWindowMessages, SentAtOnceWithTheHandlersAnswer) {
  Answering receiver;
  std::set<int> types;
  for (AppWindowMessage message : {AppWindowMessage::ReadOnly, AppWindowMessage::CtrlBeginActivate,
                                   AppWindowMessage::CtrlEndActivate, AppWindowMessage::OnError}) {
    types.insert(AppMessageType(message));
    EXPECT_GE(AppMessageType(message), QEvent::User);
  }
  EXPECT_EQ(types.size(), 4u);
  EXPECT_EQ(SendAppMessage(&receiver, AppWindowMessage::OnError, 1, 0), 10);
  EXPECT_EQ(SendAppMessage(&receiver, AppWindowMessage::ReadOnly, 0, 0), 0);
  EXPECT_EQ(receiver.received, (std::vector<std::string>{"wmOnError", "wmReadOnly"}));
  // Nobody handles it: the answer is 0.
  QObject silent;
  EXPECT_EQ(SendAppMessage(&silent, AppWindowMessage::OnError, 1, 0), 0);
  EXPECT_EQ(CatchAppException([] { SendAppMessage(nullptr, AppWindowMessage::OnError, 1, 0); }).GetMessage(),
            "Exception >Bad pointer");
}

// A help folder ending with a separator and a context's page: the sheet's
// help test.
TEST(AppHelp, HelpFilesAreFoldersOfContextPages) {
  EXPECT_EQ(AppHelpFilePath("/opt/help", "Device"), "/opt/help/Device");
  EXPECT_EQ(AppHelpFilePath("\\opt\\\\help\\", "Device"), "/opt/help/Device");
  EXPECT_FALSE(AppOpenHelpPage("/nonexistent/Device/1200.html"));
}

TEST(AppKeyState, ShiftAndControlAreReadFromQt) {
  QLineEdit edit;
  edit.show();
  EXPECT_FALSE(AppQtKeyHeld(AppKey::LeftShift));
  QTest::keyPress(&edit, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_TRUE(AppQtKeyHeld(AppKey::LeftShift));
  EXPECT_FALSE(AppQtKeyHeld(AppKey::LeftControl));
  QTest::keyRelease(&edit, Qt::Key_Shift, Qt::NoModifier);
  EXPECT_FALSE(AppQtKeyHeld(AppKey::LeftShift));
}

TEST(AppImageList, EveryIconOfTheResourcesHasA16PixelImage) {
  CAppResources resources;
  resources.Init();
  ASSERT_FALSE(resources.GetImageList().empty());
  for (unsigned index = 0; index < resources.GetImageList().size(); ++index) {
    const QPixmap image = AppImageListIcon(resources, index).pixmap(16, 16);
    EXPECT_EQ(image.size(), QSize(16, 16)) << index;
  }
  EXPECT_TRUE(AppImageListIcon(resources, 100000).isNull());
}

TEST(AppMessageBox, StylesGiveTheirButtonsAndAnswers) {
  WhenModal([] {
    auto* box = ActiveModal<QMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Enregistrer les modifications ?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_NE(box->button(QMessageBox::Cancel), nullptr);
    SaveScreenshot(*box);
    Click(box->button(QMessageBox::No));
  });
  EXPECT_EQ(CAppTools::MessageBox("Enregistrer les modifications ?", APP_MB_YESNOCANCEL | APP_MB_ICONQUESTION),
            APP_IDNO);
  WhenModal([] { QTest::keyClick(ActiveModal<QMessageBox>(), Qt::Key_Escape); });
  EXPECT_EQ(CAppTools::MessageBox("Fin.", APP_MB_OK), APP_IDOK);
}

// main() started it once already.
TEST(AppUiLib, StartsTwice) { EXPECT_TRUE(InitAppConfigUiLib()); }
