#include "AppQtUserInterface.h"

#include <QApplication>
#include <QScopeGuard>

#include <memory>
#include <vector>

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppToolsBin.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "appconfig/ui/AppSheet.h"
#include "AppUiTrace.h"
#include "platform/AppMessageBox.h"
#include "platform/AppOwnerWindow.h"

namespace {

using LinkList = std::vector<std::unique_ptr<CAppLnkWnd>>;

// Shown by OnDebug until a "Link Debug" class is registered: the page with
// the parameter's name and help.
class CAppLnkDebugPlaceholder : public CAppLnkSheet {
public:
  void OnUserCreate() override { AddView(13593, "Debug List"); }
  void OnUserActive() override { SetDescription(GetUserParam()); }
};

// The node a link definition edits: the parameter, or for a group the node
// at the definition's "SYS_GRP_ROOT" path; null when that finds nothing
// editable.
CAppParam* EditedParam(CAppParam* param, CAppParamGroup* linkDefinition) {
  CAppParamGroup* group = param->GetGroup();
  CAppParam* rootEntry = group != nullptr ? linkDefinition->FindChild("SYS_GRP_ROOT") : nullptr;
  if (rootEntry == nullptr) return param;
  CAppParam* node = group->_GetAt(rootEntry->GetName());
  if (node == nullptr || node->IsFlagsEnable(PF_NO_PROPERTIES)) return nullptr;
  return node;
}

// The set-up every link gets before it adds its pages.
void SetUpLink(CAppLnkWnd& link, unsigned index, CAppParam* param, CAppParamGroup* profile,
               CAppResources& resources, CAppSheet& sheet, bool readOnly) {
  link.SetLinkIndex(index);
  link.SetUserParam(param);
  link.SetProfile(profile);
  link.SetResources(&resources);
  if (auto* sheetLink = AppDynamicCast<CAppLnkSheet>(&link)) sheetLink->SetSheet(&sheet);
  if (readOnly) link.ModifyFlags(0, CAppLnkWnd::LNK_READONLY);
  link.OnUserCreate();
}

LinkList CreateLinks(CAppResources& resources, CAppParam* param, CAppParamGroup* profile,
                     CAppRuleInitParam* initRule, CAppSheet& sheet) {
  LinkList links;
  unsigned index = 0;
  while (CAppParamGroup* definition = resources.GetLink(profile, index, initRule)) {
    CAppParam* edited = EditedParam(param, definition);
    if (edited == nullptr) continue;
    const std::string className = CAppDynamic::GetClassByAlias(definition->GetName(), "Link ");
    std::unique_ptr<CAppLnkWnd> link = CAppDynamic::GetRegisterClass<CAppLnkWnd>(className);
    if (link == nullptr) {
      APP_TRACE("No link class for %s", definition->GetName().c_str());
      continue;
    }
    const bool readOnly = sheet.IsReadOnly() != 0 || param->IsFlagsEnable(PF_READONLY) ||
                          edited->IsFlagsEnable(PF_READONLY);
    SetUpLink(*link, static_cast<unsigned>(links.size()), edited, definition, resources, sheet, readOnly);
    links.push_back(std::move(link));
  }
  return links;
}

// Shows the sheet; a cancel gives the parameter, found again by its path,
// the values of the snapshot. 2 without a snapshot.
int ShowWithUndo(CAppSheet& sheet, CAppParam* param) {
  std::string path;
  CAppParamGroup* root = param->GetPath(path);
  std::unique_ptr<CAppToolsBin::Stream> snapshot;
  try {
    snapshot = CAppStreamBin::CreateUndo(param);
  } catch (...) {
    AppTraceCurrentException();
  }
  if (snapshot == nullptr) return 2;
  const int result = sheet.DoModal();
  if (result == 2) {
    CAppParam* again = path.empty() || root == nullptr ? param : root->_GetAt(path);
    if (again != nullptr) CAppStreamBin::MakeUndo(snapshot.get(), again);
  }
  return result;
}

// The sheet given, else one made for the call and kept in `own`.
CAppSheet* SheetFor(CAppSheet* sheet, std::unique_ptr<CAppSheet>& own) {
  if (sheet == nullptr) own = std::make_unique<CAppSheet>(0, AppOwnerWindow());
  return sheet != nullptr ? sheet : own.get();
}

}  // namespace

int CAppQtUserInterface::OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) {
  if (param == nullptr) return 2;
  if (resources.IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftShift)) {
    OnDebug(resources, param, nullptr);
    return 2;
  }
  if (param->IsFlagsEnable(PF_NO_PROPERTIES)) return 1;
  std::unique_ptr<CAppSheet> ownSheet;
  sheet = SheetFor(sheet, ownSheet);
  sheet->SetName(param->GetName(&resources));
  std::string helpButton;
  if (resources.FindName("SYS_CONST\\HELP_BUTTON", helpButton)) sheet->SetButtonNameHelp(helpButton);

  CAppParamGroup* profile = resources.FindProfile(param);
  // A sheet shown again for another parameter (the rows a list walks) must
  // not keep the rule of the one before.
  auto exitRule = CAppRule::FindRule<CAppRuleCheckParam>(&resources, profile, "SYS_EXIT");
  if (exitRule != nullptr) exitRule->SetParam(param);
  sheet->SetRuleExit(std::move(exitRule));
  auto initRule = CAppRule::FindRule<CAppRuleInitParam>(&resources, profile, "SYS_INIT");
  if (initRule != nullptr) initRule->SetParam(param);

  // The links outlive the pages, which go however the sheet ends.
  LinkList links;
  const auto removePages = qScopeGuard([sheet] { sheet->RemoveAll(); });
  links = CreateLinks(resources, param, profile, initRule.get(), *sheet);
  return sheet->IsReadOnly() != 0 ? sheet->DoModal() : ShowWithUndo(*sheet, param);
}

int CAppQtUserInterface::OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) {
  APP_CHECK_POINTER(param);
  std::unique_ptr<CAppSheet> ownSheet;
  sheet = SheetFor(sheet, ownSheet);
  sheet->SetReadOnly(1);
  sheet->SetName(param->GetName(&resources) + " : " + param->GetClassName());
  std::unique_ptr<CAppLnkWnd> link =
      CAppDynamic::GetRegisterClass<CAppLnkWnd>(CAppDynamic::GetClassByAlias("Debug", "Link "));
  if (link == nullptr) link = std::make_unique<CAppLnkDebugPlaceholder>();
  const auto removePages = qScopeGuard([sheet] { sheet->RemoveAll(); });
  SetUpLink(*link, 0, param, resources.FindProfile(param), resources, *sheet, true);
  return sheet->DoModal();
}

int CAppQtUserInterface::MessageBox(const std::string& text, unsigned style) {
  return AppShowMessageBox(nullptr, text, style);
}
