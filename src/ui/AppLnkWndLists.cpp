// The list and tree services of the link window, which the group links
// (lists, structure, tree, debug window) build on.
#include <cstdlib>

#include "appconfig/AppException.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "appconfig/ui/AppSheet.h"
#include "models/AppParamGroupModel.h"

namespace {

constexpr unsigned kOutOfRangeText = 13510;

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

int IconOf(CAppResources* resources, CAppParam* param) {
  if (resources == nullptr) return -1;
  const char* variant = param->IsFlagsEnable(PF_READONLY) ? "RO" : param->IsFlagsEnable(PF_VIEW_2) ? "EX" : "";
  try {
    return static_cast<int>(resources->GetImageIndex(param, variant));
  } catch (const CAppException&) {
    return -1;  // resources without icons
  }
}

// The in-place text of a numeric cell read in the editor's base, in the
// parameter's type; throws when it is no number of that type.
CAppVariant ReadNumeric(CAppParamNumeric& param, const std::string& text, CAppTools::EN_BASE base) {
  const CAppTools::Type type = param.GetType();
  CAppVariant read;
  bool align = false;
  if (base == CAppTools::BASE_DEC || base == CAppTools::BASE_FLOAT) {
    read = CAppVariant(text);
  } else {
    const std::uint32_t word = CAppTools::StringToDwordThrow(text.c_str(), type.IsSigned(), base);
    read = type.IsSigned() ? CAppVariant(static_cast<std::int32_t>(word)) : CAppVariant(word);
    align = true;
  }
  CAppVariant value;
  value.ChangeTypeThrow(static_cast<std::uint16_t>(type.GetCode()), &read, align);
  return value;
}

double AsDouble(const CAppVariant& value) {
  CAppVariant number;
  if (!CAppVariant::ConvertValue(value, CAppVariant::VT_R8, number)) return 0.0;
  return number.GetDouble();
}

bool IsWithin(CAppParamNumeric& param, const CAppVariant& value) {
  const double number = AsDouble(value);
  const CAppVariant min = param.GetMinValue();
  const CAppVariant max = param.GetMaxValue();
  return (min.IsEmpty() || number >= AsDouble(min)) && (max.IsEmpty() || number <= AsDouble(max));
}

// The check rule of the parameter's own profile ("SYS_VALID"), bound to it.
std::unique_ptr<CAppRuleCheckParam> CheckRuleOf(CAppResources* resources, CAppParam* param, CAppLnkWnd* link) {
  if (resources == nullptr) return nullptr;
  auto rule = CAppRule::FindRule<CAppRuleCheckParam>(resources, resources->FindProfileOrNull(param), "SYS_VALID");
  if (rule != nullptr) {
    rule->SetParam(param);
    rule->SetLink(link);
  }
  return rule;
}

}  // namespace

// --- Lists ------------------------------------------------------------------------------

void CAppLnkWnd::AddColumn(CAppCtrlList* list, CAppRuleMultiColumns* rule) {
  APP_CHECK_POINTER(list);
  std::vector<std::string> titles;
  if (rule != nullptr) {
    rule->AddColumns(titles);
  } else {
    DefaultNameColumn(titles);
  }
  for (const std::string& title : titles) list->AddColumn(title);
}

namespace {

std::vector<std::string> RowTexts(CAppLnkWnd& link, CAppParam* param, CAppRuleMultiColumns* rule) {
  std::vector<std::string> texts;
  if (rule != nullptr) {
    rule->ShowParam(param, texts);
  } else {
    link.DefaultValueColumn(texts, param);
  }
  return texts;
}

}  // namespace

int CAppLnkWnd::AddItem(CAppCtrlList* list, CAppParam* param, CAppRuleMultiColumns* rule) {
  APP_CHECK_POINTER(list);
  APP_CHECK_POINTER(param);
  const std::vector<std::string> texts = RowTexts(*this, param, rule);
  const int row = list->AddParamItem(param, texts.empty() ? std::string() : texts[0],
                                     IconOf(m_pResources, param));
  for (std::size_t column = 1; column < texts.size(); ++column) {
    list->SetText(texts[column], row, static_cast<int>(column));
  }
  return row;
}

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
  list->RemoveAll();
  auto filter = FilterOf(filterKey);
  // One insertion for all rows: a group of many children fills at once.
  std::vector<std::vector<QString>> rows;
  std::vector<quintptr> data;
  std::vector<int> images;
  rows.reserve(group->GetCount());
  for (POSITION pos = group->GetStartPosition(); pos != nullptr;) {
    CAppParam* child = group->GetNextPtr(pos);
    APP_CHECK_POINTER(child);
    if (CanShowParam(child, filter.get()) == 0) continue;
    std::vector<QString> texts;
    for (const std::string& text : RowTexts(*this, child, rule)) texts.push_back(QString::fromStdString(text));
    rows.push_back(std::move(texts));
    data.push_back(reinterpret_cast<quintptr>(child));
    images.push_back(IconOf(m_pResources, child));
  }
  list->AppendItems(rows, data, images);
}

// --- In-place editing ------------------------------------------------------------------

namespace {

// The parameter of the list's in-place cell, and whether that cell is the
// one edited in place; null when it is not.
CAppParam* InPlaceParam(CAppLnkWnd& link, CAppCtrlList* list, CAppRuleMultiColumns* rule) {
  CAppParam* row = link.GetParam(list, list->GetInPlaceRow());
  if (row == nullptr) return nullptr;
  CAppParam* param = row;
  CAppParam* custom = nullptr;
  if (link.GetCustomInPlaceParam(row, custom) != 0 && custom != nullptr) param = custom;
  if (rule != nullptr) {
    // The rule names the parameter of each column; its value column is any
    // column it gives a parameter for.
    return rule->GetParamToEdit(param, list->GetInPlaceColumn());
  }
  return list->GetInPlaceColumn() == link.GetInPlaceColumn() ? param : nullptr;
}

std::string FormatOf(const CAppParamAddress& address) {
  std::string format;
  address.GetFormat(format);
  return format;
}

int ShowEditor(CAppCtrlList* list, CAppParam* param, CAppResources* resources) {
  if (auto* numeric = AppDynamicCast<CAppParamNumeric>(param)) {
    return list->ShowEditNumeric(numeric->GetVariant(), numeric->GetBase(resources),
                                 static_cast<int>(numeric->GetAllowedBases(resources))) != nullptr;
  }
  if (auto* single = AppDynamicCast<CAppParamEnumSingle>(param)) {
    std::vector<std::string> texts;
    for (unsigned i = 0; i < single->GetCount(); ++i) {
      std::uint32_t value = 0;
      std::string text;
      single->GetEntry(i, value, text);
      texts.push_back(text);
    }
    return list->ShowCombo(texts, static_cast<int>(single->GetCurrentIndex())) != nullptr;
  }
  if (auto* address = AppDynamicCast<CAppParamAddress>(param)) {
    std::vector<std::uint8_t> bytes;
    address->GetData(bytes);
    std::string separator;
    address->GetSeparator(separator);
    return list->ShowAddressEdit(bytes, static_cast<unsigned>(address->GetPartNumber()),
                                 separator.empty() ? '.' : separator[0], FormatOf(*address),
                                 static_cast<unsigned>(address->GetMax())) != nullptr;
  }
  if (auto* value = AppDynamicCast<CAppParamValue>(param)) {
    return list->ShowEditString(value->GetTextLimit()) != nullptr;
  }
  return 0;
}

}  // namespace

int CAppLnkWnd::BeginEditInPlace(CAppCtrlList* list, CAppRuleMultiColumns* rule, CAppParam** edited) {
  APP_CHECK_POINTER(list);
  if (edited != nullptr) *edited = nullptr;
  if (IsFlagsEnable(LNK_READONLY)) return 0;
  CAppParam* param = InPlaceParam(*this, list, rule);
  if (param == nullptr || IsEditable(param) == 0 || param->IsFlagsEnable(PF_READONLY)) return 0;
  // Only the exact parameter classes get an editor (a structure is no array
  // to type into).
  const unsigned kind = CAppDynamic::GetClassIndex(param);
  if (kind != 3 && kind != 4 && kind != 5 && kind != 11) return 0;
  if (ShowEditor(list, param, m_pResources) == 0) return 0;
  if (edited != nullptr) *edited = param;
  return 1;
}

namespace {

void ShowRowTexts(CAppLnkWnd& link, CAppCtrlList* list, CAppRuleMultiColumns* rule) {
  const int row = list->GetInPlaceRow();
  CAppParam* param = link.GetParam(list, row);
  if (param == nullptr) return;
  const std::vector<std::string> texts = RowTexts(link, param, rule);
  for (std::size_t column = 0; column < texts.size(); ++column) {
    list->SetText(texts[column], row, static_cast<int>(column));
  }
}

}  // namespace

int CAppLnkWnd::EndEditInPlace(CAppCtrlList* list, CAppRuleMultiColumns* rule) {
  APP_CHECK_POINTER(list);
  CAppParam* param = InPlaceParam(*this, list, rule);
  if (param == nullptr || IsFlagsEnable(LNK_READONLY)) return 0;
  std::unique_ptr<CAppRuleCheckParam> check = CheckRuleOf(m_pResources, param, this);
  const std::string text = list->GetInPlaceValue();
  const unsigned kind = CAppDynamic::GetClassIndex(param);
  if (auto* numeric = AppDynamicCast<CAppParamNumeric>(param); numeric != nullptr && kind == 3) {
    CAppVariant value = ReadNumeric(*numeric, text, list->GetInPlaceBase());
    if (check != nullptr && check->IsValueValid(value) == 0) return 0;
    if (!IsWithin(*numeric, value)) {
      CAppTools::MessageBox(CAppTools::Format(CAppTools::LoadString(kOutOfRangeText).c_str(),
                                              numeric->GetMinValue().ToString().c_str(),
                                              numeric->GetMaxValue().ToString().c_str()),
                            APP_MB_OK | APP_MB_ICONEXCLAMATION);
      return 0;
    }
    numeric->SetVariant(value);
    numeric->SetBase(list->GetInPlaceBase(), m_pResources);
  } else if (auto* single = AppDynamicCast<CAppParamEnumSingle>(param); single != nullptr && kind == 5) {
    for (unsigned i = 0; i < single->GetCount(); ++i) {
      std::uint32_t entryValue = 0;
      std::string entryText;
      single->GetEntry(i, entryValue, entryText);
      if (entryText != text) continue;
      CAppVariant value(entryValue);
      if (check != nullptr && check->IsValueValid(value) == 0) return 0;
      single->SetVariant(value);
      break;
    }
  } else if (auto* address = AppDynamicCast<CAppParamAddress>(param); address != nullptr && kind == 11) {
    std::vector<std::uint8_t> bytes = list->GetInPlaceArray();
    if (check != nullptr && check->IsDataValid(bytes) == 0) return 0;
    address->SetData(bytes);
  } else if (kind == 4) {
    CAppVariant value(text);
    if (check != nullptr && check->IsValueValid(value) == 0) return 0;
    param->SetVariant(value);
  } else {
    return 0;
  }
  ShowRowTexts(*this, list, rule);
  return 1;
}

int CAppLnkWnd::OnListChange(unsigned ctrlId, CAppRuleMultiColumns* rule) {
  try {
    CAppCtrlList* list = nullptr;
    GetCtrl(ctrlId, list);
    switch (list->GetOnChangeType()) {
      case OPERATION_SELECT: SetDescription(GetParam(list, list->GetCurrentItem())); return 1;
      case OPERATION_BEGIN_EDIT: {
        CAppParam* edited = nullptr;
        const int result = BeginEditInPlace(list, rule, &edited);
        if (result != 0 && edited != nullptr) SetDescription(edited);
        return result;
      }
      case OPERATION_END_EDIT: return EndEditInPlace(list, rule);
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
