// Modal message boxes (QMessageBox) with the styles and answers of
// CAppTools::MessageBox.
#pragma once

#include <string>

class QWidget;

// Shows `text` over `owner` (the active window when null); `style` is a set
// of APP_MB_ values; returns APP_IDOK, APP_IDCANCEL, APP_IDYES or APP_IDNO.
int AppShowMessageBox(QWidget* owner, const std::string& text, unsigned style);
