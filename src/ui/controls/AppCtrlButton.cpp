#include "appconfig/ui/AppCtrlButton.h"

#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlButton::CAppCtrlButton(QWidget* parent) : QPushButton(parent) {}

unsigned CAppCtrlButton::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlButton::SetCaption(const QString& text) {
  m_strCaption = text;
  setText(m_bShowText ? text : QString());
}

void CAppCtrlButton::SetShowText(int show) {
  // The template's caption is kept when it is first hidden.
  if (m_strCaption.isEmpty()) m_strCaption = text();
  m_bShowText = show != 0;
  setText(m_bShowText ? m_strCaption : QString());
}

void CAppCtrlButton::SetAlign(EN_ALIGN align) {
  m_nAlign = align;
  UpdateStyle();
}

void CAppCtrlButton::UpdateStyle() {
  static const char* const kAlign[] = {"left", "center", "right"};
  setStyleSheet(m_nAlign == ALIGN_CENTER ? QString()
                                         : QString("text-align: %1; padding: 2px 6px;").arg(kAlign[m_nAlign]));
}

void CAppCtrlButton::SetActiveColor(const QColor& color) {
  QPalette colours = palette();
  colours.setColor(QPalette::Active, QPalette::ButtonText, color);
  colours.setColor(QPalette::Inactive, QPalette::ButtonText, color);
  setPalette(colours);
}

void CAppCtrlButton::SetInactiveColor(const QColor& color) {
  QPalette colours = palette();
  colours.setColor(QPalette::Disabled, QPalette::ButtonText, color);
  setPalette(colours);
}

bool CAppCtrlButton::event(QEvent* event) { return AppTakeReadOnlyMessage(this, event) || QPushButton::event(event); }
