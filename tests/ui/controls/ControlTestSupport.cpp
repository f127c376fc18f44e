#include "ControlTestSupport.h"

#include <QApplication>
#include <QVBoxLayout>

#include "appconfig/AppParam.h"
#include "platform/AppDialogTemplate.h"

std::string RecordingLink::OnUserGetNodeName(CAppParam* param) {
  return param != nullptr ? "Node " + param->GetKey() : std::string();
}

MessageBoxRecorder::MessageBoxRecorder() : m_pPrevious(&AppGetUserInterface()) { AppSetUserInterface(this); }

MessageBoxRecorder::~MessageBoxRecorder() { AppSetUserInterface(m_pPrevious); }

int MessageBoxRecorder::MessageBox(const std::string& text, unsigned style) {
  texts.push_back(text);
  styles.push_back(style);
  return APP_IDOK;
}

QWidget* MakePage(QWidget& owner) {
  new QVBoxLayout(&owner);
  owner.resize(360, 240);
  owner.show();
  owner.activateWindow();
  QApplication::setActiveWindow(&owner);
  return &owner;
}

void PlaceOnPage(QWidget* page, QWidget* control, unsigned id) {
  AppSetDlgItemId(control, id);
  control->setParent(page);
  page->layout()->addWidget(control);
  control->show();
}
