// The window messages of the link framework, as Qt events: the four that
// links, controls and sheets exchange, and the three of the address control.
// A host's own control answers them in its event() override:
//
//   if (CAppMessageEvent* message = AppMessageEventCast(event)) {
//     if (message->GetMessage() == AppWindowMessage::ReadOnly) setReadOnly(message->GetWParam() != 0);
//     message->SetResult(0);
//     return true;
//   }
//
// Each message gets one event type from QEvent::registerEventType the first
// time any is asked for. SendAppMessage delivers the event at once
// (QCoreApplication::sendEvent), so the sender reads the handler's answer as
// it would read the result of a sent message.
#pragma once

#include <QEvent>

class QObject;

enum class AppWindowMessage {
  ReadOnly,             // "wmReadOnly": wParam 1 = make read-only, 0 = editable
  CtrlBeginActivate,    // "wmCtrlBeginActivate": a page starts showing values
  CtrlEndActivate,      // "wmCtrlEndActivate": the values are shown
  OnError,              // "wmOnError": wParam 1 = an error is shown, 0 = none
  // The address control's own (0x400, 0x401, 0x402 where messages are numbers):
  AddressGet,       // wParam: show a message on error; lParam: a tagMASK_ADDR*; TRUE when all fields are valid
  AddressSet,       // lParam: a const tagMASK_ADDR*
  AddressReadOnly,  // wParam 1 = read-only, 0 = editable; answers 1
};

// The message's name ("wmReadOnly" ...; "0x400" ... for the address control's).
const char* AppMessageName(AppWindowMessage message);
// The event type registered for the message.
QEvent::Type AppMessageType(AppWindowMessage message);

// The event a handler receives: the two parameters in, the answer out.
class CAppMessageEvent : public QEvent {
public:
  CAppMessageEvent(AppWindowMessage message, long wParam, long lParam);

  AppWindowMessage GetMessage() const { return m_message; }
  long GetWParam() const { return m_wParam; }
  long GetLParam() const { return m_lParam; }
  void SetResult(long result) { m_result = result; }
  long GetResult() const { return m_result; }

private:
  AppWindowMessage m_message;
  long m_wParam;
  long m_lParam;
  long m_result = 0;
};

// The message event carried by `event`, else null (any other event).
CAppMessageEvent* AppMessageEventCast(QEvent* event);

// Sends the message to `receiver` and returns the handler's answer (0 when
// nobody handles it). A null receiver throws "Bad pointer".
long SendAppMessage(QObject* receiver, AppWindowMessage message, long wParam, long lParam);
