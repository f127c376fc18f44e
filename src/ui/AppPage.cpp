#include "appconfig/ui/AppPage.h"

#include <QHelpEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>

#include "appconfig/AppDebug.h"
#include "appconfig/ui/AppSheet.h"
#include "AppUiTrace.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowTimer.h"

namespace {
constexpr int kToolTipLength = 80;
}  // namespace

CAppPage::CAppPage(CAppLnkWnd* link, unsigned templateId, QWidget* parent)
    : QWidget(parent), m_pLink(link), m_nTemplateId(templateId) {
  APP_CHECK_POINTER(link);
  m_pTimer = AppMakeLinkTimer(this, link);
  AppLoadDialogTemplate(templateId, this);
  // The size the template was drawn at is the least the page needs, as a
  // template's dialog units are: word-wrapped texts then have their room.
  setMinimumSize(size());
}

void CAppPage::SetTitle(const std::string& title) {
  m_strName = title;
  if (m_strName.empty()) {
    APP_TRACE("Page name error");
    m_strName = "Value";
  }
  setWindowTitle(QString::fromStdString(m_strName));
  if (m_pSheet != nullptr) {
    QTabWidget* tabs = m_pSheet->GetTabWidget();
    tabs->setTabText(tabs->indexOf(this), QString::fromStdString(m_strName));
  }
}

int CAppPage::IsReadOnly() const { return m_pLink->IsFlagsEnable(CAppLnkWnd::LNK_READONLY) ? 1 : 0; }

void CAppPage::LockButton() {
  if (m_pSheet != nullptr) m_pSheet->LockButton();
}

void CAppPage::UnLockButton() {
  if (m_pSheet != nullptr) m_pSheet->UnLockButton();
}

void CAppPage::StartTimer(unsigned milliseconds) { m_pTimer->start(static_cast<int>(milliseconds)); }
void CAppPage::StopTimer() { m_pTimer->stop(); }

bool CAppPage::OnInitDialog() {
  m_bInitialized = true;  // once, even when it fails
  return AppGuard([this] {
    if (m_strName.empty()) APP_THROW("Error");
    if (m_pLink->OnInit() == 0) APP_THROW("Error");
    WatchToolTips();
  });
}

int CAppPage::OnSetActive() {
  m_nWaitActive = 0;
  m_pLink->OnActive();
  return 1;
}

int CAppPage::OnExit() { return m_pLink->OnExit(); }

void CAppPage::OnCancelPage() { m_pLink->OnCancel(); }

// The link gives the tips of the page's items, by item number.
void CAppPage::WatchToolTips() {
  for (QWidget* child : findChildren<QWidget*>()) {
    if (AppGetDlgItemId(child) != 0) child->installEventFilter(this);
  }
}

bool CAppPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::eventFilter(watched, event);
  std::string text;
  AppGuard([&] { text = m_pLink->OnUserToolTips(AppGetDlgItemId(watched)); });
  if (text.empty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                       QString::fromStdString(text).left(kToolTipLength), qobject_cast<QWidget*>(watched));
  }
  return true;
}
