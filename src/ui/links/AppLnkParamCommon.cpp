#include "links/AppLnkParamCommon.h"

#include <QLineEdit>

#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppVariant.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "platform/AppDialogTemplate.h"

void AppLnkCreateProfile(CAppResources* resources, const char* className) {
  AppChecked(resources)->CreateProfile(className);
}

CAppParamGroup* AppLnkUserGroup(CAppLnkWnd& link) { return AppChecked(AppChecked(link.GetUserParam())->GetGroup()); }

bool AppLnkIsReadOnly(CAppLnkWnd& link) {
  CAppParam* param = link.GetUserParam();
  return link.IsFlagsEnable(CAppLnkWnd::LNK_READONLY) || (param != nullptr && param->IsFlagsEnable(PF_READONLY));
}

CAppCtrlButton* AppLnkAddButton(CAppLnkWnd& link, unsigned id) {
  CAppToolsLnk::View* view = link.GetActiveView();
  QWidget* item = view != nullptr ? AppGetDlgItem(view->GetCtrlParent(), id) : nullptr;
  const QString caption = item != nullptr ? item->property("text").toString() : QString();
  CAppCtrlButton* button = link.AddCtrl(id, new CAppCtrlButton);
  button->SetCaption(caption);
  return button;
}

std::string AppLnkVariantText(const CAppVariant& value) {
  try {
    return value.ToString();
  } catch (const CAppException&) {
    return std::string();
  }
}

void AppLnkSelectRefused(QWidget* control) {
  if (control == nullptr) return;
  control->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

namespace {

// `valid` asks the rule; a refusal gives the control the focus.
template <class Valid>
bool Refused(CAppLnkWnd& link, QWidget* control, Valid valid) {
  CAppRuleCheckParam* rule = link.GetCheckRule();
  if (rule == nullptr || valid(*rule) != 0) return false;
  AppLnkSelectRefused(control);
  return true;
}

}  // namespace

bool AppLnkRefused(CAppLnkWnd& link, CAppVariant& value, QWidget* control) {
  return Refused(link, control, [&](CAppRuleCheckParam& rule) { return rule.IsValueValid(value); });
}

bool AppLnkRefused(CAppLnkWnd& link, std::vector<std::uint8_t>& data, QWidget* control) {
  return Refused(link, control, [&](CAppRuleCheckParam& rule) { return rule.IsDataValid(data); });
}

bool AppLnkRefused(CAppLnkWnd& link, std::vector<std::uint32_t>& states, QWidget* control) {
  return Refused(link, control, [&](CAppRuleCheckParam& rule) { return rule.IsEnumMultiValid(states); });
}
