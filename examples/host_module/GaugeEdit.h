// The module's own control: an edit that tells its link of each change the
// user types, and answers the link framework's read-only message
// ("wmReadOnly") as the library's controls do.
#pragma once

#include <QLineEdit>

#include "appconfig/ui/AppDialogTemplate.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "appconfig/ui/AppWindowMessages.h"

class GaugeEdit : public QLineEdit {
  Q_OBJECT

public:
  GaugeEdit() {
    connect(this, &QLineEdit::textEdited, this, [this] {
      if (m_pLink != nullptr) m_pLink->OnChange(AppGetDlgItemId(this));
    });
  }
  // AddCtrl gives the control its link.
  void SetLink(CAppLnkWnd* link) { m_pLink = link; }

protected:
  bool event(QEvent* event) override {
    if (CAppMessageEvent* message = AppMessageEventCast(event)) {
      if (message->GetMessage() == AppWindowMessage::ReadOnly) setReadOnly(message->GetWParam() != 0);
      message->SetResult(0);
      return true;
    }
    return QLineEdit::event(event);
  }

private:
  CAppLnkWnd* m_pLink = nullptr;
};
