#include "platform/AppKeyState.h"

#include <QGuiApplication>

bool AppQtKeyHeld(AppKey key) {
  const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
  switch (key) {
    case AppKey::LeftShift: return held.testFlag(Qt::ShiftModifier);
    case AppKey::LeftControl: return held.testFlag(Qt::ControlModifier);
  }
  return false;
}
