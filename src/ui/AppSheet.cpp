#include "appconfig/ui/AppSheet.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppPage.h"
#include "AppUiTrace.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

int CAppSheet::s_bMultiLine = 0;
int CAppSheet::s_bCancelAllowed = 1;

CAppSheet::CAppSheet(int /*unused*/, QWidget* parent)
    : QDialog(parent), m_bCancel(s_bCancelAllowed) {
  s_bCancelAllowed = 1;
  m_pTabs = new QTabWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pTabs, 1);
  connect(m_pTabs, &QTabWidget::currentChanged, this, &CAppSheet::OnCurrentTabChanged);
  const unsigned ids[SLOT_COUNT] = {ID_HELP, ID_CANCEL, ID_OK, ID_PREVIOUS, ID_NEXT};
  // What each button ends the sheet with; help leaves it open.
  const int results[SLOT_COUNT] = {0, 2, 1, RESULT_PREVIOUS, RESULT_NEXT};
  for (int slot = 0; slot < SLOT_COUNT; ++slot) {
    m_buttons[slot] = new QPushButton(this);
    m_buttons[slot]->setAutoDefault(false);
    AppSetDlgItemId(m_buttons[slot], ids[slot]);
    connect(m_buttons[slot], &QPushButton::clicked, this, [this, result = results[slot]] {
      AppGuard([&] { result == 0 ? OnClickHelp() : EndDialog(result); });
    });
  }
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  for (const Slot slot : {SLOT_PREVIOUS, SLOT_NEXT}) row->addWidget(m_buttons[slot]);
  row->addStretch(1);
  for (const Slot slot : {SLOT_OK, SLOT_CANCEL, SLOT_HELP}) row->addWidget(m_buttons[slot]);
}

CAppSheet::~CAppSheet() { RemoveAll(); }

void CAppSheet::SetModeMultiLine(int multiLine) { s_bMultiLine = multiLine; }
void CAppSheet::DisableCancel() { s_bCancelAllowed = 0; }

// --- Pages ----------------------------------------------------------------------------

void CAppSheet::AddAppPage(CAppPage* page, unsigned linkIndex) {
  APP_CHECK_POINTER(page);
  QScopedValueRollback<bool> switching(m_bSwitching, true);
  page->SetSheet(this);
  m_linkIndexes.push_back(linkIndex);
  m_pTabs->addTab(page, QString::fromStdString(page->GetName()));
}

int CAppSheet::GetPageCount() const { return m_pTabs->count(); }

CAppPage* CAppSheet::GetAppPage(int index) const {
  if (index == -1) index = m_nActivePage;
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return qobject_cast<CAppPage*>(m_pTabs->widget(index));
}

unsigned CAppSheet::GetLnkIndex(int index) const {
  if (index == -1) index = m_nActivePage;
  if (index < 0 || static_cast<std::size_t>(index) >= m_linkIndexes.size()) return 0;
  return m_linkIndexes[static_cast<std::size_t>(index)];
}

void CAppSheet::RemoveAll() {
  QScopedValueRollback<bool> switching(m_bSwitching, true);
  m_linkIndexes.clear();
  m_nActivePage = -1;
  // A deleted page leaves its tab.
  while (m_pTabs->count() > 0) delete m_pTabs->widget(0);
}

bool CAppSheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return false;
  if (index == m_nActivePage) return true;
  CAppPage* current = GetAppPage(-1);
  if (current != nullptr && current->IsInitialized()) {
    // A leave that throws refuses as a FALSE does: the tabs show the page
    // the sheet counts.
    int left = 0;
    AppGuard([&] { left = current->OnKillActive(); });
    if (left == 0) {
      QScopedValueRollback<bool> switching(m_bSwitching, true);
      m_pTabs->setCurrentIndex(m_nActivePage);
      return false;
    }
  }
  return ActivatePage(index);
}

// Makes the page current without asking the current one: the first page,
// and the waiting pages visited while closing.
bool CAppSheet::ActivatePage(int index) {
  CAppPage* page = GetAppPage(index);
  if (page == nullptr) return false;
  m_nActivePage = index;
  {
    QScopedValueRollback<bool> switching(m_bSwitching, true);
    m_pTabs->setCurrentIndex(index);
  }
  const bool activated =
      (page->IsInitialized() || page->OnInitDialog()) && AppGuard([page] { page->OnSetActive(); });
  // A page that fails closes its sheet as cancelled.
  if (!activated && isVisible()) done(2);
  return activated;
}

void CAppSheet::OnCurrentTabChanged(int index) {
  if (m_bSwitching) return;
  AppGuard([&] { SetActivePage(index); });
}

// --- Showing and closing ---------------------------------------------------------------

int CAppSheet::DoModal() {
  int result = 2;
  if (OnInitDialog() && (GetPageCount() == 0 || ActivatePage(0))) result = exec();
  RemoveAll();
  return result;
}

bool CAppSheet::OnInitDialog() {
  const bool built = AppGuard([this] {
    if (m_strName.empty()) {
      APP_TRACE("Sheet name error");
      SetName("Properties");
    }
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (m_bCancel == 0) {
      // Without the customize hint Qt puts the system menu back.
      setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                     ~(Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint));
    }
    m_pParentSheet = qobject_cast<CAppSheet*>(parentWidget());
    InitButton();
    APP_CHECK_POINTER(m_pTabs);
    // Qt's tab bar has one row: "multi-line" shows every tab at once, each
    // text shortened as needed; the default keeps full texts and scrolls.
    m_pTabs->setUsesScrollButtons(s_bMultiLine == 0);
    m_pTabs->setElideMode(s_bMultiLine != 0 ? Qt::ElideRight : Qt::ElideNone);
    PlaceWindow();
  });
  if (!built) CancelPages();
  return built;
}

void CAppSheet::PlaceWindow() {
  adjustSize();
  if (m_bSavedPos) {
    move(m_savedRect.topLeft());
  } else if (m_pParentSheet != nullptr) {
    const int shift = static_cast<int>(m_nShift);
    move(m_pParentSheet->pos() + QPoint(shift, shift));
  }
}

bool CAppSheet::InitButton() {
  QPushButton* ok = m_buttons[SLOT_OK];
  QPushButton* cancel = m_buttons[SLOT_CANCEL];
  // Close mode: cancel goes, and OK ("&Fermer") stands where it was.
  ok->setDefault(m_bClose == 0);
  m_buttons[SLOT_HELP]->setEnabled(m_bHelp != 0);
  cancel->setEnabled(m_bCancel != 0);
  cancel->setVisible(m_bClose == 0);
  const bool paging = m_bNext != 0 || m_bPrevious != 0;
  m_buttons[SLOT_PREVIOUS]->setVisible(paging);
  m_buttons[SLOT_NEXT]->setVisible(paging);

  const std::string help = m_strHelpButton.empty() ? CAppTools::LoadString(13504) : m_strHelpButton;
  m_buttons[SLOT_HELP]->setText(QString::fromStdString(help));
  cancel->setText(QString::fromStdString(CAppTools::LoadString(13502)));
  ok->setText(QString::fromStdString(CAppTools::LoadString(m_bClose != 0 ? 13692 : 13500)));
  m_buttons[SLOT_PREVIOUS]->setText(QString::fromStdString(CAppTools::LoadString(13505)));
  m_buttons[SLOT_NEXT]->setText(QString::fromStdString(CAppTools::LoadString(13507)));

  m_bButtonRow = true;
  UnLockButton();
  return true;
}

void CAppSheet::EndDialog(int result) {
  if (result == 2) {
    if (m_bCancel == 0) return;
    CancelPages();
  } else {
    m_bSavedPos = true;
    m_savedRect = frameGeometry();
    if (CAppPage* active = GetAppPage(-1)) {
      m_strCurrentPageName = active->GetName();
      m_nCurrentPageNumber = static_cast<unsigned>(m_nActivePage);
      if (active->OnExit() == 0) return;
    }
    if (m_bReadOnly == 0 && !VisitWaitingPages()) return;
    if (m_pRuleExit != nullptr && m_pRuleExit->IsValid() == 0) return;
  }
  m_bButtonRow = false;
  done(result);
}

void CAppSheet::CancelPages() {
  if (m_bReadOnly != 0) return;
  for (int i = 0; i < GetPageCount(); ++i) GetAppPage(i)->OnCancelPage();
}

bool CAppSheet::VisitWaitingPages() {
  for (int i = 0; i < GetPageCount(); ++i) {
    CAppPage* page = GetAppPage(i);
    if (i == m_nActivePage || page->GetWaitActive() == 0) continue;
    if (!ActivatePage(i) || page->OnExit() == 0) return false;
  }
  return true;
}

void CAppSheet::reject() { AppGuard([this] { EndDialog(2); }); }

void CAppSheet::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    AppGuard([this] { OnClickHelp(); });
    return;
  }
  QDialog::keyPressEvent(event);
}

bool CAppSheet::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    if (message->GetMessage() == AppWindowMessage::OnError) {
      message->SetResult(OnError(message->GetWParam(), message->GetLParam()));
      return true;
    }
  }
  return QDialog::event(event);
}

void CAppSheet::OnClickHelp() {
  CAppPage* page = GetAppPage(-1);
  if (page != nullptr) page->GetLink()->OnClickHelp(1);
}

// --- Switches and the lock --------------------------------------------------------------

void CAppSheet::SetName(const std::string& name) {
  m_strName = name;
  setWindowTitle(QString::fromStdString(name));
}

void CAppSheet::SetRuleExit(std::unique_ptr<CAppRuleCheckParam> rule) { m_pRuleExit = std::move(rule); }

void CAppSheet::SetButtonNameHelp(const std::string& text) { m_strHelpButton = text; }

void CAppSheet::SetCurrentPageNumber(unsigned number) {
  m_nCurrentPageNumber = number;
  m_strCurrentPageName.clear();
}

QPushButton* CAppSheet::GetButton(unsigned id) const {
  if (!m_bButtonRow) return nullptr;
  for (QPushButton* button : m_buttons) {
    if (AppGetDlgItemId(button) == id) return button;
  }
  return nullptr;
}

void CAppSheet::SetButtonEnabled(Slot slot, bool enable) {
  if (m_bButtonRow) m_buttons[slot]->setEnabled(enable);
}

void CAppSheet::SetSwitch(int& flag, Slot slot, int enable) {
  flag = enable;
  SetButtonEnabled(slot, enable != 0);
}

void CAppSheet::EnableNext(int enable) { SetSwitch(m_bNext, SLOT_NEXT, enable); }
void CAppSheet::EnablePrevious(int enable) { SetSwitch(m_bPrevious, SLOT_PREVIOUS, enable); }
void CAppSheet::EnableOk(int enable) { SetSwitch(m_bOk, SLOT_OK, enable); }
void CAppSheet::EnableHelp(int enable) { SetSwitch(m_bHelp, SLOT_HELP, enable); }

void CAppSheet::LockButton() {
  m_bLocked = true;
  for (const Slot slot : {SLOT_NEXT, SLOT_PREVIOUS, SLOT_OK}) SetButtonEnabled(slot, false);
}

void CAppSheet::UnLockButton() {
  m_bLocked = false;
  SetButtonEnabled(SLOT_NEXT, m_bNext != 0);
  SetButtonEnabled(SLOT_PREVIOUS, m_bPrevious != 0);
  SetButtonEnabled(SLOT_OK, m_bOk != 0);
}

long CAppSheet::OnError(long wParam, long /*lParam*/) {
  wParam == 1 ? LockButton() : UnLockButton();
  return 0;
}
