#include "platform/AppMessageBox.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

#include <utility>

#include "appconfig/AppTools.h"
#include "appconfig/AppUserInterface.h"

namespace {

QMessageBox::StandardButtons ButtonsOf(unsigned style) {
  switch (style & 0x0F) {
    case APP_MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case APP_MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case APP_MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & 0xF0) {
    case APP_MB_ICONSTOP: return QMessageBox::Critical;
    case APP_MB_ICONQUESTION: return QMessageBox::Question;
    case APP_MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case APP_MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes: return APP_IDYES;
    case QMessageBox::No: return APP_IDNO;
    case QMessageBox::Ok: return APP_IDOK;
    default: return APP_IDCANCEL;
  }
}

// The library speaks French whatever Qt's translations installed.
void LabelButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, QString> labels[] = {
      {QMessageBox::Ok, QString::fromStdString(CAppTools::LoadString(13500))},
      {QMessageBox::Cancel, QString::fromStdString(CAppTools::LoadString(13502))},
      {QMessageBox::Yes, QStringLiteral("&Oui")},
      {QMessageBox::No, QStringLiteral("&Non")},
  };
  for (const auto& [button, label] : labels) {
    if (QAbstractButton* shown = box.button(button)) shown->setText(label);
  }
}

}  // namespace

int AppShowMessageBox(QWidget* owner, const std::string& text, unsigned style) {
  if (owner == nullptr) owner = QApplication::activeWindow();
  QMessageBox box(IconOf(style), QApplication::applicationDisplayName(),
                  QString::fromStdString(text), ButtonsOf(style), owner);
  LabelButtons(box);
  return AnswerOf(box.exec());
}
