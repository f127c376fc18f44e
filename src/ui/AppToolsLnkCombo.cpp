// The combo box exchanges: numbers, enumeration entries and unused numbers.
#include "appconfig/ui/AppToolsLnkExch.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "links/AppLnkParamCommon.h"

// --- Numbers ---------------------------------------------------------------------------------

CAppToolsLnk::ComboExchNumeric::ComboExchNumeric(CAppCtrlCombo* control) : m_pCtrl(AppChecked(control)) {}

void CAppToolsLnk::ComboExchNumeric::SetParam(CAppParam* param) {
  m_pParam = AppChecked(AppDynamicCast<CAppParamNumeric>(param));
}

int CAppToolsLnk::ComboExchNumeric::ParamToCtrl() {
  APP_CHECK_POINTER(m_pParam);
  m_pCtrl->RemoveAll();
  const std::uint32_t minimum = m_pParam->GetMinValue().ToUInt32();
  const std::uint32_t maximum = m_pParam->GetMaxValue().ToUInt32();
  for (std::uint32_t number = minimum; number < maximum; ++number) {
    m_pCtrl->AddItem(number, CAppTools::Format("%03u", number));
  }
  m_pCtrl->SetCurrentItem(static_cast<int>(m_pParam->GetVariant().ToUInt32()));
  return 1;
}

int CAppToolsLnk::ComboExchNumeric::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  const int selected = m_pCtrl->currentIndex();
  if (selected >= 0) m_pParam->SetVariant(CAppVariant(static_cast<std::uint32_t>(selected)));
  return 1;
}

// --- Enumeration entries -----------------------------------------------------------------------

CAppToolsLnk::ComboExchEnumSingle::ComboExchEnumSingle(CAppCtrlCombo* control) : m_pCtrl(AppChecked(control)) {}

void CAppToolsLnk::ComboExchEnumSingle::SetParam(CAppParam* param) {
  m_pParam = AppChecked(AppDynamicCast<CAppParamEnumSingle>(param));
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
  const std::uint32_t current = m_pParam->GetVariant().ToUInt32();
  for (int item = 0; item < m_pCtrl->count(); ++item) {
    if (m_pCtrl->GetValue(item) == current) m_pCtrl->SetCurrentItem(item);
  }
  return 1;
}

int CAppToolsLnk::ComboExchEnumSingle::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  const int selected = m_pCtrl->currentIndex();
  if (selected >= 0) m_pParam->SetVariant(CAppVariant(static_cast<std::uint32_t>(m_pCtrl->GetValue(selected))));
  return 1;
}

// --- Unused numbers ----------------------------------------------------------------------------------

CAppToolsLnk::ComboExchUniqueNum::ComboExchUniqueNum(CAppCtrlCombo* control) : m_pCtrl(AppChecked(control)) {}

void CAppToolsLnk::ComboExchUniqueNum::SetParam(CAppParam* param) {
  m_pParam = AppDynamicCast<CAppParamNumeric>(param);
}

int CAppToolsLnk::ComboExchUniqueNum::GetValues(std::vector<std::uint8_t>& used) {
  if (m_pParam == nullptr || m_pParam->GetParent() == nullptr) return 0;
  CAppParamGroup* records = m_pParam->GetParent()->GetParent();
  if (records == nullptr) return 0;
  const std::uint32_t minimum = m_pParam->GetMinValue().ToUInt32();
  const std::uint32_t maximum = m_pParam->GetMaxValue().ToUInt32();
  if (maximum < minimum || maximum - minimum >= kMaxRange) return 0;
  used.assign(maximum - minimum + 1, 0);
  const std::string& key = m_pParam->GetKey();
  POSITION position = records->GetStartPosition();
  while (CAppParam* record = records->GetNextPtr(position)) {
    CAppParamGroup* group = record->GetGroup();
    CAppParam* entry = group != nullptr ? group->FindChild(key) : nullptr;
    if (entry == nullptr) continue;
    const std::uint32_t value = entry->GetVariant().ToUInt32();
    if (value >= minimum && value <= maximum) used[value - minimum] = 1;
  }
  return 1;
}

int CAppToolsLnk::ComboExchUniqueNum::ParamToCtrl() {
  m_pCtrl->RemoveAll();
  std::vector<std::uint8_t> used;
  if (!GetValues(used)) return 0;
  const std::uint32_t minimum = m_pParam->GetMinValue().ToUInt32();
  const std::uint32_t own = m_pParam->GetVariant().ToUInt32() - minimum;
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
  const int selected = m_pCtrl->currentIndex();
  m_pParam->SetVariant(CAppVariant(selected >= 0 ? static_cast<std::uint32_t>(m_pCtrl->GetValue(selected)) : 0u));
  return 1;
}
