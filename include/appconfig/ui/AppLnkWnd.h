// The link window: binds one edited parameter (the user parameter), its
// profile in the resources and the controls of one or more pages (views).
//
// A link owns its views, every control attached with AddCtrl and every
// exchange bound with AddRule, and the rules InitRules creates. The pages
// and dialogs drive its lifecycle: OnInit once per page, OnActive each time
// a page becomes current, OnChange from the controls, OnExit when a page is
// left or the sheet is closed with OK, OnCancel on cancel. Concrete links
// derive from CAppLnkSheet and fill in the OnUser... hooks.
//
// Controls are widgets; "CWnd" of the original design reads QWidget here.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlOperation.h"
#include "appconfig/ui/AppCtrlStatic.h"
#include "appconfig/ui/AppToolsLnk.h"

class CAppCtrlButton;
class CAppCtrlCheck;
class CAppCtrlCombo;
class CAppCtrlEditDump;
class CAppCtrlEditNumeric;
class CAppCtrlEditString;
class CAppCtrlList;
class CAppCtrlSlider;
class CAppCtrlTree;
class CAppParam;
class CAppParamGroup;
class CAppResources;
class CAppRuleCheckParam;
class CAppRuleFilter;
class CAppRuleInitParam;
class CAppRuleMultiColumns;
class CAppSheet;
class QModelIndex;

class CAppLnkWnd : public CAppObject {
  APP_DECLARE_DYNCREATE(CAppLnkWnd)

public:
  // Link flags.
  enum : unsigned {
    LNK_READONLY = 1,    // values are not copied back from the controls
    LNK_ACTIVATING = 2,  // change notifications are ignored
  };
  // What the list, tree and hex dump controls last notified.
  using EN_OPERATION_TYPE = AppCtrlOperation::EN_OPERATION_TYPE;
  using enum AppCtrlOperation::EN_OPERATION_TYPE;

  CAppLnkWnd();
  ~CAppLnkWnd() override;
  CAppLnkWnd(const CAppLnkWnd&) = delete;
  CAppLnkWnd& operator=(const CAppLnkWnd&) = delete;

  // --- Hooks for derived links, in slot order ------------------------------
  virtual void OnUserCreate() {}
  // The base runs the init rule's InitializePage; TRUE.
  virtual int OnUserInit();
  // The base runs the init rule's ActivePage.
  virtual void OnUserActive();
  virtual int OnUserExit() { return 1; }
  virtual int OnUserChange(unsigned /*ctrlId*/) { return 1; }
  virtual void EndDialog(int /*result*/) {}
  // A row (a node) of the link's list or tree starts to move, has moved, or
  // is to be deleted: for a host's own drag and drop and delete commands.
  // The library's own controls do not call them.
  virtual void OnUserBeginMove(CAppParam* /*param*/) {}
  virtual void OnUserEndMove(CAppParam* /*param*/) {}
  virtual void OnUserDelete(CAppParam* /*param*/) {}
  virtual std::string OnUserToolTips(unsigned /*ctrlId*/) { return std::string(); }
  virtual std::string OnUserGetNodeName(CAppParam* /*param*/) { return std::string(); }
  virtual int OnUserGetNodeIcon(CAppParam* /*param*/) { return 0; }
  virtual void EnableHelp(int /*enable*/) {}
  // Refuse null with "Bad pointer".
  virtual void SetUserParam(CAppParam* param);
  virtual CAppParam* GetUserParam() { return m_pUserParam; }
  virtual void SetResources(CAppResources* resources);
  // A derived link may edit another parameter than the row's in place:
  // TRUE with `param` set to it.
  virtual int GetCustomInPlaceParam(CAppParam* /*row*/, CAppParam*& /*param*/) { return 0; }
  virtual void OnCancel() {}
  // The init ("SYS_INIT") and check ("SYS_VALID") rules from the profile,
  // else from the user parameter's profile.
  virtual void InitRules();
  // The properties of a parameter shown inside the link (a list row, say):
  // the debug sheet with PF_DEBUG and Shift (2), 2 when the parameter is not
  // editable, else the resources' answer. The page shows the new values
  // after OK, Next or Previous, and after any sheet that left new nodes
  // below the parameter (a cancel where a group changed shape); the lists
  // and trees of the sheet's other pages then empty until they show again.
  virtual int OnProperties(CAppParam* param, CAppSheet* sheet);
  virtual int IsProperties(CAppParam* param);
  virtual int CanShowParam(CAppParam* param, CAppRuleFilter* filter);
  virtual void OnUserError(unsigned /*ctrlId*/, int /*error*/) {}
  virtual void NextCtrl() {}
  virtual void PrevCtrl() {}
  virtual void OnUserTimer() {}
  // The view of the active index, else null.
  virtual CAppToolsLnk::View* GetActiveView();
  // A new page from dialog template `templateId`; its view index.
  virtual unsigned AddView(unsigned /*templateId*/, const std::string& /*title*/) { return 0; }
  virtual void SetLinkIndex(unsigned index) { m_nLinkIndex = index; }
  virtual unsigned GetLinkIndex() { return m_nLinkIndex; }
  virtual int GetInPlaceColumn() { return 1; }
  // Column titles "Nom", "Valeur", "Unité".
  virtual void DefaultNameColumn(std::vector<std::string>& names);
  // The parameter's name, value ("###" when masked) and unit.
  virtual void DefaultValueColumn(std::vector<std::string>& values, CAppParam* param);
  virtual int GetActiveIndex() { return 0; }

  // --- Set-up ----------------------------------------------------------------
  void SetProfile(CAppParamGroup* profile);
  CAppParamGroup* GetProfile() const { return m_pProfile; }
  CAppResources* GetResources() const { return m_pResources; }
  bool IsFlagsEnable(unsigned mask) const { return (m_nFlags & mask) != 0; }
  void ModifyFlags(unsigned remove, unsigned add) { m_nFlags = (m_nFlags & ~remove) | add; }

  // --- Building a view --------------------------------------------------------
  // Wraps a window in a new view, appended to the views.
  CAppToolsLnk::View* _AddView(QWidget* window);
  // Attaches `control` to dialog item `id` of the active view's window and
  // registers it with the view, which owns it from then on; its signals
  // reach this link (ConnectCtrl). A null control throws "Bad pointer"; a
  // failed attach deletes the control and throws "Subclass error".
  template <class T>
  T* AddCtrl(unsigned id, T* control) {
    APP_CHECK_POINTER(control);
    ConnectCtrl(id, control);
    return static_cast<T*>(_AddCtrl(id, control));
  }
  // Routes the user actions a control signals to OnChange(id) (the slider's
  // to OnUserChange, the numeric edit's errors to OnUserError, the list's
  // focus moves to PrevCtrl and NextCtrl). AddCtrl calls it; a control
  // placed by hand may be connected the same way. A control without
  // signals of its own (a static, the address editor) needs nothing.
  void ConnectCtrl(unsigned /*id*/, QWidget* /*control*/) {}
  void ConnectCtrl(unsigned id, CAppCtrlButton* control);
  void ConnectCtrl(unsigned id, CAppCtrlCheck* control);
  void ConnectCtrl(unsigned id, CAppCtrlCombo* control);
  void ConnectCtrl(unsigned id, CAppCtrlEditDump* control);
  void ConnectCtrl(unsigned id, CAppCtrlEditNumeric* control);
  void ConnectCtrl(unsigned id, CAppCtrlEditString* control);
  void ConnectCtrl(unsigned id, CAppCtrlList* control);
  void ConnectCtrl(unsigned id, CAppCtrlSlider* control);
  void ConnectCtrl(unsigned id, CAppCtrlTree* control);
  QWidget* _AddCtrl(unsigned id, QWidget* control);
  // The control attached as a T to dialog item `id`: "Bad pointer" without
  // such an item, "GetCtrl Given ptr not corresponding with Ctrl or not add
  // with AddCtrl" when the item is no T.
  template <class T>
  T* GetCtrl(unsigned id, T*& control) {
    control = dynamic_cast<T*>(_GetDlgItem(id));
    if (control == nullptr) {
      APP_THROW("GetCtrl Given ptr not corresponding with Ctrl or not add with AddCtrl");
    }
    return control;
  }
  // Binds `exchange` to `param` (or, with a key, to that child of the
  // parameter's group) and registers it with the active view, which owns it.
  // A key that names no child is reported (13682) and the exchange is
  // dropped.
  void AddRule(CAppToolsLnk::RuleExchData* exchange, CAppParam* param, const std::string& key);
  // On dialog item `id` of the active view's window; "Bad pointer" without it.
  void ShowWindow(unsigned id, int show);
  void SetWindowText(unsigned id, const std::string& text);
  // Sends "wmReadOnly" to every control of the active view.
  void DisableAllCtrl(int readOnly);
  // Sends "wmReadOnly" (wParam the switch, lParam 0); null throws "Bad pointer".
  static long SetReadOnly(QWidget* control, int readOnly);

  // --- Lifecycle entry points (pages and dialogs) ----------------------------
  int OnInit();
  void OnActive();
  // From the controls: TRUE while activating, else OnUserChange; FALSE when
  // anything throws.
  int OnChange(unsigned ctrlId);
  int OnExit();
  void RefreshParams();
  // Whether the profile has help ("SYS_HELP_CHM"); with `run`, shows it.
  int OnClickHelp(int run);

  // --- Description fields ------------------------------------------------------
  // The name and help statics show the parameter's name and help (empty
  // without a parameter).
  void SetDescription(CAppParam* param);
  void SetHelpValue(const std::string& text);
  void SetNameValue(const std::string& text);

  // --- Help and editing ----------------------------------------------------------
  // Opens page `context` of help file `file` below the resources' help path;
  // a file that cannot be opened is reported in a message box (13691).
  void RunChm(const std::string& file, unsigned long context);
  // The parameter's "SYS_EDIT_RULE" decides; editable without one.
  int IsEditable(CAppParam* param);

  // --- List and tree services for derived links --------------------------------
  // The row's (node's) parameter; none for row -1 or a null node.
  CAppParam* GetParam(CAppCtrlList* list, int item);
  CAppParam* GetParam(CAppCtrlTree* tree, const QModelIndex& item);
  // Shows `group` in the list: a row for each child that CanShowParam
  // accepts through the filter rule `filterKey` (empty: "SYS_FILTER_0"),
  // its texts from the rule, else DefaultValueColumn; values edit in place.
  void SetValue(CAppCtrlList* list, CAppParamGroup* group, CAppRuleMultiColumns* rule,
                const std::string& filterKey);
  // Shows `group` in the tree: the group a top node, below a node its
  // children that CanShowParam accepts through the filter rule `filterKey`
  // (as for a list), sub-groups down to the tree's maximum level. A node
  // gets its children when first expanded; a small tree shows expanded.
  void SetValue(CAppCtrlTree* tree, CAppParamGroup* group, const std::string& filterKey);
  // The flat display: one top node `text` holding every parameter below
  // `group` that is not a group, whatever its depth; `flatGroup` is the
  // node's parameter.
  void SetValue(CAppCtrlTree* tree, CAppParamGroup* group, CAppParamGroup* flatGroup,
                const std::string& filterKey, const std::string& text);
  // The selection (its description shown) and the start of an in-place
  // edit (the edited parameter's description shown) of list `ctrlId`;
  // FALSE when anything throws.
  int OnListChange(unsigned ctrlId, CAppRuleMultiColumns* rule);
  // The properties of the selected row, then of the next or previous rows
  // as the sheet's Next and Previous buttons ask. The last sheet result.
  int OnListProperties(CAppCtrlList* list);
  // The same for the nodes of a tree, in display order.
  int OnTreeProperties(CAppCtrlTree* tree);

  CAppRuleInitParam* GetInitRule() const { return m_pInitRule.get(); }
  CAppRuleCheckParam* GetCheckRule() const { return m_pCheckRule.get(); }
  unsigned GetViewCount() const { return static_cast<unsigned>(m_views.size()); }
  CAppToolsLnk::View* GetViewAt(unsigned index) const;

  static void _ResourcesInit(CAppResources* resources);

protected:
  // Dialog item `id` of the active view's window; "Bad pointer" without it.
  QWidget* _GetDlgItem(unsigned id);

private:
  void AttachDescriptionStatics(CAppToolsLnk::View* view);
  // The filter rule `filterKey` (empty: "SYS_FILTER_0") of the link's
  // profile, else of the user parameter's.
  std::unique_ptr<CAppRuleFilter> FilterOf(const std::string& filterKey);

  std::unique_ptr<CAppRuleCheckParam> m_pCheckRule;
  std::unique_ptr<CAppRuleInitParam> m_pInitRule;
  std::vector<std::unique_ptr<CAppToolsLnk::View>> m_views;
  CAppParamGroup* m_pProfile = nullptr;
  CAppResources* m_pResources = nullptr;
  CAppParam* m_pUserParam = nullptr;
  unsigned m_nFlags = 0;
  // Those of the page initialised last; owned by its view.
  QPointer<CAppCtrlStatic> m_pHelpStatic;
  QPointer<CAppCtrlStatic> m_pNameStatic;
  unsigned m_nLinkIndex = 0;
};
