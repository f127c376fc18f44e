// The parameter links end to end: CAppResources::OnProperties on the
// parameters of the example device, values typed, clicked and checked, then
// OK or Cancel.

#include "../../core/TestSupport.h"
#include "ParamLinkFixture.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "appconfig/ui/AppMaskAddrCtl.h"

// A check rule that refuses every value, for the refused exits.
class CAppRuleTestRefuse : public CAppRuleCheckParam {
  APP_DECLARE_RULE(CAppRuleTestRefuse)

public:
  int IsDataValid(std::vector<std::uint8_t>&) override { return 0; }
  int IsValueValid(CAppVariant&) override { return 0; }
  int IsEnumMultiValid(std::vector<std::uint32_t>&) override { return 0; }
};
APP_IMPLEMENT_RULE(CAppRuleTestRefuse, CAppRuleCheckParam)
APP_REGISTER_CLASS(CAppRuleTestRefuse, "Rule Test Refuse")

namespace {

// One link: the parameter it opens on, a change typed or clicked on its
// page, and what the parameter holds after OK.
struct LinkCase {
  const char* name;
  const char* path;
  std::function<void(CAppSheet&)> edit;
  std::function<void(CAppParam*)> check;
};

std::vector<LinkCase> Cases() {
  using Sheet = CAppSheet&;
  return {
      {"String", "STATION",
       [](Sheet sheet) {
         auto* edit = Item<CAppCtrlEditString>(sheet, kValue);
         EXPECT_EQ(edit->text(), "IO-01");
         EXPECT_EQ(edit->maxLength(), 16);  // the parameter's text limit
         Retype(edit, "IO-02");
       },
       [](CAppParam* p) { EXPECT_EQ(p->GetVariant().ToString(), "IO-02"); }},
      {"Numeric", "CYCLE",
       [](Sheet sheet) { Retype(Item<CAppCtrlEditNumeric>(sheet, kValue), "250"); },
       [](CAppParam* p) { EXPECT_EQ(p->GetVariant().ToUInt32(), 250u); }},
      {"EnumSingle", "MODE",
       [](Sheet sheet) {
         auto* list = Item<CAppCtrlList>(sheet, kValue);
         ASSERT_NE(list, nullptr);
         QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
       },
       [](CAppParam* p) { EXPECT_EQ(p->GetVariant().ToUInt32(), 1u); }},
      {"EnumMulti", "OPTIONS",
       [](Sheet sheet) {
         auto* list = Item<CAppCtrlList>(sheet, kValue);
         ASSERT_NE(list, nullptr);
         list->SetCurrentItem(1);
         QTest::keyClick(list, Qt::Key_Space);  // checks "Diagnostic"
         list->SetCurrentItem(2);
         QTest::keyClick(list, Qt::Key_Space);  // unchecks "Horodatage"
       },
       [](CAppParam* p) {
         auto* multi = static_cast<CAppParamEnumMulti*>(p);
         EXPECT_EQ(multi->GetNumber(0), 1u);
         EXPECT_EQ(multi->GetNumber(1), 1u);
         EXPECT_EQ(multi->GetNumber(2), 0u);
       }},
      {"Array", "KEY",
       [](Sheet sheet) {
         auto* dump = Item<CAppCtrlEditDump>(sheet, kValue);
         ASSERT_NE(dump, nullptr);
         QTest::keyClicks(dump, "0102");
       },
       [](CAppParam* p) {
         EXPECT_EQ(DataOf(*p), (std::vector<std::uint8_t>{0x01, 0x02, 0xBE}));
       }},
      {"Address", "IP\\ADDRESS",
       [](Sheet sheet) {
         auto* address = Item<CAppMaskAddrCtl>(sheet, kAddress);
         ASSERT_NE(address, nullptr);
         Retype(address->GetEditControl(3), "20");
       },
       [](CAppParam* p) {
         EXPECT_EQ(DataOf(*p), (std::vector<std::uint8_t>{192, 168, 0, 20}));
       }},
      {"Mail", "MAILBOX",
       [](Sheet sheet) { Retype(Item<CAppCtrlEditNumeric>(sheet, 13529), "99"); },
       // The mailbox is shown, never written back: its bytes stay zero.
       [](CAppParam* p) { EXPECT_EQ(static_cast<CAppParamMail*>(p)->GetField(0).ToUInt32(), 0u); }},
  };
}

}  // namespace

TEST_F(ParamLinks, EveryLinkOpensOnItsParameterAndOkStoresTheValue) {
  for (const LinkCase& link : Cases()) {
    SCOPED_TRACE(link.name);
    CAppParam* param = Param<CAppParam>(link.path);
    const int result = Open(param, [&](CAppSheet& sheet) {
      ASSERT_EQ(sheet.GetTabWidget()->count(), 1);
      // The cycle's profile names its page; the others take "Valeur".
      EXPECT_EQ(sheet.GetTabWidget()->tabText(0), link.path == std::string("CYCLE") ? "Cycle" : "Valeur");
      EXPECT_EQ(Item<QLabel>(sheet, 13515)->text().toStdString(), param->GetHelp());
      EXPECT_EQ(Item<QLabel>(sheet, 13516)->text().toStdString(), param->GetName(&resources));
      link.edit(sheet);
      SaveScreenshot(sheet, link.name);
      ClickOk(sheet);
    });
    EXPECT_EQ(result, 1);
    link.check(param);
  }
}

TEST_F(ParamLinks, CancelLeavesTheBinarySaveByteForByte) {
  const std::vector<char> before = SavedTree();
  for (const LinkCase& link : Cases()) {
    SCOPED_TRACE(link.name);
    EXPECT_EQ(Open(Param<CAppParam>(link.path), [&](CAppSheet& sheet) {
                link.edit(sheet);
                ClickCancel(sheet);
              }),
              2);
    EXPECT_EQ(SavedTree(), before);
  }
}

TEST_F(ParamLinks, CancelRestoresWhatTheDefaultButtonsStoredAtOnce) {
  const std::vector<char> before = SavedTree();
  auto* mode = Param<CAppParamEnumSingle>("MODE");
  Open(mode, [&](CAppSheet& sheet) {
    Click(Item<CAppCtrlButton>(sheet, kDefault));
    EXPECT_EQ(mode->GetVariant().ToUInt32(), 0u);  // stored by the button
    EXPECT_EQ(Item<CAppCtrlList>(sheet, kValue)->GetCurrentItem(), 0);
    ClickCancel(sheet);
  });
  auto* options = Param<CAppParamEnumMulti>("OPTIONS");
  Open(options, [&](CAppSheet& sheet) {
    Click(Item<CAppCtrlButton>(sheet, kDefault));
    EXPECT_EQ(options->GetNumber(0), 0u);
    ClickCancel(sheet);
  });
  EXPECT_EQ(SavedTree(), before);
}

TEST_F(ParamLinks, WrongParameterClassIsABadPointer) {
  CAppParamGroup group("Groupe");
  for (const char* name : {"String", "Numeric", "EnumSingle", "EnumMulti", "Array", "Address", "Mail"}) {
    SCOPED_TRACE(name);
    const std::string className = CAppDynamic::GetClassByAlias(name, "Link ");
    auto link = CAppDynamic::GetRegisterClass<CAppLnkSheet>(className);
    ASSERT_NE(link, nullptr);
    EXPECT_NE(resources.FindChild(className), nullptr);  // its profile
    link->SetResources(&resources);
    link->SetUserParam(&group);
    EXPECT_THROW(link->OnUserActive(), CAppException);
  }
}

TEST_F(ParamLinks, ACheckRuleThatRefusesKeepsThePage) {
  // The refusing rule in the class profile of each parameter.
  for (const char* path : {"STATION", "MODE", "OPTIONS", "KEY"}) {
    SCOPED_TRACE(path);
    CAppParam* param = Param<CAppParam>(path);
    resources.FindProfile(param)->SetAt("SYS_VALID", new CAppParamGroup("Test Refuse"));
    const std::vector<char> before = SavedTree();
    Open(param, [&](CAppSheet& sheet) {
      ClickOk(sheet);
      EXPECT_TRUE(sheet.isVisible());
      EXPECT_EQ(sheet.GetAppPage(-1)->focusWidget(), Item<QWidget>(sheet, kValue));
      SaveScreenshot(sheet, QString("%1_refused").arg(path));
      ClickCancel(sheet);
    });
    EXPECT_EQ(SavedTree(), before);
  }
  QLineEdit* edit = nullptr;
  Open(Param<CAppParam>("STATION"), [&](CAppSheet& sheet) {
    edit = Item<CAppCtrlEditString>(sheet, kValue);
    ClickOk(sheet);
    EXPECT_TRUE(edit->hasSelectedText());
    EXPECT_EQ(edit->selectedText(), edit->text());
    ClickCancel(sheet);
  });
}

// A read-only sheet, and a read-only parameter never written back, are the
// framework's (see the sheet and link window tests); a read-only parameter
// disables its link's controls.
TEST_F(ParamLinks, ReadOnlyParameterDisablesItsControls) {
  auto* cycle = Param<CAppParamNumeric>("CYCLE");
  cycle->ModifyFlags(0, PF_READONLY);
  Open(cycle, [&](CAppSheet& sheet) {
    auto* edit = Item<CAppCtrlEditNumeric>(sheet, kValue);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(Item<CAppCtrlButton>(sheet, kDefault)->isEnabled());
    EXPECT_EQ(edit->text(), "20");
    SaveScreenshot(sheet, "readonly");
    ClickOk(sheet);
  });
}

TEST_F(ParamLinks, TipsOfEachPage) {
  const auto tipOf = [&](const char* name, unsigned id) {
    auto link = CAppDynamic::GetRegisterClass<CAppLnkSheet>(CAppDynamic::GetClassByAlias(name, "Link "));
    return link->OnUserToolTips(id);
  };
  EXPECT_EQ(tipOf("Numeric", 13521), "Valeur maximum autorisée.");
  EXPECT_EQ(tipOf("Numeric", kValue), "Entrez une valeur numérique pour changer la valeur du paramètre.");
  EXPECT_EQ(tipOf("String", kDefault), "");
  EXPECT_EQ(tipOf("EnumSingle", kDefault), "Cliquez ici pour positionner le paramètre à sa valeur par défaut.");
  EXPECT_EQ(tipOf("Array", kValue), "Cliquer sur le bouton droit pour ouvrir le menu.");
  EXPECT_EQ(tipOf("Address", 13515), "");
  EXPECT_EQ(tipOf("Address", kAddress), "Valeur de l'adresse TCP/IP.");
  EXPECT_EQ(tipOf("Mail", 13530), "Champs 'status' de la mailbox.");
  EXPECT_EQ(tipOf("Mail", 13516), "Nom du paramètre.");
}
