#include "appconfig/ui/AppDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "appconfig/AppDebug.h"
#include "AppUiTrace.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowTimer.h"

CAppDialog::CAppDialog(CAppLnkWnd* link, QWidget* parent)
    : QDialog(parent), m_pLink(link) {
  APP_CHECK_POINTER(link);
  m_pTimer = AppMakeLinkTimer(this, link);
}

void CAppDialog::SetResource(unsigned templateId, const std::string& name) {
  m_nTemplateId = templateId;
  m_nTemplateLow = templateId & 0xFFFFu;
  m_strName = name;
}

int CAppDialog::OnExit() { return m_pLink->OnExit(); }

void CAppDialog::StartTimer(unsigned milliseconds) { m_pTimer->start(static_cast<int>(milliseconds)); }
void CAppDialog::StopTimer() { m_pTimer->stop(); }

int CAppDialog::DoModal() {
  if (!OnInitDialog()) return 2;
  return exec();
}

bool CAppDialog::OnInitDialog() {
  return AppGuard([this] {
    if (m_strName.empty()) APP_THROW("Init page error");
    setWindowTitle(QString::fromStdString(m_strName));
    // The template's items fill a page of their own, the buttons go below.
    auto* page = new QWidget(this);
    AppLoadDialogTemplate(m_nTemplateLow, page);
    page->setMinimumSize(page->size());  // the size the template was drawn at
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page, 1);
    AddStandardButtons();
    m_pLink->_AddView(page);
    if (m_pLink->OnUserInit() == 0) APP_THROW("Init page error");
    m_pLink->OnActive();
  });
}

void CAppDialog::AddStandardButtons() {
  QPushButton* ok = qobject_cast<QPushButton*>(AppGetDlgItem(this, 1));
  QPushButton* cancel = qobject_cast<QPushButton*>(AppGetDlgItem(this, 2));
  if (ok == nullptr || cancel == nullptr) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = box->button(QDialogButtonBox::Ok);
    cancel = box->button(QDialogButtonBox::Cancel);
    ok->setText(QString::fromStdString(CAppTools::LoadString(13500)));
    cancel->setText(QString::fromStdString(CAppTools::LoadString(13502)));
    AppSetDlgItemId(ok, 1);
    AppSetDlgItemId(cancel, 2);
    layout()->addWidget(box);
  }
  connect(ok, &QPushButton::clicked, this, &CAppDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CAppDialog::reject);
}

void CAppDialog::accept() {
  int exited = 0;
  AppGuard([&] { exited = OnExit(); });
  if (exited != 0) QDialog::accept();
}
