#include "appconfig/ui/AppCtrlCombo.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "controls/AppInPlaceKeys.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppRedraw.h"
#include "platform/AppWindowMessages.h"

CAppCtrlCombo::CAppCtrlCombo(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, &CAppCtrlCombo::OnActivated);
}

unsigned CAppCtrlCombo::GetCtrlId() const { return AppGetDlgItemId(this); }

int CAppCtrlCombo::AddItem(unsigned long data, const std::string& text) {
  addItem(QString::fromStdString(text), QVariant::fromValue<qulonglong>(data));
  return count() - 1;
}

unsigned long CAppCtrlCombo::GetValue(int index) const {
  return index >= 0 && index < count() ? static_cast<unsigned long>(itemData(index).toULongLong()) : 0;
}

void CAppCtrlCombo::SetValue(unsigned long data, int index) {
  if (index >= 0 && index < count()) setItemData(index, QVariant::fromValue<qulonglong>(data));
}

void CAppCtrlCombo::RemoveAll() { clear(); }

int CAppCtrlCombo::SetCurrentItem(int index) {
  if (index < 0 || index >= count()) return 0;
  m_nCurrent = index;
  if (m_pLink == nullptr || !m_pLink->IsFlagsEnable(CAppLnkWnd::LNK_ACTIVATING)) setCurrentIndex(index);
  return 1;
}

void CAppCtrlCombo::OnActivated(int index) {
  m_nCurrent = index;
  if (!m_bInPlace && m_pLink != nullptr) m_pLink->OnChange(GetCtrlId());
}

// --- In place ---------------------------------------------------------------------------------

void CAppCtrlCombo::FillInPlaceCombo(const std::vector<std::string>& texts, int current) {
  clear();
  for (size_t i = 0; i < texts.size(); ++i) AddItem(static_cast<unsigned long>(i), texts[i]);
  if (current >= 0 && current < count()) setCurrentIndex(current);
  m_nCurrent = currentIndex();
  m_nInitial = m_nCurrent;
}

int CAppCtrlCombo::EndCurrentEdit() {
  if (m_bEnded) return 1;
  if (currentIndex() != m_nInitial && m_pList != nullptr &&
      !m_pList->EndCurrentEdit(currentText().toStdString())) {
    setCurrentIndex(m_nInitial);
    return 0;
  }
  m_bEnded = true;
  return 1;
}

void CAppCtrlCombo::CloseInPlace() {
  m_bEnding = true;
  if (m_pList != nullptr) {
    m_pList->OnExitInPlaceControl();
  } else {
    deleteLater();
  }
}

bool CAppCtrlCombo::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    switch (message->GetMessage()) {
      case AppWindowMessage::ReadOnly: setEnabled(message->GetWParam() == 0); break;
      case AppWindowMessage::CtrlBeginActivate: AppSetRedraw(this, false); break;
      case AppWindowMessage::CtrlEndActivate:
        AppSetRedraw(this, true);
        update();
        if (count() > 0) {
          if (m_nCurrent >= count()) m_nCurrent = 0;
          if (m_nCurrent >= 0) setCurrentIndex(m_nCurrent);
        }
        break;
      default: break;
    }
    message->SetResult(0);
    return true;
  }
  if (m_bInPlace && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (AppIsInPlaceTab(key)) {
      if (m_pList != nullptr) m_pList->OnEditInPlaceTab(AppIsInPlaceBacktab(key));
      return true;
    }
  }
  return QComboBox::event(event);
}

void CAppCtrlCombo::keyPressEvent(QKeyEvent* event) {
  if (m_bInPlace) {
    if (AppIsEnter(event)) {
      if (EndCurrentEdit()) CloseInPlace();
      return;
    }
    if (event->key() == Qt::Key_Escape) {
      setCurrentIndex(m_nInitial);
      m_bEnded = true;
      CloseInPlace();
      return;
    }
  }
  QComboBox::keyPressEvent(event);
}

void CAppCtrlCombo::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Opening its own drop-down is no focus loss.
  if (!m_bInPlace || event->reason() == Qt::PopupFocusReason || m_bEnding) return;
  if (m_pList != nullptr && m_pList->GetInPlaceEditor() != this) return;
  EndCurrentEdit();
  CloseInPlace();
}
