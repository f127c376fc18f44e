#include "appconfig/AppRuleMultiColumns.h"

#include "AppRuleThrow.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppTools.h"

APP_IMPLEMENT_RULE(CAppRuleMultiColumnsGroup, CAppRuleMultiColumns)

namespace {

// Installed by the windowing layer; none in a build without windows.
CAppRuleMultiColumnsGroup::PFN_PROPERTIES g_pfnProperties = nullptr;

constexpr int kDialogCancel = 2;

}  // namespace

void CAppRuleMultiColumnsGroup::SetPropertiesHandler(PFN_PROPERTIES handler) {
  g_pfnProperties = handler;
}

CAppRuleMultiColumnsGroup::PFN_PROPERTIES CAppRuleMultiColumnsGroup::GetPropertiesHandler() {
  return g_pfnProperties;
}

void CAppRuleMultiColumnsGroup::AddColumns(std::vector<std::string>& titles) {
  titles.clear();
  CAppParamListKey& list = GetList();
  const unsigned count = list.GetCount();
  if (count < 2 || (count - 2) % 2 != 0) APP_RULE_THROW("Bad Count of Element");
  const unsigned columns = (count - 2) / 2;
  m_strTemplateKey = list.GetAt(0u);
  m_strRootKey = list.GetAt(1u);
  m_columnKeys.clear();
  for (unsigned i = 0; i < columns; ++i) {
    m_columnKeys.push_back(list.GetAt(2 + i));
    titles.push_back(list.GetAt(2 + columns + i));
  }
}

void CAppRuleMultiColumnsGroup::ShowParam(CAppParam* row, std::vector<std::string>& texts) {
  APP_RULE_CHECK_POINTER(row);
  texts.clear();
  CAppParamGroup* group = row->GetGroup();
  for (const std::string& key : m_columnKeys) {
    if (group == nullptr) {
      texts.emplace_back();
    } else if (CAppParam* cell = group->FindChild(key)) {
      texts.push_back(cell->GetFmtValue(GetResources()));
    } else {
      texts.emplace_back("-");
    }
  }
}

CAppParam* CAppRuleMultiColumnsGroup::GetParamToEdit(CAppParam* row, int column) {
  CAppParamGroup* group = row != nullptr ? row->GetGroup() : nullptr;
  if (group == nullptr || column < 0 || static_cast<std::size_t>(column) >= m_columnKeys.size()) {
    return nullptr;
  }
  return group->FindChild(m_columnKeys[static_cast<std::size_t>(column)]);
}

int CAppRuleMultiColumnsGroup::AddParam(CAppParam* param, int perform) {
  CAppParamGroup* group = param != nullptr ? param->GetGroup() : nullptr;
  if (group == nullptr) return 0;
  if (perform == 0) return 1;
  // An empty key is no template (and would be a soft error of the lookup).
  if (m_strTemplateKey.empty()) return 0;
  CAppParamGroup* templateRow = nullptr;
  if (!group->GetAt(m_strTemplateKey, templateRow)) return 0;

  CAppParam* row = nullptr;
  CAppStreamBin::CloneRecord(CAppParamGroup::ADD_BY_KEY).GetClone(row, templateRow);
  if (row == nullptr) return 0;
  // The group takes the row over, and destroys it should the add throw; a
  // root key it cannot take (empty) leaves the row with us.
  group->_SetAt(m_strRootKey, row, CAppParamGroup::ADD_AUTO_INDEX);
  CAppParamGroup* owner = row->GetParent();
  if (owner == nullptr) {
    delete row;
    return 0;
  }
  row->SetName(CAppTools::Format("%s %u", row->GetName().c_str(), owner->GetAutoIndex()));

  if (g_pfnProperties != nullptr && g_pfnProperties(GetResources(), row) == kDialogCancel) {
    owner->RemoveParam(row->GetKey());
    return 0;
  }
  return 1;
}

namespace {

// The common shape of remove and move: allowed for any row, done by the
// row's own group.
template <class Operation>
int OnRow(CAppParam* row, int perform, Operation operation) {
  if (row == nullptr) return 0;
  if (perform == 0) return 1;
  CAppParamGroup* parent = row->GetParent();
  // The group must find the row itself under its key: a key changed since,
  // or one with a "\\" that a path lookup would follow, names another node.
  if (parent == nullptr || row->GetKey().find('\\') != std::string::npos || parent->FindChild(row->GetKey()) != row) {
    return 0;
  }
  operation(*parent, row->GetKey());
  return 1;
}

}  // namespace

int CAppRuleMultiColumnsGroup::RemoveParam(CAppParam* row, int perform) {
  return OnRow(row, perform,
               [](CAppParamGroup& group, const std::string& key) { group.RemoveParam(key); });
}

int CAppRuleMultiColumnsGroup::MoveUpParam(CAppParam* row, int perform) {
  return OnRow(row, perform,
               [](CAppParamGroup& group, const std::string& key) { group.MoveUp(key); });
}

int CAppRuleMultiColumnsGroup::MoveDownParam(CAppParam* row, int perform) {
  return OnRow(row, perform,
               [](CAppParamGroup& group, const std::string& key) { group.MoveDown(key); });
}

void CAppRuleMultiColumnsGroup::GetRootName(std::string& name) {
  CAppParamListKey& list = GetList();
  name = list.GetCount() > 1 ? list.GetAt(1u) : std::string();
}
