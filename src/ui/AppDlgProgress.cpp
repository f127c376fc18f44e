#include "appconfig/ui/AppDlgProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppOwnerWindow.h"

namespace {
// The template and its items.
enum : unsigned { kTemplateId = 13576, kProgressId = 13562, kPercentId = 13563 };
enum : unsigned { kStatusId = 13564, kAnimationId = 13565, kCancelId = 2 };

template <class T>
T* Item(QWidget* dialog, unsigned id) {
  T* item = qobject_cast<T*>(AppGetDlgItem(dialog, id));
  if (item == nullptr) APP_THROW("Progress Error");
  return item;
}
}  // namespace

CAppDlgProgress::CAppDlgProgress() : QDialog(nullptr) {}

CAppDlgProgress::~CAppDlgProgress() { DestroyWindow(); }

void CAppDlgProgress::Run(const std::string& caption) {
  QWidget* owner = AppOwnerWindow();
  if (owner != nullptr && owner != this && owner->isEnabled()) {
    owner->setEnabled(false);
    m_pDisabledOwner = owner;
  }
  try {
    AppLoadDialogTemplate(kTemplateId, this);
    m_pAnimation = Item<QLabel>(this, kAnimationId);
    m_pProgress = Item<QProgressBar>(this, kProgressId);
    m_pPercent = Item<QLabel>(this, kPercentId);
    m_pStatus = Item<QLabel>(this, kStatusId);
    connect(Item<QPushButton>(this, kCancelId), &QPushButton::clicked, this, &CAppDlgProgress::reject);
  } catch (const CAppException&) {
    DestroyWindow();
    APP_THROW("Progress Error");
  }
  // No animation resource here: the platform's busy icon stands for it.
  m_pAnimation->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(32, 32));
  m_pProgress->setRange(0, 100);
  setWindowTitle(QString::fromStdString(caption));
  show();
  ShowPercent();
}

void CAppDlgProgress::SetRange(int lower, int upper) {
  m_nLower = lower;
  m_nUpper = upper;
  m_nPos = lower;
  ShowPercent();
}

void CAppDlgProgress::SetPos(int position) {
  m_nPos = position;
  ShowPercent();
}

void CAppDlgProgress::StepIt() {
  m_nPos += m_nStep;
  ShowPercent();
}

int CAppDlgProgress::GetPercent() const {
  if (m_nLower >= m_nUpper || m_nPos < m_nLower) return 0;
  if (m_nPos > m_nUpper) {
    APP_TRACE("Progess value error");
    return 100;
  }
  const long long range = static_cast<long long>(m_nUpper) - m_nLower;
  return static_cast<int>(((static_cast<long long>(m_nPos) - m_nLower) * 100 + range / 2) / range);
}

void CAppDlgProgress::ShowPercent() {
  QCoreApplication::processEvents();
  const int percent = GetPercent();
  // An empty range stands for work of unknown length: a busy bar, no percentage.
  const bool unknownLength = m_nLower == m_nUpper;
  if (m_pPercent != nullptr) m_pPercent->setText(unknownLength ? QString() : QString::asprintf("%d%%", percent));
  if (m_pProgress == nullptr) return;
  m_pProgress->setRange(0, unknownLength ? 0 : 100);
  if (!unknownLength) m_pProgress->setValue(percent);
}

void CAppDlgProgress::SetStatus(const char* text) {
  QCoreApplication::processEvents();
  if (m_pStatus != nullptr) m_pStatus->setText(QString::fromUtf8(text != nullptr ? text : ""));
}

int CAppDlgProgress::CheckCancelButton() {
  QCoreApplication::processEvents();
  const int cancelled = m_bCancelled ? 1 : 0;
  m_bCancelled = false;
  return cancelled;
}

void CAppDlgProgress::DestroyWindow() {
  if (m_pDisabledOwner != nullptr) m_pDisabledOwner->setEnabled(true);
  m_pDisabledOwner = nullptr;
  hide();
}
