#include "appconfig/AppParamArray.h"

#include <algorithm>
#include <memory>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamArray, CAppParam)

namespace {

// Bytes shown by the formatted value before it is cut with "...".
constexpr std::size_t kShownBytes = 10;

}  // namespace

void CAppParamArray::SetData(const std::uint8_t* bytes, std::uint32_t n) {
  if (bytes == nullptr && n != 0) APP_THROW("Bad pointer");
  m_data.assign(bytes, bytes + n);
}

std::uint32_t CAppParamArray::GetMaxSize() const {
  if (m_nBitSize == 0) return m_nMaxSize;
  return static_cast<std::uint32_t>((std::uint64_t{m_nBitSize} + 7) / 8);
}

void CAppParamArray::SetMaxSize(std::uint32_t n) {
  const std::uint32_t previous = m_nMaxSize;
  m_nMaxSize = n;
  const std::uint32_t size = GetMaxSize();
  if (size > kMaxDataSize) {
    m_nMaxSize = previous;
    CAppLog::DisplayResourceMessage(13683, GetKey().c_str());
    return;
  }
  m_data.resize(size);
}

// --- Overridden slots --------------------------------------------------------------

bool CAppParamArray::_GetFmtValue(std::string& out, CAppResources* /*resources*/) {
  if (m_data.size() < kShownBytes) {
    out = CAppTools::Dump(m_data, "%02X ");
  } else {
    const std::vector<std::uint8_t> head(m_data.begin(), m_data.begin() + kShownBytes);
    out = CAppTools::Dump(head, "%02X ") + "...";
  }
  return true;
}

void CAppParamArray::DataSerialize(CAppDataRecord* record) {
  APP_CHECK_POINTER(record);
  const unsigned bits = GetBitSize();
  if (IsDataSerializable(record, bits)) record->Do(m_data, bits, IsFlagsEnable(PF_MOTOROLA));
}

unsigned CAppParamArray::GetBitSize() {
  if (m_nBitSize == 0) return 0;
  if (std::uint64_t{m_nBitSize} > std::uint64_t{8} * m_data.size()) {
    CAppLog::DisplayResourceMessage(13683, GetKey().c_str());
    return 0;
  }
  return m_nBitSize;
}

void CAppParamArray::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("MaxSize", m_nMaxSize);
  record->Do("Format", m_strFormat);
  record->Do("Value", m_data);
  record->Do("DumpOptions", m_nDumpOptions);
  record->Do("BitSize", m_nBitSize);
}

void CAppParamArray::_Check() {
  if (AppDynamicCast<CAppParamArray>(this) == nullptr) APP_THROW("Bad pointer");
}

// --- Profiles --------------------------------------------------------------------------


void CAppParamArray::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamArray", "Array", "Param Array");
  resources->AddClassIcons("Param Array");
}
