// A page holding one of each control, as a user sees it, for the reviewer.
#include <gtest/gtest.h>

#include <QFormLayout>
#include <QHeaderView>
#include <QTest>

#include "ControlTestSupport.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppWindowMessages.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlSlider.h"
#include "appconfig/ui/AppCtrlStatic.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppMaskAddrCtl.h"
#include "platform/AppDialogTemplate.h"

TEST(AppControls, PageWithEveryControl) {
  QWidget page;
  auto* form = new QFormLayout(&page);
  auto* help = new CAppCtrlStatic;
  help->SetValue("Adresse IP et paramètres de la carte réseau.\nLes valeurs sont vérifiées à la saisie.");
  help->setWordWrap(true);
  form->addRow(help);
  auto* valid = new CAppCtrlEditNumeric(1, 255);
  CAppVariant value;
  value.SetUInt(CAppVariant::VT_UI2, 0x1234);
  valid->SetValue(value);
  valid->SetBase(CAppTools::BASE_HEX);
  form->addRow("Valeur (hexadécimal)", valid);
  auto* wrong = new CAppCtrlEditNumeric(1, 255);
  AppSetDlgItemId(wrong, 13605);
  wrong->SetValue(value);
  form->addRow("Valeur en erreur", wrong);
  auto* text = new CAppCtrlEditString(32);
  text->SetValue("Automate de ligne 3");
  form->addRow("Nom", text);
  auto* address = new CAppMaskAddrCtl;
  address->SetData({192, 168, 1, 20});
  form->addRow("Adresse TCP/IP", address);
  auto* combo = new CAppCtrlCombo;
  for (unsigned i = 0; i < 3; ++i) combo->AddItem(i, CAppTools::Format("%03u", i));
  combo->SetCurrentItem(1);
  form->addRow("Numéro", combo);
  auto* check = new CAppCtrlCheck;
  check->setText("Actif");
  check->SetValue(1);
  form->addRow(check);
  auto* button = new CAppCtrlButton;
  button->SetCaption("Valeur par défaut : 0x0000");
  form->addRow(button);
  auto* slider = new CAppCtrlSlider(0, 100);
  slider->SetValue(40);
  form->addRow("Niveau", slider);
  auto* list = new CAppCtrlList(1);
  for (const char* title : {"Nom", "Valeur", "Unité"}) list->AddColumn(title);
  const char* rows[][3] = {{"Période", "100", "ms"}, {"Adresse", "192.168.1.20", ""}, {"Mode", "Auto", ""}};
  for (int row = 0; row < 3; ++row) {
    list->AddItem(0, rows[row][0]);
    for (int column = 1; column < 3; ++column) list->SetText(rows[row][column], row, column);
  }
  CListCellStyle changed;
  changed.text = Qt::darkRed;
  changed.flags = CListCellStyle::STYLE_BOLD;
  list->SetCellStyle(1, 1, changed);
  list->setMinimumHeight(90);
  form->addRow(list);
  auto* tree = new CAppCtrlTree;
  CAppParamGroup first("Période");
  first.SetKey("Periode");
  first.SetAt("Periode", new CAppParamNumeric("Période"));
  CAppLnkWnd link;
  tree->SetGroupModel(new CAppParamGroupModel(link, first, CAppParamGroupModel::MODE_TREE, nullptr, nullptr));
  tree->setMinimumHeight(60);
  form->addRow(tree);
  page.resize(420, 620);
  page.show();
  SendAppMessage(list, AppWindowMessage::CtrlEndActivate, 0, 0);
  wrong->setText("0x12G4");  // through the change notification
  EXPECT_TRUE(wrong->IsError());
  SaveScreenshot(page);
}
