// Dialog templates and dialog items: what the library's own code adds to
// the installed part (appconfig/ui/AppDialogTemplate.h).
#pragma once

#include "appconfig/ui/AppDialogTemplate.h"

// Builds template `templateId` into `dialog`. A null dialog throws "Bad
// pointer", an unknown number "Dialog template %u not found".
void AppLoadDialogTemplate(unsigned templateId, QWidget* dialog);

// Puts `control` in the place of dialog item `id`: the same parent, layout
// slot, tab order, buddy label, number, name and visibility; the template's
// item is destroyed. False (nothing changed) when the dialog has no such
// item or the control is that item already.
bool AppSubclassDlgItem(QWidget* control, unsigned id, QWidget* dialog);

// Moves the focus to the next (or previous) item of the dialog that takes
// focus with the Tab key, as the dialog manager does for WM_NEXTDLGCTL.
void AppMoveDialogFocus(QWidget* dialog, bool previous);
