#include "platform/AppDialogTemplate.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QVariant>
#include <QWidget>

#include <map>

#include "appconfig/AppException.h"
#include "ui_AppDlgProgress13576.h"
#include "ui_AppPageNumeric13587.h"
#include "ui_AppPageList13589.h"
#include "ui_AppPageList13590.h"
#include "ui_AppPageArray13591.h"
#include "ui_AppPageConfigList13592.h"
#include "ui_AppPageDebug13593.h"
#include "ui_AppPageDebugTree13594.h"
#include "ui_AppPageMail13595.h"
#include "ui_AppPageListFilter13596.h"
#include "ui_AppPageListMulti13597.h"
#include "ui_AppPageAddress13599.h"
#include "ui_AppPageTree13606.h"
#include "ui_AppPageStruct13608.h"
#include "ui_AppPageValue13588.h"
#include "ui_AppPageVerify13607.h"

namespace {

constexpr const char* kItemProperty = "dlgItem";

struct TemplateRow {
  unsigned id;
  AppTemplateSetup setup;
};

// The library's own templates.
constexpr TemplateRow kLibraryTemplates[] = {
    {13576, &AppSetupForm<Ui::AppDlgProgress13576>},
    {13587, &AppSetupForm<Ui::AppPageNumeric13587>},
    {13588, &AppSetupForm<Ui::AppPageValue13588>},
    {13589, &AppSetupForm<Ui::AppPageList13589>},
    {13590, &AppSetupForm<Ui::AppPageList13590>},
    {13591, &AppSetupForm<Ui::AppPageArray13591>},
    {13592, &AppSetupForm<Ui::AppPageConfigList13592>},
    {13593, &AppSetupForm<Ui::AppPageDebug13593>},
    {13594, &AppSetupForm<Ui::AppPageDebugTree13594>},
    {13595, &AppSetupForm<Ui::AppPageMail13595>},
    {13596, &AppSetupForm<Ui::AppPageListFilter13596>},
    {13597, &AppSetupForm<Ui::AppPageListMulti13597>},
    {13599, &AppSetupForm<Ui::AppPageAddress13599>},
    {13606, &AppSetupForm<Ui::AppPageTree13606>},
    {13607, &AppSetupForm<Ui::AppPageVerify13607>},
    {13608, &AppSetupForm<Ui::AppPageStruct13608>},
};

// Templates added by hosts and extension modules, built on first use.
std::map<unsigned, AppTemplateSetup>& HostTemplates() {
  static std::map<unsigned, AppTemplateSetup> templates;
  return templates;
}

AppTemplateSetup FindTemplate(unsigned templateId) {
  for (const TemplateRow& row : kLibraryTemplates) {
    if (row.id == templateId) return row.setup;
  }
  const auto it = HostTemplates().find(templateId);
  return it != HostTemplates().end() ? it->second : nullptr;
}

// What the template says of the item's look, given to the control that
// replaces it.
void TakeLook(const QWidget* item, QWidget* control) {
  control->setObjectName(item->objectName());
  if (control->toolTip().isEmpty()) control->setToolTip(item->toolTip());
  control->setEnabled(item->isEnabled());
  control->setFont(item->font());
  control->setSizePolicy(item->sizePolicy());
  control->setMinimumSize(control->minimumSize().expandedTo(item->minimumSize()));
  control->setMaximumSize(control->maximumSize().boundedTo(item->maximumSize()));
  const auto* itemLabel = qobject_cast<const QLabel*>(item);
  auto* controlLabel = qobject_cast<QLabel*>(control);
  if (itemLabel != nullptr && controlLabel != nullptr) {
    controlLabel->setWordWrap(itemLabel->wordWrap());
    controlLabel->setAlignment(itemLabel->alignment());
    if (controlLabel->text().isEmpty()) controlLabel->setText(itemLabel->text());
  }
  // A button's caption ("&Ajouter", a check box's text) is the template's.
  const auto* itemButton = qobject_cast<const QAbstractButton*>(item);
  auto* controlButton = qobject_cast<QAbstractButton*>(control);
  if (itemButton != nullptr && controlButton != nullptr && controlButton->text().isEmpty()) {
    controlButton->setText(itemButton->text());
  }
}

bool TakesTabFocus(const QWidget* widget, const QWidget* dialog) {
  return dialog->isAncestorOf(widget) && widget->isEnabled() && widget->isVisibleTo(dialog) &&
         (widget->focusPolicy() & Qt::TabFocus) != 0;
}

}  // namespace

bool AppRegisterDialogTemplate(unsigned templateId, AppTemplateSetup setup) {
  if (setup == nullptr || FindTemplate(templateId) != nullptr) return false;
  HostTemplates().emplace(templateId, setup);
  return true;
}

bool AppHasDialogTemplate(unsigned templateId) { return FindTemplate(templateId) != nullptr; }

void AppLoadDialogTemplate(unsigned templateId, QWidget* dialog) {
  APP_CHECK_POINTER(dialog);
  const AppTemplateSetup setup = FindTemplate(templateId);
  if (setup == nullptr) APP_THROW("Dialog template %u not found", templateId);
  setup(dialog);
}

unsigned AppGetDlgItemId(const QObject* item) {
  if (item == nullptr) return 0;
  return item->property(kItemProperty).toUInt();
}

void AppSetDlgItemId(QWidget* item, unsigned id) {
  APP_CHECK_POINTER(item);
  item->setProperty(kItemProperty, id);
}

QWidget* AppGetDlgItem(const QWidget* dialog, unsigned id) {
  if (dialog == nullptr || id == 0) return nullptr;
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    if (AppGetDlgItemId(child) == id) return child;
  }
  return nullptr;
}

bool AppSubclassDlgItem(QWidget* control, unsigned id, QWidget* dialog) {
  QWidget* item = AppGetDlgItem(dialog, id);
  if (control == nullptr || item == nullptr || item == control) return false;
  QWidget* parent = item->parentWidget();
  const bool hidden = item->isHidden();
  control->setParent(parent);
  AppSetDlgItemId(control, id);
  TakeLook(item, control);
  // The item's slot, in whichever layout under the parent's it stands.
  QLayoutItem* slot = parent->layout() != nullptr ? parent->layout()->replaceWidget(item, control) : nullptr;
  if (slot == nullptr) control->setGeometry(item->geometry());
  delete slot;
  // The control joins the tab chain right after the item, which then leaves it.
  QWidget::setTabOrder(item, control);
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->buddy() == item) label->setBuddy(control);
  }
  delete item;
  control->setVisible(!hidden);
  return true;
}

void AppMoveDialogFocus(QWidget* dialog, bool previous) {
  APP_CHECK_POINTER(dialog);
  QWidget* start = dialog->focusWidget();
  if (start == nullptr || !dialog->isAncestorOf(start)) start = dialog;
  QWidget* widget = start;
  do {
    widget = previous ? widget->previousInFocusChain() : widget->nextInFocusChain();
  } while (widget != start && !TakesTabFocus(widget, dialog));
  if (widget != start) widget->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}
