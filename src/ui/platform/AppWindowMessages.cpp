#include "platform/AppWindowMessages.h"

#include <QCoreApplication>

#include <array>

#include "appconfig/AppException.h"

namespace {

constexpr std::array<const char*, 7> kMessageNames = {
    "wmReadOnly", "wmCtrlBeginActivate", "wmCtrlEndActivate", "wmOnError", "0x400", "0x401", "0x402"};

// Registered together on first use; the numbers stay for the process.
const std::array<QEvent::Type, kMessageNames.size()>& RegisteredTypes() {
  static const std::array<QEvent::Type, kMessageNames.size()> types = [] {
    std::array<QEvent::Type, kMessageNames.size()> registered{};
    for (QEvent::Type& type : registered) type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return registered;
  }();
  return types;
}

}  // namespace

const char* AppMessageName(AppWindowMessage message) {
  return kMessageNames[static_cast<std::size_t>(message)];
}

QEvent::Type AppMessageType(AppWindowMessage message) {
  return RegisteredTypes()[static_cast<std::size_t>(message)];
}

CAppMessageEvent::CAppMessageEvent(AppWindowMessage message, long wParam, long lParam)
    : QEvent(AppMessageType(message)), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

CAppMessageEvent* AppMessageEventCast(QEvent* event) {
  if (event == nullptr) return nullptr;
  for (const QEvent::Type type : RegisteredTypes()) {
    if (event->type() == type) return static_cast<CAppMessageEvent*>(event);
  }
  return nullptr;
}

long SendAppMessage(QObject* receiver, AppWindowMessage message, long wParam, long lParam) {
  APP_CHECK_POINTER(receiver);
  CAppMessageEvent event(message, wParam, lParam);
  QCoreApplication::sendEvent(receiver, &event);
  return event.GetResult();
}
