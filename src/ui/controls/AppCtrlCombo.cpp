#include "appconfig/ui/AppCtrlCombo.h"

#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlCombo::CAppCtrlCombo(QWidget* parent)
    : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, &CAppCtrlCombo::OnActivated);
}

CAppCtrlCombo::~CAppCtrlCombo() = default;

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
  if (!m_bActivating) setCurrentIndex(index);
  return 1;
}

void CAppCtrlCombo::OnActivated(int index) {
  m_nCurrent = index;
  if (!m_bInPlace) emit Changed();
}

void CAppCtrlCombo::SelectRememberedItem() {
  if (count() == 0) return;
  if (m_nCurrent >= count()) m_nCurrent = 0;
  if (m_nCurrent >= 0) setCurrentIndex(m_nCurrent);
}

bool CAppCtrlCombo::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    AppAnswerCtrlMessage(this, message);
    if (message->GetMessage() == AppWindowMessage::CtrlBeginActivate) m_bActivating = true;
    if (message->GetMessage() == AppWindowMessage::CtrlEndActivate) {
      m_bActivating = false;
      SelectRememberedItem();
    }
    return true;
  }
  return QComboBox::event(event);
}
