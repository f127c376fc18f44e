#include "appconfig/AppVariant.h"

#include <string>

namespace {

// Keeps the low bits of `value` that a type of `vt` holds, sign-extended for
// signed types, so every integer is stored in its canonical 64-bit form.
std::int64_t FitSigned(std::uint16_t vt, std::int64_t value) {
  switch (vt) {
    case CAppVariant::VT_I1: return static_cast<std::int8_t>(value);
    case CAppVariant::VT_I2: return static_cast<std::int16_t>(value);
    case CAppVariant::VT_I4: return static_cast<std::int32_t>(value);
    default: return value;
  }
}

std::uint64_t FitUnsigned(std::uint16_t vt, std::uint64_t value) {
  switch (vt) {
    case CAppVariant::VT_UI1: return static_cast<std::uint8_t>(value);
    case CAppVariant::VT_UI2: return static_cast<std::uint16_t>(value);
    case CAppVariant::VT_UI4: return static_cast<std::uint32_t>(value);
    default: return value;
  }
}

bool IsSignedInteger(std::uint16_t vt) {
  return vt == CAppVariant::VT_I1 || vt == CAppVariant::VT_I2 || vt == CAppVariant::VT_I4 ||
         vt == CAppVariant::VT_I8;
}

bool IsUnsignedInteger(std::uint16_t vt) {
  return vt == CAppVariant::VT_UI1 || vt == CAppVariant::VT_UI2 || vt == CAppVariant::VT_UI4 ||
         vt == CAppVariant::VT_UI8;
}

}  // namespace

void CAppVariant::Clear() {
  m_vt = VT_EMPTY;
  m_n.u = 0;
  m_str.clear();
}

void CAppVariant::SetInt(std::uint16_t vt, std::int64_t value) {
  Clear();
  m_vt = vt;
  if (IsUnsignedInteger(vt)) {
    m_n.u = FitUnsigned(vt, static_cast<std::uint64_t>(value));
  } else {
    m_n.i = FitSigned(vt, value);
  }
}

void CAppVariant::SetUInt(std::uint16_t vt, std::uint64_t value) {
  Clear();
  m_vt = vt;
  if (IsSignedInteger(vt)) {
    m_n.i = FitSigned(vt, static_cast<std::int64_t>(value));
  } else {
    m_n.u = FitUnsigned(vt, value);
  }
}

void CAppVariant::SetDouble(std::uint16_t vt, double value) {
  Clear();
  m_vt = vt;
  m_n.d = vt == VT_R4 ? static_cast<double>(static_cast<float>(value)) : value;
}

void CAppVariant::SetString(const std::string& text) {
  Clear();
  m_vt = VT_BSTR;
  m_str = text;
}

std::string CAppVariant::ToString() const {
  if (m_vt == VT_BSTR) return m_str;
  if (IsSignedInteger(m_vt)) return std::to_string(m_n.i);
  if (IsUnsignedInteger(m_vt)) return std::to_string(m_n.u);
  if (m_vt == VT_R4 || m_vt == VT_R8) return std::to_string(m_n.d);
  return std::string();
}

bool CAppVariant::operator==(const CAppVariant& other) const {
  if (m_vt != other.m_vt) return false;
  if (m_vt == VT_BSTR) return m_str == other.m_str;
  if (m_vt == VT_R4 || m_vt == VT_R8) return m_n.d == other.m_n.d;
  return m_vt == VT_EMPTY || m_n.u == other.m_n.u;
}

// Provisional: integers only, truncated; the full type change replaces it.
std::int32_t CAppVariant::ToInt32() const { return static_cast<std::int32_t>(m_n.i); }

std::uint32_t CAppVariant::ToUInt32() const { return static_cast<std::uint32_t>(m_n.u); }
