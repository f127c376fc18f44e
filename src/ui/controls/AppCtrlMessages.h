// How controls answer the page's messages.
#pragma once

#include <QWidget>

#include "platform/AppRedraw.h"
#include "platform/AppWindowMessages.h"

// Read-only disables the control, and it draws nothing between the start and
// the end of a page's activation, so that the values appear at once.
inline void AppAnswerCtrlMessage(QWidget* ctrl, CAppMessageEvent* message) {
  switch (message->GetMessage()) {
    case AppWindowMessage::ReadOnly: ctrl->setEnabled(message->GetWParam() == 0); break;
    case AppWindowMessage::CtrlBeginActivate: AppSetRedraw(ctrl, false); break;
    case AppWindowMessage::CtrlEndActivate:
      AppSetRedraw(ctrl, true);
      ctrl->update();
      break;
    default: break;
  }
  message->SetResult(0);
}

// For a control that answers read-only alone: takes every message of the
// page (answered 0) and true; false for any other event.
inline bool AppTakeReadOnlyMessage(QWidget* ctrl, QEvent* event) {
  CAppMessageEvent* message = AppMessageEventCast(event);
  if (message == nullptr) return false;
  if (message->GetMessage() == AppWindowMessage::ReadOnly) ctrl->setEnabled(message->GetWParam() == 0);
  message->SetResult(0);
  return true;
}

// For a control that leaves the other messages to its base class: answers
// read-only only, true when the message was that one.
inline bool AppAnswerReadOnly(QWidget* ctrl, CAppMessageEvent* message) {
  if (message->GetMessage() != AppWindowMessage::ReadOnly) return false;
  ctrl->setEnabled(message->GetWParam() == 0);
  message->SetResult(0);
  return true;
}
