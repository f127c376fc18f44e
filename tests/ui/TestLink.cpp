#include "TestLink.h"

#include <stdexcept>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppResources.h"
#include "platform/AppWindowMessages.h"

APP_IMPLEMENT_DYNCREATE(TestRecordingLink, CAppLnkSheet)
APP_REGISTER_CLASS(TestRecordingLink, "Link Test Value")

bool TestEdit::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    messages.push_back(AppMessageName(message->GetMessage()));
    if (message->GetMessage() == AppWindowMessage::ReadOnly) {
      setReadOnly(message->GetWParam() != 0);
      message->SetResult(1);
    }
    return true;
  }
  return QLineEdit::event(event);
}

int TestExchValue::ParamToCtrl() {
  if (TestRecordingLink::Current().throwing.count("show") != 0) TestRecordingLink::Reached("show");
  m_pEdit->setText(QString::fromStdString(m_pParam->GetVariant().GetStringRef()));
  return 1;
}

int TestExchValue::CtrlToParam() {
  m_pParam->SetVariant(CAppVariant(m_pEdit->text().toStdString()));
  return 1;
}

void TestExchValue::SetParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  m_pParam = param;
}

TestRecordingLink::Script& TestRecordingLink::Current() {
  static Script script;
  return script;
}

void TestRecordingLink::_ResourcesInit(CAppResources* resources) {
  resources->CreateProfile("TestRecordingLink");
}

void TestRecordingLink::Reached(const std::string& hook) {
  if (Current().throwing.count(hook) == 0) return;
  Current().events.push_back("throw " + hook);
  if (hook == "tips" || hook == "next") throw std::runtime_error("host failure in " + hook);
  APP_THROW("Host failure in %s", hook.c_str());
}

void TestRecordingLink::Record(const std::string& event) {
  Current().events.push_back(event + ":" + std::to_string(GetActiveIndex()));
}

void TestRecordingLink::OnUserCreate() {
  Current().events.push_back("create");
  for (int page = 0; page < Current().pages; ++page) AddView(13588, "");
}

int TestRecordingLink::OnUserInit() {
  Record("init");
  auto* edit = AddCtrl(13605, new TestEdit);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { OnChange(13605); });
  AddRule(new TestExchValue(edit), GetUserParam(), Current().childKey);
  return CAppLnkSheet::OnUserInit();
}

void TestRecordingLink::OnUserActive() {
  Record("active");
  SetDescription(GetUserParam());
}

int TestRecordingLink::OnUserChange(unsigned ctrlId) {
  Record("change " + std::to_string(ctrlId));
  Reached("change");
  if (Current().writeOnChange) RefreshParams();
  return 1;
}

int TestRecordingLink::OnUserExit() {
  Record("exit");
  Reached("exit");
  return GetActiveIndex() == Current().refuseExitOnPage ? 0 : 1;
}

void TestRecordingLink::OnCancel() { Record("cancel"); }

void TestRecordingLink::OnUserTimer() {
  Record("timer");
  Reached("timer");
}

std::string TestRecordingLink::OnUserGetNodeName(CAppParam* param) {
  Reached("node");
  return param->GetKey();
}

void TestRecordingLink::NextCtrl() {
  Reached("next");
  CAppLnkSheet::NextCtrl();
}

std::string TestRecordingLink::OnUserToolTips(unsigned ctrlId) {
  Reached("tips");
  return ctrlId == 13605 ? std::string(100, 'x') : std::string();
}
