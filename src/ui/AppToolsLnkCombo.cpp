// The combo box exchanges: numbers, enumeration entries and unused numbers.
#include "appconfig/ui/AppToolsLnkExch.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlCombo.h"

namespace {

std::uint32_t NumberOf(const CAppVariant& value) { return value.ToUInt32(); }

void StoreNumber(CAppParam* param, std::uint32_t number) { param->SetVariant(CAppVariant(number)); }

template <class T>
T* CheckedParam(CAppParam* param) {
  T* typed = AppDynamicCast<T>(param);
  APP_CHECK_POINTER(typed);
  return typed;
}

// The selected item's index, or -1.
int SelectedIndex(const CAppCtrlCombo* combo) { return combo->currentIndex(); }

}  // namespace

// --- Numbers ---------------------------------------------------------------------------------

CAppToolsLnk::ComboExchNumeric::ComboExchNumeric(CAppCtrlCombo* control) : m_pCtrl(control) {
  APP_CHECK_POINTER(control);
}

void CAppToolsLnk::ComboExchNumeric::SetParam(CAppParam* param) {
  m_pParam = CheckedParam<CAppParamNumeric>(param);
}

int CAppToolsLnk::ComboExchNumeric::ParamToCtrl() {
  APP_CHECK_POINTER(m_pParam);
  m_pCtrl->RemoveAll();
  const std::uint32_t minimum = NumberOf(m_pParam->GetMinValue());
  const std::uint32_t maximum = NumberOf(m_pParam->GetMaxValue());
  for (std::uint32_t number = minimum; number < maximum; ++number) {
    m_pCtrl->AddItem(number, CAppTools::Format("%03u", number));
  }
  m_pCtrl->SetCurrentItem(static_cast<int>(NumberOf(m_pParam->GetVariant())));
  return 1;
}

int CAppToolsLnk::ComboExchNumeric::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  const int selected = SelectedIndex(m_pCtrl);
  if (selected >= 0) StoreNumber(m_pParam, static_cast<std::uint32_t>(selected));
  return 1;
}

// --- Enumeration entries -----------------------------------------------------------------------

CAppToolsLnk::ComboExchEnumSingle::ComboExchEnumSingle(CAppCtrlCombo* control) : m_pCtrl(control) {
  APP_CHECK_POINTER(control);
}

void CAppToolsLnk::ComboExchEnumSingle::SetParam(CAppParam* param) {
  m_pParam = CheckedParam<CAppParamEnumSingle>(param);
}

int CAppToolsLnk::ComboExchEnumSingle::ParamToCtrl() {
  APP_CHECK_POINTER(m_pParam);
  m_pCtrl->RemoveAll();
  for (unsigned index = 0; index < m_pParam->GetCount(); ++index) {
    std::uint32_t value = 0;
    std::string text;
    m_pParam->GetEntry(index, value, text);
    m_pCtrl->AddItem(value, text);
  }
  // The enumeration holds entry values, which need not run 0, 1, 2 ...
  const std::uint32_t current = NumberOf(m_pParam->GetVariant());
  for (int item = 0; item < m_pCtrl->count(); ++item) {
    if (m_pCtrl->GetValue(item) == current) m_pCtrl->SetCurrentItem(item);
  }
  return 1;
}

int CAppToolsLnk::ComboExchEnumSingle::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  const int selected = SelectedIndex(m_pCtrl);
  if (selected >= 0) StoreNumber(m_pParam, static_cast<std::uint32_t>(m_pCtrl->GetValue(selected)));
  return 1;
}

// --- Unused numbers ----------------------------------------------------------------------------------

CAppToolsLnk::ComboExchUniqueNum::ComboExchUniqueNum(CAppCtrlCombo* control) : m_pCtrl(control) {
  APP_CHECK_POINTER(control);
}

void CAppToolsLnk::ComboExchUniqueNum::SetParam(CAppParam* param) {
  m_pParam = AppDynamicCast<CAppParamNumeric>(param);
}

int CAppToolsLnk::ComboExchUniqueNum::GetValues(std::vector<std::uint8_t>& used) {
  if (m_pParam == nullptr || m_pParam->GetParent() == nullptr) return 0;
  CAppParamGroup* records = m_pParam->GetParent()->GetParent();
  if (records == nullptr) return 0;
  const std::uint32_t minimum = NumberOf(m_pParam->GetMinValue());
  const std::uint32_t maximum = NumberOf(m_pParam->GetMaxValue());
  if (maximum < minimum || maximum - minimum >= kMaxRange) return 0;
  used.assign(maximum - minimum + 1, 0);
  const std::string& key = m_pParam->GetKey();
  POSITION position = records->GetStartPosition();
  while (CAppParam* record = records->GetNextPtr(position)) {
    CAppParamGroup* group = record->GetGroup();
    CAppParam* entry = group != nullptr ? group->FindChild(key) : nullptr;
    if (entry == nullptr) continue;
    const std::uint32_t value = NumberOf(entry->GetVariant());
    if (value >= minimum && value <= maximum) used[value - minimum] = 1;
  }
  return 1;
}

int CAppToolsLnk::ComboExchUniqueNum::ParamToCtrl() {
  m_pCtrl->RemoveAll();
  std::vector<std::uint8_t> used;
  if (!GetValues(used)) return 0;
  const std::uint32_t minimum = NumberOf(m_pParam->GetMinValue());
  const std::uint32_t own = NumberOf(m_pParam->GetVariant()) - minimum;
  int ownItem = -1;
  for (std::uint32_t i = 0; i < used.size(); ++i) {
    if (used[i] != 0 && i != own) continue;
    const int item = m_pCtrl->AddItem(minimum + i, CAppTools::Format("%03u", minimum + i));
    if (i == own) ownItem = item;
  }
  m_pCtrl->SetCurrentItem(ownItem >= 0 ? ownItem : 0);
  return 1;
}

int CAppToolsLnk::ComboExchUniqueNum::CtrlToParam() {
  // An empty box could not list the numbers: the value stays as it was.
  if (m_pParam == nullptr || m_pCtrl->count() == 0) return 1;
  const int selected = SelectedIndex(m_pCtrl);
  StoreNumber(m_pParam, selected >= 0 ? static_cast<std::uint32_t>(m_pCtrl->GetValue(selected)) : 0);
  return 1;
}
