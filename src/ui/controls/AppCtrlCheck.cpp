#include "appconfig/ui/AppCtrlCheck.h"

#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlCheck::CAppCtrlCheck(QWidget* parent) : QCheckBox(parent) {}

unsigned CAppCtrlCheck::GetCtrlId() const { return AppGetDlgItemId(this); }

unsigned CAppCtrlCheck::GetValue() const {
  switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

void CAppCtrlCheck::SetValue(unsigned state) {
  if (state == 2) setTristate(true);
  setCheckState(state == 0 ? Qt::Unchecked : state == 2 ? Qt::PartiallyChecked : Qt::Checked);
}

bool CAppCtrlCheck::event(QEvent* event) { return AppTakeReadOnlyMessage(this, event) || QCheckBox::event(event); }
