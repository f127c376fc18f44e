// The list and tree services of the link window, which the group links
// (lists, structure, tree, debug window) build on.
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "appconfig/ui/AppSheet.h"
#include "models/AppParamGroupModel.h"

namespace {

// The rule `key` of the link's profile, else of the edited parameter's.
template <class Rule>
std::unique_ptr<Rule> FindRuleOfLink(CAppResources* resources, CAppParamGroup* profile, CAppParam* param,
                                     const std::string& key) {
  std::unique_ptr<Rule> rule = CAppRule::FindRule<Rule>(resources, profile, key);
  if (rule == nullptr && resources != nullptr && param != nullptr) {
    rule = CAppRule::FindRule<Rule>(resources, resources->FindProfileOrNull(param), key);
  }
  return rule;
}

}  // namespace

// --- Lists ------------------------------------------------------------------------------

CAppParam* CAppLnkWnd::GetParam(CAppCtrlList* list, int item) {
  APP_CHECK_POINTER(list);
  if (item < 0 || item >= list->GetCount()) return nullptr;
  return list->GetParam(item);
}

CAppParam* CAppLnkWnd::GetParam(CAppCtrlTree* tree, const QModelIndex& item) {
  APP_CHECK_POINTER(tree);
  return tree->GetParam(item);
}

std::unique_ptr<CAppRuleFilter> CAppLnkWnd::FilterOf(const std::string& filterKey) {
  return FindRuleOfLink<CAppRuleFilter>(m_pResources, m_pProfile, m_pUserParam,
                                        filterKey.empty() ? "SYS_FILTER_0" : filterKey);
}

void CAppLnkWnd::SetValue(CAppCtrlList* list, CAppParamGroup* group, CAppRuleMultiColumns* rule,
                          const std::string& filterKey) {
  APP_CHECK_POINTER(list);
  APP_CHECK_POINTER(group);
  list->SetGroupModel(new CAppParamGroupModel(*this, *group, CAppParamGroupModel::MODE_LIST, rule, FilterOf(filterKey)));
}

int CAppLnkWnd::OnListChange(unsigned ctrlId, CAppRuleMultiColumns* /*rule*/) {
  try {
    CAppCtrlList* list = nullptr;
    GetCtrl(ctrlId, list);
    switch (list->GetOnChangeType()) {
      case OPERATION_SELECT: SetDescription(GetParam(list, list->GetCurrentItem())); return 1;
      case OPERATION_BEGIN_EDIT: {
        CAppParamGroupModel* model = list->GetGroupModel();
        if (model == nullptr) return 0;
        SetDescription(model->EditedParam(model->index(list->GetInPlaceRow(), list->GetInPlaceColumn())));
        return 1;
      }
      default: return 1;
    }
  } catch (...) {
    return 0;
  }
}

// --- Properties of rows and nodes ----------------------------------------------------------

namespace {

// Walks items (rows or nodes) with the sheet's Previous and Next: `paramAt`
// gives an item's parameter (null past the ends), `select` shows an item,
// `find` gives the item of a parameter again once a sheet closed (the link
// may have filled its list or tree anew).
template <class Item, class ParamAt, class Select, class Neighbour, class Find>
int WalkProperties(CAppLnkWnd& link, Item start, ParamAt paramAt, Select select, Neighbour neighbour, Find find) {
  // The row's sheet belongs to the window of the page that opened it.
  CAppToolsLnk::View* view = link.GetActiveView();
  QWidget* owner = view != nullptr && view->GetCtrlParent() != nullptr ? view->GetCtrlParent()->window() : nullptr;
  CAppSheet sheet(0, owner);
  sheet.SetReadOnly(link.IsFlagsEnable(CAppLnkWnd::LNK_READONLY) ? 1 : 0);
  int result = 2;
  Item item = start;
  for (;;) {
    CAppParam* param = paramAt(item);
    if (param == nullptr) break;
    select(item);
    CAppParam* next = paramAt(neighbour(item, true));
    CAppParam* previous = paramAt(neighbour(item, false));
    sheet.EnableNext(next != nullptr && link.IsProperties(next) ? 1 : 0);
    sheet.EnablePrevious(previous != nullptr && link.IsProperties(previous) ? 1 : 0);
    result = link.OnProperties(param, &sheet);
    if (result != CAppSheet::RESULT_NEXT && result != CAppSheet::RESULT_PREVIOUS) break;
    item = find(param);
    if (paramAt(item) == nullptr) break;
    item = neighbour(item, result == CAppSheet::RESULT_NEXT);
  }
  return result;
}

}  // namespace

int CAppLnkWnd::OnListProperties(CAppCtrlList* list) {
  APP_CHECK_POINTER(list);
  return WalkProperties(
      *this, list->GetCurrentItem(), [&](int row) { return GetParam(list, row); },
      [&](int row) { list->SetCurrentItem(static_cast<unsigned>(row)); },
      [&](int row, bool forward) { return forward ? list->GetNextItem(row) : list->GetPreviousItem(row); },
      [&](CAppParam* param) {
        for (int row = 0; row < list->GetCount(); ++row) {
          if (GetParam(list, row) == param) return row;
        }
        return -1;
      });
}

int CAppLnkWnd::OnTreeProperties(CAppCtrlTree* tree) {
  APP_CHECK_POINTER(tree);
  return WalkProperties(
      *this, tree->GetSelectedItem(), [&](const QModelIndex& item) { return GetParam(tree, item); },
      [&](const QModelIndex& item) { tree->SelectItem(item); },
      [&](const QModelIndex& item, bool forward) { return forward ? tree->indexBelow(item) : tree->indexAbove(item); },
      [&](CAppParam* param) { return tree->FindItem(param); });
}

// --- Trees --------------------------------------------------------------------------------------

void CAppLnkWnd::SetValue(CAppCtrlTree* tree, CAppParamGroup* group, const std::string& filterKey) {
  APP_CHECK_POINTER(tree);
  APP_CHECK_POINTER(group);
  auto* model = new CAppParamGroupModel(*this, *group, CAppParamGroupModel::MODE_TREE, nullptr, FilterOf(filterKey));
  model->SetMaxLevel(tree->GetMaxLevel());
  tree->SetGroupModel(model);
}

void CAppLnkWnd::SetValue(CAppCtrlTree* tree, CAppParamGroup* group, CAppParamGroup* flatGroup,
                          const std::string& filterKey, const std::string& text) {
  APP_CHECK_POINTER(tree);
  APP_CHECK_POINTER(group);
  auto* model = new CAppParamGroupModel(*this, *group, CAppParamGroupModel::MODE_FLAT, nullptr, FilterOf(filterKey));
  model->SetFlatTop(flatGroup != nullptr ? flatGroup : group, text);
  tree->SetGroupModel(model);
}
