// The module's own control: an edit whose typed changes (textEdited) its
// link hears of, and which answers the link framework's read-only message
// ("wmReadOnly") as the library's controls do.
#pragma once

#include <QLineEdit>

#include "appconfig/ui/AppWindowMessages.h"

class GaugeEdit : public QLineEdit {
  Q_OBJECT

public:
protected:
  bool event(QEvent* event) override {
    if (CAppMessageEvent* message = AppMessageEventCast(event)) {
      if (message->GetMessage() == AppWindowMessage::ReadOnly) setReadOnly(message->GetWParam() != 0);
      message->SetResult(0);
      return true;
    }
    return QLineEdit::event(event);
  }
};
