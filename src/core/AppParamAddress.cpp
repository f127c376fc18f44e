#include "appconfig/AppParamAddress.h"

#include <algorithm>

#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamAddress, CAppParamArray)

namespace {

bool IsValidPartNumber(std::int32_t n) {
  return n >= 0 && static_cast<std::uint32_t>(n) <= CAppParamArray::kMaxDataSize;
}

}  // namespace

CAppParamAddress::CAppParamAddress() {
  m_strFormat = "%3d";
  SetMaxSize(4);
}

void CAppParamAddress::SetPartNumber(std::int32_t n) {
  if (!IsValidPartNumber(n)) {
    CAppLog::DisplayResourceMessage(13683, GetKey().c_str());
    return;
  }
  m_nPartNumber = n;
  m_default.resize(static_cast<std::size_t>(n));
  m_data.resize(static_cast<std::size_t>(n));
}

bool CAppParamAddress::IsNull() const {
  return std::all_of(m_data.begin(), m_data.end(), [](std::uint8_t b) { return b == 0; });
}

bool CAppParamAddress::IsSameAddress(const std::vector<std::uint8_t>& other) const {
  if (other.size() < m_data.size()) return false;
  return std::equal(m_data.begin(), m_data.end(), other.begin());
}

// --- Overridden slots --------------------------------------------------------------

bool CAppParamAddress::_GetFmtValue(std::string& out, CAppResources* /*resources*/) {
  if (IsFlagsEnable(PF_READONLY) && !m_strReadOnlyValue.empty()) {
    out = m_strReadOnlyValue;
    return true;
  }
  if (m_nPartNumber <= 0) return true;
  const auto part = [this](std::size_t i) {
    return CAppTools::DwordToString(i < m_data.size() ? m_data[i] : 0u, m_strFormat.c_str());
  };
  out = part(0);
  for (std::size_t i = 1; i < static_cast<std::size_t>(m_nPartNumber); ++i) {
    out += m_strSeparator + part(i);
  }
  return true;
}

void CAppParamAddress::Serialize(CAppRecord* record) {
  CAppParamArray::Serialize(record);
  const std::int32_t previous = m_nPartNumber;
  record->Do("PartNumber", m_nPartNumber);
  record->Do("Default", m_default);
  record->Do("MaxPartValue", m_nMaxPartValue);
  record->Do("Separator", m_strSeparator);
  record->Do("ReadOnlyValue", m_strReadOnlyValue);
  // A damaged file must not size the data: keep the part number we had.
  if (!IsValidPartNumber(m_nPartNumber)) {
    CAppLog::DisplayResourceMessage(13683, GetKey().c_str());
    m_nPartNumber = previous;
  }
  SetMaxSize(static_cast<std::uint32_t>(m_nPartNumber));
}

void CAppParamAddress::_Check() {
  if (AppDynamicCast<CAppParamAddress>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParamArray::_Check();
}

void CAppParamAddress::LoadDefault(bool store) {
  if (store) {
    m_default = m_data;
  } else {
    m_data = m_default;
  }
}

void CAppParamAddress::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamAddress", "Address", "Param Address");
  resources->AddClassIcons("Param Address");
}
