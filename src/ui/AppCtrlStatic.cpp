#include "appconfig/ui/AppCtrlStatic.h"

#include <QPalette>

#include "appconfig/AppTools.h"

CAppCtrlStatic::CAppCtrlStatic(QWidget* parent) : QLabel(parent) {
  // Help texts come from descriptions: never read as rich text.
  setTextFormat(Qt::PlainText);
}

void CAppCtrlStatic::SetValue(const std::string& text) {
  // A label breaks lines at LF; the CRs FormatReturn adds would show.
  setText(QString::fromStdString(CAppTools::FormatReturn(text)).remove('\r'));
}

void CAppCtrlStatic::SetTextColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::WindowText, color);
  setPalette(colors);
}
