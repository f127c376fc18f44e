// The hex dump exchanges: array bytes, a mailbox's data zone and a device
// data image, with the display options word.
#include "appconfig/ui/AppToolsLnkExch.h"

#include <string>
#include <utility>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlEditDump.h"
#include "controls/AppDumpOptions.h"
#include "links/AppLnkParamCommon.h"

namespace {

using AppDump::Option;
using AppDump::OptionGroup;

// A number of the profile; 0 for a text that is none.
std::uint32_t NumberOf(const std::string& value) {
  try {
    return CAppTools::StringToDwordThrow(value.c_str(), false, 0xFFFFFFFFu);
  } catch (const CAppException&) {
    return 0;
  }
}

// Whether a profile value names the option: formats by their base, numbers
// by their value, the space by any one character, the others by their text.
bool Names(const std::string& value, const Option& option) {
  switch (option.group) {
    case OptionGroup::Base:
      return CAppTools::GetFormatBase(value.c_str()) == CAppTools::GetFormatBase(option.profileValue);
    case OptionGroup::Bits:
    case OptionGroup::Columns: return NumberOf(value) == NumberOf(option.profileValue);
    case OptionGroup::Space: return value.size() == 1;
    default: return option.profileValue != nullptr && value == option.profileValue;
  }
}

// The option of the group that the value names, else none.
const Option* OptionNamed(OptionGroup group, const std::string& value) {
  for (const Option& option : AppDump::kOptions) {
    if (option.group == group && Names(value, option)) return &option;
  }
  return nullptr;
}

// The group's default choice of that rank, else none.
const Option* DefaultOption(OptionGroup group, int rank) {
  for (const Option& option : AppDump::kOptions) {
    if (option.group == group && option.defaultRank == rank) return &option;
  }
  return nullptr;
}

}  // namespace

// --- Array -----------------------------------------------------------------------------------

CAppToolsLnk::DumpExchArray::DumpExchArray(CAppCtrlEditDump* control) : m_pCtrl(AppChecked(control)) {}

void CAppToolsLnk::DumpExchArray::SetParam(CAppParam* param) {
  m_pArray = AppChecked(AppDynamicCast<CAppParamArray>(param));
}

void CAppToolsLnk::DumpExchArray::SetResources(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  RuleExchData::SetResources(resources);
}

int CAppToolsLnk::DumpExchArray::GetMenuOptions(std::uint32_t& visible, std::uint32_t& current, char& space) {
  CAppResources* resources = GetResources();
  CAppParamGroup* profile = resources != nullptr && m_pArray != nullptr ? resources->FindProfileOrNull(m_pArray) : nullptr;
  if (profile == nullptr) return 1;
  for (const AppDump::OptionKey& key : AppDump::kOptionKeys) {
    // Each option named is offered; the first of the key is current.
    bool first = true;
    auto offer = [&](const Option& option) {
      visible |= option.bit;
      if (std::exchange(first, false)) current |= option.bit;
    };
    auto* list = AppDynamicCast<CAppParamListKey>(resources->FindWithDefault(profile, key.key));
    if (list == nullptr) {
      for (int rank = 1; const Option* option = DefaultOption(key.group, rank); ++rank) offer(*option);
      continue;
    }
    for (unsigned i = 0; i < list->GetCount(); ++i) {
      const std::string& value = list->GetAt(i);
      const Option* option = OptionNamed(key.group, value);
      if (option == nullptr) continue;
      offer(*option);
      if (option->group == OptionGroup::Space) space = value[0];
    }
  }
  return 1;
}

int CAppToolsLnk::DumpExchArray::SetDataToCtrl() {
  APP_CHECK_POINTER(m_pArray);
  std::uint32_t visible = 0;
  std::uint32_t current = 0;
  char space = ' ';
  GetMenuOptions(visible, current, space);
  std::uint32_t options = m_pArray->GetDumpOptions();
  if (options == 0) {
    options = current;
    m_pArray->SetDumpOptions(options);
  }
  m_pCtrl->SetOptionsWord(visible, options, space);
  return 1;
}

int CAppToolsLnk::DumpExchArray::GetCtrlToData() {
  APP_CHECK_POINTER(m_pArray);
  std::uint32_t options = 0;
  m_pCtrl->GetOptionsWord(options);
  m_pArray->SetDumpOptions(options);
  return 1;
}

int CAppToolsLnk::DumpExchArray::ParamToCtrl() {
  SetDataToCtrl();
  std::vector<std::uint8_t> bytes;
  m_pArray->GetData(bytes);
  m_pCtrl->SetData(bytes);
  return 1;
}

int CAppToolsLnk::DumpExchArray::CtrlToParam() {
  APP_CHECK_POINTER(m_pArray);
  std::vector<std::uint8_t> bytes;
  m_pCtrl->GetData(bytes);
  m_pArray->SetData(bytes);
  return GetCtrlToData();
}

// --- Mailbox -------------------------------------------------------------------------------------

void CAppToolsLnk::DumpExchMail::SetParam(CAppParam* param) {
  m_pMail = AppChecked(AppDynamicCast<CAppParamMail>(param));
  DumpExchArray::SetParam(param);
}

int CAppToolsLnk::DumpExchMail::ParamToCtrl() {
  APP_CHECK_POINTER(m_pMail);
  std::vector<std::uint8_t> zone;
  m_pMail->GetField(kDataField, zone);
  SetDataToCtrl();
  m_pCtrl->SetData(zone);
  m_pCtrl->SetMaxLength(kMaxData);
  return 1;
}

int CAppToolsLnk::DumpExchMail::CtrlToParam() { return GetCtrlToData(); }

// --- Device data image ----------------------------------------------------------------------------

CAppToolsLnk::DumpExchStruct::DumpExchStruct(CAppCtrlEditDump* control)
    : m_pCtrl(AppChecked(control)), m_pRecord(std::make_unique<CAppDataRecord>()) {}

CAppToolsLnk::DumpExchStruct::~DumpExchStruct() = default;

void CAppToolsLnk::DumpExchStruct::SetParam(CAppParam* param) { m_pParam = AppChecked(param); }

int CAppToolsLnk::DumpExchStruct::ParamToCtrl() {
  APP_CHECK_POINTER(m_pParam);
  // A fresh image: the previous one may have been longer.
  m_pRecord = std::make_unique<CAppDataRecord>();
  m_pRecord->SetModeLoad(false);
  m_pParam->DataSerialize(m_pRecord.get());
  std::vector<std::uint8_t> bytes;
  m_pRecord->GetData(bytes);
  bytes.resize(m_pRecord->GetSize());
  m_pCtrl->SetMaxLength(m_pRecord->GetSize());
  m_pCtrl->SetMinLength(m_pRecord->GetSize());
  m_pCtrl->SetData(bytes);
  return 1;
}

int CAppToolsLnk::DumpExchStruct::CtrlToParam() {
  APP_CHECK_POINTER(m_pParam);
  std::vector<std::uint8_t> bytes;
  m_pCtrl->GetData(bytes);
  m_pRecord->SetModeLoad(true);
  m_pRecord->SetData(bytes);
  m_pParam->DataSerialize(m_pRecord.get());
  return 1;
}
