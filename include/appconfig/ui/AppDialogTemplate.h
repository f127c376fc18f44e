// Dialog templates and dialog items, for a host's own links and controls.
//
// A template fills a page with its items: a Qt Designer form (compiled by
// uic) or any function that builds widgets. Every item carries its dialog
// item number in the dynamic property "dlgItem" (a Designer form sets it as
// a dynamic property of the item), and code finds items by number. The
// library's own templates take the numbers it uses; a host registers its own
// under other numbers, before a link adds a page on them (AddView).
#pragma once

class QObject;
class QWidget;

// Fills `dialog` with the widgets and layout of a template.
using AppTemplateSetup = void (*)(QWidget* dialog);

// Adds a template under `templateId`; false when the number is taken or
// `setup` is null.
bool AppRegisterDialogTemplate(unsigned templateId, AppTemplateSetup setup);
bool AppHasDialogTemplate(unsigned templateId);

// The setup of a Designer form class.
template <class Form>
void AppSetupForm(QWidget* dialog) {
  Form form;  // holds pointers only; the widgets belong to the dialog
  form.setupUi(dialog);
}

// The same for a Designer form class: AppRegisterDialogForm<Ui::MyPage>(20001).
template <class Form>
bool AppRegisterDialogForm(unsigned templateId) {
  return AppRegisterDialogTemplate(templateId, &AppSetupForm<Form>);
}

// The item number of a widget (0 when it has none), and setting it.
unsigned AppGetDlgItemId(const QObject* item);
void AppSetDlgItemId(QWidget* item, unsigned id);
// The descendant of `dialog` with that item number, else null.
QWidget* AppGetDlgItem(const QWidget* dialog, unsigned id);
