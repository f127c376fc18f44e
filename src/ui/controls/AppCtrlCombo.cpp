#include "appconfig/ui/AppCtrlCombo.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "appconfig/ui/AppCtrlList.h"
#include "controls/AppCtrlMessages.h"
#include "controls/AppInPlaceEdit.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlCombo::CAppCtrlCombo(QWidget* parent)
    : QComboBox(parent),
      m_pInPlace(std::make_unique<CAppInPlaceEdit>(
          this, [this] { return EndCurrentEdit(); }, [this] { setCurrentIndex(m_nInitial); })) {
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
  if (!m_pInPlace->IsOn()) emit Changed();
}

void CAppCtrlCombo::SelectRememberedItem() {
  if (count() == 0) return;
  if (m_nCurrent >= count()) m_nCurrent = 0;
  if (m_nCurrent >= 0) setCurrentIndex(m_nCurrent);
}

// --- In place ---------------------------------------------------------------------------------

void CAppCtrlCombo::SetIsEditInPlace(int inPlace) { m_pInPlace->SetOn(inPlace != 0); }
int CAppCtrlCombo::GetIsEditInPlace() const { return m_pInPlace->IsOn() ? 1 : 0; }
void CAppCtrlCombo::SetListCtrl(CAppCtrlList* list) { m_pInPlace->SetList(list); }

void CAppCtrlCombo::FillInPlaceCombo(const std::vector<std::string>& texts, int current) {
  clear();
  for (size_t i = 0; i < texts.size(); ++i) AddItem(static_cast<unsigned long>(i), texts[i]);
  if (current >= 0 && current < count()) setCurrentIndex(current);
  m_nCurrent = currentIndex();
  m_nInitial = m_nCurrent;
}

int CAppCtrlCombo::EndCurrentEdit() {
  if (m_pInPlace->IsEnded()) return 1;
  CAppCtrlList* list = m_pInPlace->GetList();
  if (currentIndex() != m_nInitial && list != nullptr && !list->EndCurrentEdit(currentText().toStdString())) {
    setCurrentIndex(m_nInitial);
    return 0;
  }
  m_pInPlace->MarkEnded();
  return 1;
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
  if (m_pInPlace->TakeTab(event)) return true;
  return QComboBox::event(event);
}

void CAppCtrlCombo::keyPressEvent(QKeyEvent* event) {
  if (!m_pInPlace->TakeKey(event)) QComboBox::keyPressEvent(event);
}

void CAppCtrlCombo::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Opening its own drop-down is no focus loss.
  if (event->reason() != Qt::PopupFocusReason) m_pInPlace->OnFocusOut(event->reason());
}
