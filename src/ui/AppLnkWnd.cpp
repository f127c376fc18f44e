#include "appconfig/ui/AppLnkWnd.h"

#include <exception>

#include "appconfig/AppKeyboard.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppCtrlEditNumeric.h"
#include "appconfig/ui/AppCtrlEditString.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlSlider.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"
#include "AppUiTrace.h"
#include "links/AppLnkParamCommon.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppHelp.h"
#include "platform/AppWindowMessages.h"

APP_IMPLEMENT_LINK(CAppLnkWnd, CAppObject)

namespace {
constexpr unsigned kHelpStaticId = 13515;
constexpr unsigned kNameStaticId = 13516;
constexpr std::uint32_t kViewBits = PF_VIEW_1 | PF_VIEW_2 | PF_VIEW_3 | PF_VIEW_4;
}  // namespace

CAppLnkWnd::CAppLnkWnd() = default;

// Views first: their controls may still call the link while they go.
CAppLnkWnd::~CAppLnkWnd() { m_views.clear(); }

// --- Set-up ------------------------------------------------------------------------

void CAppLnkWnd::SetUserParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  m_pUserParam = param;
}

void CAppLnkWnd::SetResources(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  m_pResources = resources;
}

void CAppLnkWnd::SetProfile(CAppParamGroup* profile) {
  APP_CHECK_POINTER(profile);
  m_pProfile = profile;
}

// --- Rules -------------------------------------------------------------------------

namespace {

// The rule `key` of the link's profile, else of the parameter's own profile.
template <class Rule>
std::unique_ptr<Rule> FindLinkRule(CAppResources* resources, CAppParamGroup* profile,
                                   CAppParam* param, const std::string& key) {
  std::unique_ptr<Rule> rule = CAppRule::FindRule<Rule>(resources, profile, key);
  if (rule == nullptr && resources != nullptr) {
    rule = CAppRule::FindRule<Rule>(resources, resources->FindProfileOrNull(param), key);
  }
  return rule;
}

}  // namespace

void CAppLnkWnd::InitRules() {
  if (m_pUserParam == nullptr) return;
  if (auto rule = FindLinkRule<CAppRuleInitParam>(m_pResources, m_pProfile, m_pUserParam, "SYS_INIT")) {
    rule->SetParam(m_pUserParam);
    rule->SetLink(this);
    m_pInitRule = std::move(rule);
  }
  if (auto rule = FindLinkRule<CAppRuleCheckParam>(m_pResources, m_pProfile, m_pUserParam, "SYS_VALID")) {
    rule->SetParam(m_pUserParam);
    rule->SetLink(this);
    m_pCheckRule = std::move(rule);
  }
}

// --- Views and controls ---------------------------------------------------------------

CAppToolsLnk::View* CAppLnkWnd::GetActiveView() {
  const int index = GetActiveIndex();
  if (index < 0 || static_cast<unsigned>(index) >= m_views.size()) return nullptr;
  return m_views[static_cast<unsigned>(index)].get();
}

CAppToolsLnk::View* CAppLnkWnd::GetViewAt(unsigned index) const {
  return index < m_views.size() ? m_views[index].get() : nullptr;
}

CAppToolsLnk::View* CAppLnkWnd::_AddView(QWidget* window) {
  m_views.push_back(std::make_unique<CAppToolsLnk::View>(window));
  return m_views.back().get();
}

QWidget* CAppLnkWnd::_AddCtrl(unsigned id, QWidget* control) {
  APP_CHECK_POINTER(control);
  CAppToolsLnk::View* view = GetActiveView();
  if (view == nullptr || !AppSubclassDlgItem(control, id, view->GetCtrlParent())) {
    delete control;
    APP_THROW("Subclass error");
  }
  view->AddCtrlChild(control);
  return control;
}

QWidget* CAppLnkWnd::_GetDlgItem(unsigned id) {
  CAppToolsLnk::View* view = GetActiveView();
  QWidget* item = view != nullptr ? AppGetDlgItem(view->GetCtrlParent(), id) : nullptr;
  APP_CHECK_POINTER(item);
  return item;
}

void CAppLnkWnd::AddRule(CAppToolsLnk::RuleExchData* exchange, CAppParam* param,
                         const std::string& key) {
  APP_CHECK_POINTER(exchange);
  APP_CHECK_POINTER(param);
  std::unique_ptr<CAppToolsLnk::RuleExchData> owned(exchange);
  CAppParam* bound = param;
  if (!key.empty()) {
    CAppParamGroup* group = param->GetGroup();
    APP_CHECK_POINTER(group);
    bound = group->FindChild(key);
    if (bound == nullptr) {
      CAppLog::DisplayResourceMessage(13682, key.c_str(), group->GetKey().c_str(),
                                      group->GetName().c_str());
      return;
    }
  }
  CAppToolsLnk::View* view = GetActiveView();
  APP_CHECK_POINTER(view);
  owned->SetParam(bound);
  view->AddExchData(owned.release());
}

void CAppLnkWnd::ShowWindow(unsigned id, int show) { _GetDlgItem(id)->setVisible(show != 0); }

void CAppLnkWnd::SetWindowText(unsigned id, const std::string& text) {
  QWidget* item = _GetDlgItem(id);
  const QString value = QString::fromStdString(text);
  // A window's text is the label of the items that have one.
  if (item->metaObject()->indexOfProperty("text") >= 0) {
    item->setProperty("text", value);
  } else {
    item->setWindowTitle(value);
  }
}

void CAppLnkWnd::DisableAllCtrl(int readOnly) {
  CAppToolsLnk::View* view = GetActiveView();
  if (view == nullptr) return;
  for (unsigned i = 0; i < view->GetCtrlChildCount(); ++i) {
    if (QWidget* control = view->GetCtrlChildAt(i)) SetReadOnly(control, readOnly);
  }
}

long CAppLnkWnd::SetReadOnly(QWidget* control, int readOnly) {
  APP_CHECK_POINTER(control);
  return SendAppMessage(control, AppWindowMessage::ReadOnly, readOnly, 0);
}

// --- Lifecycle -------------------------------------------------------------------------

void CAppLnkWnd::AttachDescriptionStatics(CAppToolsLnk::View* view) {
  if (view == nullptr) return;
  QWidget* window = view->GetCtrlParent();
  // A page without the items is no error.
  if (AppGetDlgItem(window, kHelpStaticId) != nullptr) {
    m_pHelpStatic = AddCtrl(kHelpStaticId, new CAppCtrlStatic);
  }
  if (AppGetDlgItem(window, kNameStaticId) != nullptr) {
    m_pNameStatic = AddCtrl(kNameStaticId, new CAppCtrlStatic);
  }
}

int CAppLnkWnd::OnInit() {
  InitRules();
  AttachDescriptionStatics(GetActiveView());
  return OnUserInit();
}

int CAppLnkWnd::OnUserInit() {
  if (m_pInitRule != nullptr) m_pInitRule->InitializePage();
  return 1;
}

void CAppLnkWnd::OnUserActive() {
  if (m_pInitRule != nullptr) m_pInitRule->ActivePage();
}

namespace {

void SendToControls(CAppToolsLnk::View* view, AppWindowMessage message) {
  for (unsigned i = 0; i < view->GetCtrlChildCount(); ++i) {
    if (QWidget* control = view->GetCtrlChildAt(i)) SendAppMessage(control, message, 0, 0);
  }
}

}  // namespace

void CAppLnkWnd::OnActive() {
  ModifyFlags(0, LNK_ACTIVATING);
  // Whatever throws, the flag goes and the controls draw again: a page left
  // activating would ignore every later change, and stay undrawn.
  std::exception_ptr failure;
  try {
    if (CAppToolsLnk::View* view = GetActiveView()) {
      SendToControls(view, AppWindowMessage::CtrlBeginActivate);
      for (unsigned i = 0; i < view->GetExchDataCount(); ++i) view->GetExchDataAt(i)->ParamToCtrl();
    }
    OnUserActive();
  } catch (...) {
    failure = std::current_exception();
  }
  ModifyFlags(LNK_ACTIVATING, 0);
  if (CAppToolsLnk::View* view = GetActiveView()) {
    SendToControls(view, AppWindowMessage::CtrlEndActivate);
  }
  if (failure) std::rethrow_exception(failure);
  EnableHelp(OnClickHelp(0));
}

int CAppLnkWnd::OnChange(unsigned ctrlId) {
  if (IsFlagsEnable(LNK_ACTIVATING)) return 1;
  int result = 0;
  AppGuard([&] { result = OnUserChange(ctrlId); });
  return result;
}

// --- Control signals ------------------------------------------------------------------------
// Each slot runs link code from a Qt signal: nothing may escape to the event
// loop (OnChange guards itself).

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlButton* control) {
  QObject::connect(control, &CAppCtrlButton::clicked, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlCheck* control) {
  QObject::connect(control, &CAppCtrlCheck::clicked, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlCombo* control) {
  QObject::connect(control, &CAppCtrlCombo::Changed, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlEditDump* control) {
  QObject::connect(control, &CAppCtrlEditDump::Changed, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlEditString* control) {
  QObject::connect(control, &CAppCtrlEditString::Changed, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlEditNumeric* control) {
  QObject::connect(control, &CAppCtrlEditNumeric::Changed, control,
                   [this, id](int* answer) { *answer = OnChange(id); });
  QObject::connect(control, &CAppCtrlEditNumeric::ErrorReported, control, [this, id](bool error) {
    try {
      OnUserError(id, error ? 1 : 0);
    } catch (const CAppException&) {
      // A link outside a sheet has no buttons to lock.
    } catch (...) {
      AppReportCurrentException();
    }
  });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlList* control) {
  QObject::connect(control, &CAppCtrlList::Changed, control,
                   [this, id](EN_OPERATION_TYPE, int* answer) { *answer = OnChange(id); });
  QObject::connect(control, &CAppCtrlList::LeaveFocus, control, [this](bool previous) {
    AppGuard([&] { previous ? PrevCtrl() : NextCtrl(); });
  });
}

// The slider reaches OnUserChange directly, as its scroll notifications
// always did.
void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlSlider* control) {
  QObject::connect(control, &CAppCtrlSlider::Changed, control, [this, id] { AppGuard([&] { OnUserChange(id); }); });
}

void CAppLnkWnd::ConnectCtrl(unsigned id, CAppCtrlTree* control) {
  QObject::connect(control, &CAppCtrlTree::Changed, control, [this, id] { OnChange(id); });
}

void CAppLnkWnd::RefreshParams() {
  CAppToolsLnk::View* view = GetActiveView();
  if (view == nullptr || IsFlagsEnable(LNK_READONLY)) return;
  for (unsigned i = 0; i < view->GetExchDataCount(); ++i) view->GetExchDataAt(i)->CtrlToParam();
}

int CAppLnkWnd::OnExit() {
  RefreshParams();
  return OnUserExit() != 0 ? 1 : 0;
}

// --- Description and help ----------------------------------------------------------------

void CAppLnkWnd::SetHelpValue(const std::string& text) {
  if (m_pHelpStatic != nullptr) m_pHelpStatic->SetValue(text);
}

void CAppLnkWnd::SetNameValue(const std::string& text) {
  if (m_pNameStatic != nullptr) m_pNameStatic->SetValue(text);
}

void CAppLnkWnd::SetDescription(CAppParam* param) {
  SetHelpValue(param != nullptr ? param->GetHelp() : std::string());
  SetNameValue(param != nullptr ? param->GetName(m_pResources) : std::string());
}

int CAppLnkWnd::OnClickHelp(int run) {
  CAppParam* entry = m_pProfile != nullptr ? m_pProfile->FindChild("SYS_HELP_CHM") : nullptr;
  if (entry == nullptr) return 0;
  if (run != 0) RunChm(entry->GetName(), entry->GetVariant().ToUInt32());
  return 1;
}

void CAppLnkWnd::RunChm(const std::string& file, unsigned long context) {
  const QString helpFile = AppHelpFilePath(m_pResources != nullptr ? m_pResources->GetHelpPath() : "", file);
  if (!AppOpenHelpPage(AppHelpPagePath(helpFile, context))) {
    CAppTools::MessageBox(CAppTools::Format(CAppTools::LoadString(13691).c_str(),
                                            helpFile.toStdString().c_str()),
                          APP_MB_OK | APP_MB_ICONEXCLAMATION);
  }
}

// --- Parameters inside the link ------------------------------------------------------------

int CAppLnkWnd::IsEditable(CAppParam* param) {
  APP_CHECK_POINTER(param);
  if (m_pResources == nullptr) return 1;
  CAppParamGroup* profile = m_pResources->FindProfileOrNull(param);
  if (profile == nullptr) return 1;
  auto rule = CAppRule::FindRule<CAppRuleParam>(m_pResources, profile, "SYS_EDIT_RULE");
  return rule != nullptr ? rule->Run(param) : 1;
}

int CAppLnkWnd::IsProperties(CAppParam* param) {
  return m_pResources != nullptr && m_pResources->IsProperties(param) ? 1 : 0;
}

namespace {

// Every node of the subtree of `param`, in tree order.
void CollectNodes(CAppParam* param, std::vector<const CAppParam*>& nodes) {
  nodes.push_back(param);
  if (CAppParamGroup* group = param->GetGroup()) {
    for (POSITION pos = group->GetStartPosition(); pos != nullptr;) CollectNodes(group->GetNextPtr(pos), nodes);
  }
}

std::vector<const CAppParam*> NodesBelow(CAppParam* param) {
  std::vector<const CAppParam*> nodes;
  if (param != nullptr) CollectNodes(param, nodes);
  return nodes;
}

// The lists and trees of the other pages of the sheet `window` belongs to
// forget their rows: they may hold nodes that are gone, and a page fills
// them again when it becomes active.
void ForgetOtherPages(QWidget* window) {
  auto* page = qobject_cast<CAppPage*>(window);
  CAppSheet* sheet = page != nullptr ? page->GetSheet() : nullptr;
  if (sheet == nullptr) return;
  for (int i = 0; i < sheet->GetPageCount(); ++i) {
    CAppPage* other = sheet->GetAppPage(i);
    if (other == nullptr || other == page) continue;
    for (CAppCtrlList* list : other->findChildren<CAppCtrlList*>()) list->RemoveAll();
    for (CAppCtrlTree* tree : other->findChildren<CAppCtrlTree*>()) tree->RemoveAll();
  }
}

}  // namespace

int CAppLnkWnd::OnProperties(CAppParam* param, CAppSheet* sheet) {
  APP_CHECK_POINTER(m_pResources);
  if (m_pResources->IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftShift)) {
    m_pResources->OnDebug(param, nullptr);
    return 2;
  }
  if (IsEditable(param) == 0) return 2;
  // A cancel restores the nodes in place; only where a group changed shape
  // are there new ones, and then the rows that showed the old ones go.
  const std::vector<const CAppParam*> before = NodesBelow(param);
  const int result = m_pResources->OnProperties(param, sheet);
  const bool renewed = NodesBelow(param) != before;
  if (renewed) {
    CAppToolsLnk::View* view = GetActiveView();
    ForgetOtherPages(view != nullptr ? view->GetCtrlParent() : nullptr);
  }
  if (result != 2 || renewed) OnActive();
  return result;
}

int CAppLnkWnd::CanShowParam(CAppParam* param, CAppRuleFilter* filter) {
  APP_CHECK_POINTER(param);
  if (param->IsFlagsEnable(PF_HIDDEN)) return 0;
  const std::uint32_t ownViews =
      m_pResources != nullptr ? static_cast<std::uint32_t>(m_pResources->GetFlags()) & kViewBits : 0;
  const std::uint32_t views = static_cast<std::uint32_t>(param->GetFlags()) & kViewBits;
  if ((views & ~ownViews) != 0) return 0;
  if (filter == nullptr) return 1;
  return filter->Find(param, 0) != nullptr ? 1 : 0;
}

void CAppLnkWnd::DefaultNameColumn(std::vector<std::string>& names) {
  names.push_back(CAppTools::LoadString(13511));
  names.push_back(CAppTools::LoadString(13509));
  names.push_back(CAppTools::LoadString(13512));
}

void CAppLnkWnd::DefaultValueColumn(std::vector<std::string>& values, CAppParam* param) {
  APP_CHECK_POINTER(param);
  values.push_back(param->GetName(m_pResources));
  values.push_back(param->IsFlagsEnable(PF_MASKED_VALUE) ? "###" : param->GetFmtValue(m_pResources));
  values.push_back(param->GetUnit(m_pResources));
}
