#include "appconfig/ui/AppCtrlEditString.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "controls/AppInPlaceKeys.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

CAppCtrlEditString::CAppCtrlEditString(unsigned maxChars, QWidget* parent) : QLineEdit(parent) {
  if (maxChars > 0) setMaxLength(static_cast<int>(maxChars));
  connect(this, &QLineEdit::textEdited, this, &CAppCtrlEditString::OnTextEdited);
}

unsigned CAppCtrlEditString::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlEditString::SetValue(const std::string& text) {
  setText(QString::fromStdString(CAppTools::FormatReturn(text)));
}

void CAppCtrlEditString::OnTextEdited() {
  if (m_bInPlace) {
    ResizeEdit();
    return;
  }
  if (!m_bNotifyOnKillFocus && m_pLink != nullptr) m_pLink->OnChange(GetCtrlId());
}

int CAppCtrlEditString::EndCurrentEdit() {
  if (m_bEnded) return 1;
  if (text() != m_strInitial && m_pList != nullptr &&
      !m_pList->EndCurrentEdit(text().toStdString())) {
    setText(m_strInitial);
    selectAll();
    return 0;
  }
  m_bEnded = true;
  return 1;
}

void CAppCtrlEditString::ResizeEdit() {
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  const int wanted = fontMetrics().horizontalAdvance(text()) + 5 + 8;
  if (wanted > width()) resize(std::min(wanted, parent->width() - x()), height());
}

void CAppCtrlEditString::CloseInPlace() {
  m_bEnding = true;
  if (m_pList != nullptr) {
    m_pList->OnExitInPlaceControl();
  } else {
    deleteLater();
  }
}

void CAppCtrlEditString::CancelInPlace() {
  setText(m_strInitial);
  m_bEnded = true;
  CloseInPlace();
}

bool CAppCtrlEditString::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    if (message->GetMessage() == AppWindowMessage::ReadOnly) {
      setEnabled(message->GetWParam() == 0);
      message->SetResult(0);
      return true;
    }
    return QLineEdit::event(event);
  }
  if (m_bInPlace && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (AppIsInPlaceTab(key)) {
      if (m_pList != nullptr) m_pList->OnEditInPlaceTab(AppIsInPlaceBacktab(key));
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CAppCtrlEditString::keyPressEvent(QKeyEvent* event) {
  if (m_bInPlace) {
    if (AppIsEnter(event)) {
      if (EndCurrentEdit()) CloseInPlace();
      return;
    }
    if (event->key() == Qt::Key_Escape) {
      CancelInPlace();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void CAppCtrlEditString::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (m_bInPlace && m_pList != nullptr && m_pList->GetInPlaceRow() >= 0) {
    m_pList->SetCurrentItem(static_cast<unsigned>(m_pList->GetInPlaceRow()));
  }
}

void CAppCtrlEditString::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (m_bInPlace) {
    // Ending, or closed by the list (which then commits or drops itself).
    if (m_bEnding || (m_pList != nullptr && m_pList->GetInPlaceEditor() != this)) return;
    // Another window (the refusal's message box) took the focus: still editing.
    if (event->reason() == Qt::ActiveWindowFocusReason) return;
    EndCurrentEdit();
    if (m_pList != nullptr) m_pList->viewport()->update();
    CloseInPlace();
  } else if (m_bNotifyOnKillFocus && m_pLink != nullptr) {
    m_pLink->OnChange(GetCtrlId());
  }
}

void CAppCtrlEditString::wheelEvent(QWheelEvent* event) {
  if (m_bInPlace) {
    CancelInPlace();
    return;
  }
  QLineEdit::wheelEvent(event);
}
