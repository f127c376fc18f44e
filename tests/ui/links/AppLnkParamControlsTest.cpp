// What each parameter link does with its own controls: bases and bounds of
// a number, default buttons, the address fields, the mailbox fields.
#include <QToolButton>

#include "../../core/TestSupport.h"
#include "ParamLinkFixture.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppMaskAddrCtl.h"

namespace {

bool OkEnabled(CAppSheet& sheet) { return sheet.GetButton(CAppSheet::ID_OK)->isEnabled(); }

}  // namespace

TEST_F(ParamLinks, NumericShowsBoundsUnitAndDefault) {
  auto* cycle = Param<CAppParamNumeric>("CYCLE");
  Open(cycle, [&](CAppSheet& sheet) {
    EXPECT_EQ(Item<QLabel>(sheet, 13522)->text(), "1");
    EXPECT_EQ(Item<QLabel>(sheet, 13521)->text(), "1000");
    EXPECT_EQ(Item<QLabel>(sheet, 13525)->text(), "ms");  // from the "Timeout" profile
    auto* button = Item<CAppCtrlButton>(sheet, kDefault);
    EXPECT_EQ(button->text(), "10");
    EXPECT_TRUE(button->isEnabled());
    Click(button);
    EXPECT_EQ(Item<CAppCtrlEditNumeric>(sheet, kValue)->text(), "10");
    ClickOk(sheet);
  });
  EXPECT_EQ(cycle->GetVariant().ToUInt32(), 10u);
  // Without a default value the button is disabled (a checked parameter
  // always has one: the check gives an empty default the type's own).
  auto* counter = device->GetGroup()->SetAt("COUNTER", new CAppParamNumeric("Compteur libre"));
  counter->SetVariant(CAppVariant(5));
  Open(counter, [&](CAppSheet& sheet) {
    EXPECT_FALSE(Item<CAppCtrlButton>(sheet, kDefault)->isEnabled());
    ClickCancel(sheet);
  });
}

TEST_F(ParamLinks, NumericReadsTheValueInEachBaseAndKeepsTheBase) {
  // The device's formats give decimal, hexadecimal and binary, in that order.
  struct Typed {
    const char* text;
    const char* letter;  // on the base button
    std::uint32_t value;
    CAppTools::EN_BASE base;
  };
  for (const Typed& typed : {Typed{"1F", "h", 31, CAppTools::BASE_HEX}, Typed{"101", "b", 5, CAppTools::BASE_BIN},
                             Typed{"30", "d", 30, CAppTools::BASE_DEC}}) {
    SCOPED_TRACE(typed.text);
    auto* cycle = Param<CAppParamNumeric>("CYCLE");
    Open(cycle, [&](CAppSheet& sheet) {
      auto* edit = Item<CAppCtrlEditNumeric>(sheet, kValue);
      // The sheet opens in the base stored last; the button steps d, h, b.
      for (int i = 0; i < 3 && edit->GetBase() != typed.base; ++i) Click(edit->GetBaseButton());
      EXPECT_EQ(edit->GetBaseButton()->text(), typed.letter);
      Retype(edit, typed.text);
      EXPECT_FALSE(edit->IsError());
      ClickOk(sheet);
    });
    EXPECT_EQ(cycle->GetVariant().ToUInt32(), typed.value);
    EXPECT_EQ(cycle->GetBase(&resources), typed.base);
  }
}

TEST_F(ParamLinks, NumericOutOfTheParametersRangeLocksTheSheet) {
  auto* cycle = Param<CAppParamNumeric>("CYCLE");
  Open(cycle, [&](CAppSheet& sheet) {
    auto* edit = Item<CAppCtrlEditNumeric>(sheet, kValue);
    Retype(edit, "1000");  // the maximum itself
    EXPECT_FALSE(edit->IsError());
    QTest::keyClick(edit, Qt::Key_1);  // 10001
    EXPECT_TRUE(sheet.IsLocked());  // a locked sheet's buttons: the link window's tests
    SaveScreenshot(sheet, "out_of_range");
    sheet.EndDialog(1);  // the exit is refused: the sheet stays
    EXPECT_TRUE(sheet.isVisible());
    Retype(edit, "0");  // below the minimum
    EXPECT_TRUE(sheet.IsLocked());
    Retype(edit, "999");
    EXPECT_FALSE(sheet.IsLocked());
    ClickOk(sheet);
  });
  EXPECT_EQ(cycle->GetVariant().ToUInt32(), 999u);
}

TEST_F(ParamLinks, SingleChoiceDoubleClickChoosesAndCloses) {
  auto* mode = Param<CAppParamEnumSingle>("MODE");
  EXPECT_EQ(Open(mode, [&](CAppSheet& sheet) {
              auto* list = Item<CAppCtrlList>(sheet, kValue);
              ASSERT_EQ(list->GetCount(), 3);
              EXPECT_EQ(list->GetItemText(1, 0), "Marche");
              EXPECT_EQ(list->GetCurrentItem(), 2);
              // A double click on an entry (its first press selects it)
              // chooses it and closes with OK.
              const QPoint row = list->visualRect(list->model()->index(1, 0)).center();
              QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
              QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
            }),
            1);
  EXPECT_EQ(mode->GetVariant().ToUInt32(), 1u);
}

TEST_F(ParamLinks, AddressDefaultButtonShowsTheDefaultAddress) {
  auto* address = Param<CAppParamAddress>("IP\\ADDRESS");
  Open(address, [&](CAppSheet& sheet) {
    auto* button = Item<CAppCtrlButton>(sheet, kDefault);
    EXPECT_EQ(button->text(), "192.168.  0.  1");
    EXPECT_FALSE(button->isHidden());
    Click(button);
    EXPECT_EQ(Item<CAppMaskAddrCtl>(sheet, kAddress)->GetEditControl(3)->text().trimmed(), "1");
    ClickOk(sheet);
  });
  EXPECT_EQ(DataOf(*address), (std::vector<std::uint8_t>{192, 168, 0, 1}));
  // The mask has no default: neither the button nor its caption shows.
  Open(Param<CAppParam>("IP\\MASK"), [&](CAppSheet& sheet) {
    EXPECT_TRUE(Item<QWidget>(sheet, kDefault)->isHidden());
    EXPECT_TRUE(Item<QWidget>(sheet, 13518)->isHidden());
    SaveScreenshot(sheet, "no_default");
    ClickCancel(sheet);
  });
}

TEST_F(ParamLinks, AddressFieldAboveItsMaximumIsRefused) {
  auto* address = Param<CAppParamAddress>("IP\\ADDRESS");
  Open(address, [&](CAppSheet& sheet) {
    auto* control = Item<CAppMaskAddrCtl>(sheet, kAddress);
    Retype(control->GetEditControl(2), "300");
    ClickOk(sheet);
    EXPECT_TRUE(sheet.isVisible());
    ASSERT_EQ(messages->texts.size(), 1u);
    EXPECT_EQ(messages->texts[0],
              "300 n'est pas une valeur valide. Veuillez spécifier une valeur entre 0 et 255 pour ce champ.");
    SaveScreenshot(sheet, "above_maximum");
    ClickCancel(sheet);
  });
  EXPECT_EQ(DataOf(*address), (std::vector<std::uint8_t>{192, 168, 0, 10}));
}

TEST_F(ParamLinks, MailShowsItsFieldsAndDataZone) {
  auto* mail = Param<CAppParamMail>("MAILBOX");
  std::vector<std::uint8_t> bytes = DataOf(*mail);
  bytes[0] = 0x34;
  bytes[1] = 0x12;
  bytes[48] = 0xAB;  // the first byte of the data zone
  mail->SetData(bytes);
  Open(mail, [&](CAppSheet& sheet) {
    auto* codef = Item<CAppCtrlEditNumeric>(sheet, 13529);
    EXPECT_EQ(codef->text(), "4660");
    EXPECT_EQ(codef->GetBaseButton()->text(), "d");
    auto* dump = Item<CAppCtrlEditDump>(sheet, kValue);
    EXPECT_EQ(dump->GetDataLength(), 1536);
    EXPECT_EQ(DataOf(*dump).at(0), 0xAB);
    SaveScreenshot(sheet, "value");
    // An unreadable field shows its error and locks the sheet.
    Retype(Item<CAppCtrlEditNumeric>(sheet, 13530), "x");
    EXPECT_FALSE(OkEnabled(sheet));
    SaveScreenshot(sheet, "error");
    Retype(Item<CAppCtrlEditNumeric>(sheet, 13530), "7");
    Retype(codef, "1");
    ClickOk(sheet);
  });
  EXPECT_EQ(DataOf(*mail), bytes);  // nothing written back
  EXPECT_NE(mail->GetDumpOptions(), 0u);  // but the dump's display options
}

TEST_F(ParamLinks, MultipleChoiceWithoutDefaultsHidesTheDefaultButton) {
  auto* empty = device->GetGroup()->SetAt("NO_OPTIONS", new CAppParamEnumMulti);
  Open(empty, [&](CAppSheet& sheet) {
    EXPECT_EQ(Item<CAppCtrlList>(sheet, kValue)->GetCount(), 0);
    EXPECT_TRUE(Item<QWidget>(sheet, kDefault)->isHidden());
    ClickOk(sheet);
  });
}
