// A static text of a link page (the name and help texts, units, bounds).
#pragma once

#include <QColor>
#include <QLabel>

#include <string>

class CAppCtrlStatic : public QLabel {
  Q_OBJECT

public:
  explicit CAppCtrlStatic(QWidget* parent = nullptr);

  // Shows the text with its line ends made uniform (CAppTools::FormatReturn).
  void SetValue(const std::string& text);
  void SetTextColor(const QColor& color);
};
