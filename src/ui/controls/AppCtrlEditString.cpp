#include "appconfig/ui/AppCtrlEditString.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlList.h"
#include "controls/AppCtrlMessages.h"
#include "controls/AppInPlaceEdit.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

CAppCtrlEditString::CAppCtrlEditString(unsigned maxChars, QWidget* parent)
    : QLineEdit(parent),
      m_pInPlace(std::make_unique<CAppInPlaceEdit>(
          this, [this] { return EndCurrentEdit(); }, [this] { setText(m_strInitial); })) {
  if (maxChars > 0) setMaxLength(static_cast<int>(maxChars));
  connect(this, &QLineEdit::textEdited, this, &CAppCtrlEditString::OnTextEdited);
}

CAppCtrlEditString::~CAppCtrlEditString() = default;

unsigned CAppCtrlEditString::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlEditString::SetValue(const std::string& text) {
  setText(QString::fromStdString(CAppTools::FormatReturn(text)));
}

void CAppCtrlEditString::SetIsEditInPlace(int inPlace) { m_pInPlace->SetOn(inPlace != 0); }
int CAppCtrlEditString::GetIsEditInPlace() const { return m_pInPlace->IsOn() ? 1 : 0; }
void CAppCtrlEditString::SetListCtrl(CAppCtrlList* list) { m_pInPlace->SetList(list); }

void CAppCtrlEditString::OnTextEdited() {
  if (m_pInPlace->IsOn()) {
    ResizeEdit();
    return;
  }
  if (!m_bNotifyOnKillFocus) emit Changed();
}

int CAppCtrlEditString::EndCurrentEdit() {
  if (m_pInPlace->IsEnded()) return 1;
  CAppCtrlList* list = m_pInPlace->GetList();
  if (text() != m_strInitial && list != nullptr && !list->EndCurrentEdit(text().toStdString())) {
    setText(m_strInitial);
    selectAll();
    return 0;
  }
  m_pInPlace->MarkEnded();
  return 1;
}

void CAppCtrlEditString::ResizeEdit() {
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  const int wanted = fontMetrics().horizontalAdvance(text()) + 5 + 8;
  if (wanted > width()) resize(std::min(wanted, parent->width() - x()), height());
}

bool CAppCtrlEditString::event(QEvent* event) {
  CAppMessageEvent* message = AppMessageEventCast(event);
  if (message != nullptr ? AppAnswerReadOnly(this, message) : m_pInPlace->TakeTab(event)) return true;
  return QLineEdit::event(event);
}

void CAppCtrlEditString::keyPressEvent(QKeyEvent* event) {
  if (!m_pInPlace->TakeKey(event)) QLineEdit::keyPressEvent(event);
}

void CAppCtrlEditString::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  m_pInPlace->OnFocusIn();
}

void CAppCtrlEditString::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (m_pInPlace->IsOn()) {
    m_pInPlace->OnFocusOut(event->reason());
  } else if (m_bNotifyOnKillFocus) {
    emit Changed();
  }
}

void CAppCtrlEditString::wheelEvent(QWheelEvent* event) {
  if (!m_pInPlace->TakeWheel()) QLineEdit::wheelEvent(event);
}
