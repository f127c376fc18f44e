#include "controls/AppInPlaceEdit.h"

#include <QKeyEvent>

#include <utility>

#include "appconfig/ui/AppCtrlList.h"
#include "controls/AppInPlaceKeys.h"

CAppInPlaceEdit::CAppInPlaceEdit(QWidget* editor, std::function<int()> commit, std::function<void()> restore)
    : m_pEditor(editor), m_commit(std::move(commit)), m_restore(std::move(restore)) {}

bool CAppInPlaceEdit::TakeTab(QEvent* event) {
  if (!m_bOn || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (!AppIsInPlaceTab(key)) return false;
  if (m_pList != nullptr) m_pList->OnEditInPlaceTab(AppIsInPlaceBacktab(key));
  return true;
}

bool CAppInPlaceEdit::TakeKey(const QKeyEvent* key) {
  if (!m_bOn) return false;
  if (AppIsEnter(key)) {
    if (m_commit()) Close();
    return true;
  }
  if (key->key() == Qt::Key_Escape) {
    Cancel();
    return true;
  }
  return false;
}

void CAppInPlaceEdit::OnFocusIn() {
  if (m_bOn && m_pList != nullptr && m_pList->GetInPlaceRow() >= 0) {
    m_pList->SetCurrentItem(static_cast<unsigned>(m_pList->GetInPlaceRow()));
  }
}

void CAppInPlaceEdit::OnFocusOut(Qt::FocusReason reason) {
  // Ending, or closed by the list (which then commits or drops the editor).
  if (!m_bOn || m_bEnding || (m_pList != nullptr && m_pList->GetInPlaceEditor() != m_pEditor)) return;
  // Another window (a refusal's message box) took the focus: still editing.
  if (reason == Qt::ActiveWindowFocusReason) return;
  m_commit();
  if (m_pList != nullptr) m_pList->viewport()->update();
  Close();
}

bool CAppInPlaceEdit::TakeWheel() {
  if (!m_bOn) return false;
  Cancel();
  return true;
}

void CAppInPlaceEdit::Cancel() {
  m_restore();
  m_bEnded = true;
  Close();
}

void CAppInPlaceEdit::Close() {
  m_bEnding = true;
  if (m_pList != nullptr) {
    m_pList->OnExitInPlaceControl();
  } else {
    m_pEditor->deleteLater();
  }
}
