// The hex dump exchanges: array bytes, a mailbox's data zone and a device
// data image, with the display options word.
#include "appconfig/ui/AppToolsLnkExch.h"

#include <string>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"
#include "appconfig/ui/AppCtrlEditDump.h"

namespace {

using Dump = CAppCtrlEditDump;

// One profile key: how its values map to bits, and the bits of a profile
// that does not have it.
struct OptionKey {
  const char* key;
  std::uint32_t (*bitOf)(const std::string& value);
  std::vector<std::uint32_t> defaults;
};

std::uint32_t FormatBit(const std::string& value) {
  switch (CAppTools::GetFormatBase(value.c_str())) {
    case CAppTools::BASE_BIN: return Dump::OPT_BASE_BINARY;
    case CAppTools::BASE_OCT: return Dump::OPT_BASE_FORMAT_2;
    case CAppTools::BASE_HEX: return Dump::OPT_BASE_HEXA;
    case CAppTools::BASE_DEC: return Dump::OPT_BASE_DECIMAL;
    case CAppTools::BASE_FLOAT: return Dump::OPT_BASE_FORMAT_16;
  }
  return 0;
}

// A number of the profile; 0 for a text that is none.
std::uint32_t NumberOf(const std::string& value) {
  try {
    return CAppTools::StringToDwordThrow(value.c_str(), false, 0xFFFFFFFFu);
  } catch (const CAppException&) {
    return 0;
  }
}

std::uint32_t BitsBit(const std::string& value) {
  switch (NumberOf(value)) {
    case 8: return Dump::OPT_BITS_8;
    case 16: return Dump::OPT_BITS_16;
    case 32: return Dump::OPT_BITS_32;
    default: return 0;
  }
}

std::uint32_t OrderBit(const std::string& value) {
  if (value == "Intel") return Dump::OPT_INTEL;
  if (value == "Motorola") return Dump::OPT_MOTOROLA;
  return 0;
}

std::uint32_t ViewBit(const std::string& value) {
  if (value == "Address") return Dump::OPT_ADDRESS;
  if (value == "Data") return Dump::OPT_DATA;
  if (value == "Ascii") return Dump::OPT_ASCII;
  if (value == "4/8") return Dump::OPT_FOUR_EIGHT;
  return 0;
}

std::uint32_t ColumnsBit(const std::string& value) {
  switch (NumberOf(value)) {
    case 1: return Dump::OPT_BPR_1;
    case 2: return Dump::OPT_BPR_2;
    case 4: return Dump::OPT_BPR_4;
    case 8: return Dump::OPT_BPR_8;
    case 16: return Dump::OPT_BPR_16;
    default: return 0;
  }
}

std::uint32_t SpaceBit(const std::string& value) { return value.size() == 1 ? static_cast<std::uint32_t>(Dump::OPT_SPACE) : 0u; }

std::uint32_t MenuHideBit(const std::string& value) {
  if (value == "Format") return Dump::OPT_HIDE_ALL;
  if (value == "Clipboard") return Dump::OPT_HIDE_CLIPBOARD;
  return 0;
}

const std::vector<OptionKey>& OptionKeys() {
  static const std::vector<OptionKey> keys = {
      {"SYS_FORMAT_VALUE", FormatBit,
       {Dump::OPT_BASE_DECIMAL, Dump::OPT_BASE_BINARY, Dump::OPT_BASE_FORMAT_2, Dump::OPT_BASE_HEXA}},
      {"SYS_OPTION_BITS", BitsBit, {Dump::OPT_BITS_8, Dump::OPT_BITS_16, Dump::OPT_BITS_32}},
      {"SYS_OPTION_IM", OrderBit, {Dump::OPT_INTEL, Dump::OPT_MOTOROLA}},
      {"SYS_OPTION_VIEW", ViewBit, {Dump::OPT_DATA, Dump::OPT_ADDRESS, Dump::OPT_ASCII, Dump::OPT_FOUR_EIGHT}},
      {"SYS_OPTION_NBCOL", ColumnsBit,
       {Dump::OPT_BPR_8, Dump::OPT_BPR_1, Dump::OPT_BPR_2, Dump::OPT_BPR_4, Dump::OPT_BPR_16}},
      {"SYS_OPTION_SPACE", SpaceBit, {}},
      {"SYS_OPTION_MENU_HIDE", MenuHideBit, {}},
  };
  return keys;
}

}  // namespace

// --- Array -----------------------------------------------------------------------------------

CAppToolsLnk::DumpExchArray::DumpExchArray(CAppCtrlEditDump* control) : m_pCtrl(control) {
  APP_CHECK_POINTER(control);
}

void CAppToolsLnk::DumpExchArray::SetParam(CAppParam* param) {
  m_pArray = AppDynamicCast<CAppParamArray>(param);
  APP_CHECK_POINTER(m_pArray);
}

void CAppToolsLnk::DumpExchArray::SetResources(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  RuleExchData::SetResources(resources);
}

void CAppToolsLnk::DumpExchArray::SetOptionBit(std::uint32_t& visible, std::uint32_t& current, std::uint32_t bit,
                                               int& first) {
  visible |= bit;
  if (first) current |= bit;
  first = 0;
}

int CAppToolsLnk::DumpExchArray::GetMenuOptions(std::uint32_t& visible, std::uint32_t& current, char& space) {
  CAppResources* resources = GetResources();
  CAppParamGroup* profile = resources != nullptr && m_pArray != nullptr ? resources->FindProfileOrNull(m_pArray) : nullptr;
  if (profile == nullptr) return 1;
  for (const OptionKey& option : OptionKeys()) {
    int first = 1;
    auto* list = AppDynamicCast<CAppParamListKey>(resources->FindWithDefault(profile, option.key));
    if (list == nullptr) {
      for (std::uint32_t bit : option.defaults) SetOptionBit(visible, current, bit, first);
      continue;
    }
    for (unsigned i = 0; i < list->GetCount(); ++i) {
      const std::string& value = list->GetAt(i);
      const std::uint32_t bit = option.bitOf(value);
      if (bit == 0) continue;
      SetOptionBit(visible, current, bit, first);
      if (bit == Dump::OPT_SPACE) space = value[0];
    }
  }
  return 1;
}

void CAppToolsLnk::DumpExchArray::SetMenuOptions(std::uint32_t visible, std::uint32_t current, char space) {
  m_pCtrl->SetOptionsWord(visible, current, space);
}

int CAppToolsLnk::DumpExchArray::GetMenuOptions(std::uint32_t& options) {
  m_pCtrl->GetOptionsWord(options);
  return 1;
}

int CAppToolsLnk::DumpExchArray::SetDataToCtrl() {
  APP_CHECK_POINTER(m_pArray);
  std::uint32_t visible = 0;
  std::uint32_t current = 0;
  char space = ' ';
  std::uint32_t options = m_pArray->GetDumpOptions();
  if (!GetMenuOptions(visible, current, space)) return 1;
  if (options == 0) {
    m_pArray->SetDumpOptions(current);
    options = current;
  }
  SetMenuOptions(visible, options, space);
  return 1;
}

int CAppToolsLnk::DumpExchArray::GetCtrlToData() {
  APP_CHECK_POINTER(m_pArray);
  std::uint32_t options = 0;
  GetMenuOptions(options);
  m_pArray->SetDumpOptions(options);
  return 1;
}

int CAppToolsLnk::DumpExchArray::ParamToCtrl() {
  APP_CHECK_POINTER(m_pArray);
  std::vector<std::uint8_t> bytes;
  m_pArray->GetData(bytes);
  SetDataToCtrl();
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
  m_pMail = AppDynamicCast<CAppParamMail>(param);
  APP_CHECK_POINTER(m_pMail);
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
    : m_pCtrl(control), m_pRecord(std::make_unique<CAppDataRecord>()) {
  APP_CHECK_POINTER(control);
}

CAppToolsLnk::DumpExchStruct::~DumpExchStruct() = default;

void CAppToolsLnk::DumpExchStruct::SetParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  m_pParam = param;
}

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
