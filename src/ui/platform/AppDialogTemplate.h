// Dialog templates and dialog items.
//
// A template is a Qt Designer form (.ui, compiled by uic) kept under the
// template number the links use. Every item of a form carries its dialog
// item number in the dynamic property "dlgItem", so that code finds items
// by number and never builds a template's layout by hand.
#pragma once

class QWidget;
class QObject;

// Fills `dialog` with the widgets and layout of a template.
using AppTemplateSetup = void (*)(QWidget* dialog);

// Adds a template of a host or an extension module; false when the number
// is taken (the library's own templates come first).
bool AppRegisterDialogTemplate(unsigned templateId, AppTemplateSetup setup);
bool AppHasDialogTemplate(unsigned templateId);
// Builds template `templateId` into `dialog`. A null dialog throws "Bad
// pointer", an unknown number "Dialog template %u not found".
void AppLoadDialogTemplate(unsigned templateId, QWidget* dialog);

// The item number of a widget (0 when it has none), and setting it.
unsigned AppGetDlgItemId(const QObject* item);
void AppSetDlgItemId(QWidget* item, unsigned id);
// The descendant of `dialog` with that item number, else null.
QWidget* AppGetDlgItem(const QWidget* dialog, unsigned id);

// Puts `control` in the place of dialog item `id`: the same parent, layout
// slot, tab order, buddy label, number, name and visibility; the template's
// item is destroyed. False (nothing changed) when the dialog has no such
// item or the control is that item already.
bool AppSubclassDlgItem(QWidget* control, unsigned id, QWidget* dialog);

// Moves the focus to the next (or previous) item of the dialog that takes
// focus with the Tab key, as the dialog manager does for WM_NEXTDLGCTL.
void AppMoveDialogFocus(QWidget* dialog, bool previous);
