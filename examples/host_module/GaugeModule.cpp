// "Link Host Gauge": a link of the module's own, on a page of its own
// (template 20001, built by a function) with its own control (GaugeEdit,
// item 20002) bound to the edited parameter.
#include <QLabel>
#include <QVBoxLayout>

#include "GaugeEdit.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppDialogTemplate.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "appconfig/ui/AppToolsLnk.h"

namespace {

constexpr unsigned kGaugePage = 20001;
constexpr unsigned kGaugeEdit = 20002;
constexpr unsigned kNameStatic = 13516;  // the library fills it with the parameter's name

void BuildGaugePage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* name = new QLabel(page);
  AppSetDlgItemId(name, kNameStatic);
  layout->addWidget(name);
  auto* edit = new QLineEdit(page);  // the link puts its GaugeEdit in its place
  AppSetDlgItemId(edit, kGaugeEdit);
  layout->addWidget(edit);
  layout->addStretch(1);
}

// Copies the parameter's value to the edit and back.
class GaugeExchange : public CAppToolsLnk::RuleExchData {
public:
  explicit GaugeExchange(GaugeEdit* edit) : m_pEdit(edit) {}
  int ParamToCtrl() override {
    m_pEdit->setText(QString::fromStdString(m_pParam->GetVariant().ToString()));
    return 1;
  }
  int CtrlToParam() override {
    m_pParam->SetVariant(CAppVariant(m_pEdit->text().toStdString()));
    return 1;
  }
  void SetParam(CAppParam* param) override { m_pParam = param; }

private:
  GaugeEdit* m_pEdit;
  CAppParam* m_pParam = nullptr;
};

}  // namespace

class CGaugeLink : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CGaugeLink)

public:
  void OnUserCreate() override {
    if (!AppHasDialogTemplate(kGaugePage)) AppRegisterDialogTemplate(kGaugePage, &BuildGaugePage);
    AddView(kGaugePage, "Jauge");
  }
  int OnUserInit() override {
    auto* edit = new GaugeEdit;
    AddCtrl(kGaugeEdit, edit);
    // The library's controls are connected by AddCtrl; a module's own control
    // is connected by its link.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this] { OnChange(kGaugeEdit); });
    AddRule(new GaugeExchange(edit), GetUserParam(), "");
    return CAppLnkSheet::OnUserInit();
  }
  void OnUserActive() override {
    CAppLnkSheet::OnUserActive();
    SetDescription(GetUserParam());
    // Every control of the page hears "wmReadOnly".
    DisableAllCtrl(IsFlagsEnable(LNK_READONLY) ? 1 : 0);
  }
  std::string OnUserToolTips(unsigned ctrlId) override { return ctrlId == kGaugeEdit ? "Valeur de la jauge" : ""; }

  static void _ResourcesInit(CAppResources* resources) { resources->CreateProfile("CGaugeLink"); }
};

APP_IMPLEMENT_DYNCREATE(CGaugeLink, CAppLnkSheet)
APP_REGISTER_CLASS(CGaugeLink, "Link Host Gauge")
APP_EXTENSION_MODULE()
