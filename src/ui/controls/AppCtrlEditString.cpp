#include "appconfig/ui/AppCtrlEditString.h"

#include <QFocusEvent>

#include "appconfig/AppTools.h"
#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

CAppCtrlEditString::CAppCtrlEditString(unsigned maxChars, QWidget* parent)
    : QLineEdit(parent) {
  if (maxChars > 0) setMaxLength(static_cast<int>(maxChars));
  connect(this, &QLineEdit::textEdited, this, &CAppCtrlEditString::OnTextEdited);
}

CAppCtrlEditString::~CAppCtrlEditString() = default;

unsigned CAppCtrlEditString::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlEditString::SetValue(const std::string& text) {
  setText(QString::fromStdString(CAppTools::FormatReturn(text)));
}

void CAppCtrlEditString::OnTextEdited() {
  if (m_bInPlace) {
    ResizeEdit();
    return;
  }
  if (!m_bNotifyOnKillFocus) emit Changed();
}

void CAppCtrlEditString::ResizeEdit() {
  QWidget* parent = parentWidget();
  if (parent == nullptr) return;
  const int wanted = fontMetrics().horizontalAdvance(text()) + 5 + 8;
  if (wanted > width()) resize(std::min(wanted, parent->width() - x()), height());
}

bool CAppCtrlEditString::event(QEvent* event) {
  CAppMessageEvent* message = AppMessageEventCast(event);
  if (message != nullptr && AppAnswerReadOnly(this, message)) return true;
  return QLineEdit::event(event);
}

void CAppCtrlEditString::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!m_bInPlace && m_bNotifyOnKillFocus) emit Changed();
}
