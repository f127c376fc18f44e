#include "appconfig/AppParamEnumSingle.h"

#include <memory>

#include "AppParamEnumShared.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamEnumSingle, CAppParam)

using AppParamEnum::ReportKeyName;
using AppParamEnum::ReportNumberKeyName;
using AppParamEnum::SetEntries;
using AppParamEnum::SetEntry;

// --- Entries ------------------------------------------------------------------

void CAppParamEnumSingle::AddEntry(std::uint32_t value, const std::string& text) {
  m_values.push_back(value);
  m_texts.push_back(text.empty() ? AppParamEnum::ValueText(value) : text);
}

void CAppParamEnumSingle::SetSize(unsigned n) {
  m_values.resize(n, 0);
  m_texts.resize(n);
}

void CAppParamEnumSingle::GetEntry(unsigned index, std::uint32_t& value, std::string& text) {
  if (!IsValidIndex(index)) {
    ReportNumberKeyName(13679, index, *this);
    return;
  }
  value = m_values[index];
  text = index < m_texts.size() ? m_texts[index].Get() : std::string();
}

void CAppParamEnumSingle::SetEntryText(unsigned index, const std::string& text) {
  if (!IsValidIndex(index)) {
    CAppLog::DisplayResourceMessage(13678, text.c_str(), static_cast<unsigned long>(index),
                                    GetKey().c_str(), GetName().c_str());
    return;
  }
  // The index is checked against the entries, so a text array still short
  // of them grows to hold it.
  if (index >= m_texts.size()) m_texts.resize(m_values.size());
  m_texts[index] = text;
}

std::uint32_t CAppParamEnumSingle::FindIndex(std::uint32_t value) const {
  for (std::size_t i = 0; i < m_values.size(); ++i) {
    if (m_values[i] == value) return static_cast<std::uint32_t>(i);
  }
  return kNoIndex;
}

std::uint32_t CAppParamEnumSingle::GetDefaultValue() const {
  return IsValidIndex(m_nDefault) ? m_values[m_nDefault] : 0;
}

void CAppParamEnumSingle::SetDefaultValue(std::uint32_t value) {
  m_nDefault = FindIndex(value);
  if (m_nDefault == kNoIndex) {
    ReportNumberKeyName(13676, value, *this);
    m_nDefault = FirstOrNone();
  }
}

// --- Arrays ---------------------------------------------------------------------

void CAppParamEnumSingle::SetData(std::uint32_t value, unsigned index) {
  SetEntry(m_values, value, index, *this);
}

void CAppParamEnumSingle::SetData(const std::string& text, unsigned index) {
  SetEntry(m_texts, CAppText(text), index, *this);
}

void CAppParamEnumSingle::SetData(const std::vector<std::uint32_t>& values) {
  SetEntries(m_values, values, *this);
}

void CAppParamEnumSingle::SetData(const std::vector<std::string>& texts) {
  SetEntries(m_texts, texts, *this);
}

void CAppParamEnumSingle::GetData(std::vector<std::string>& texts) const { AppParamEnum::CopyTexts(m_texts, texts); }

// --- Slots ------------------------------------------------------------------------

bool CAppParamEnumSingle::_GetFmtValue(std::string& out, CAppResources* /*resources*/) {
  out = IsValidIndex(m_nCurrent) && m_nCurrent < m_texts.size() ? m_texts[m_nCurrent].Get() : std::string("???");
  return true;
}

std::string CAppParamEnumSingle::_GetUnit(CAppResources* /*resources*/) { return m_strUnit; }

void CAppParamEnumSingle::DataSerialize(CAppDataRecord* record) {
  const unsigned bits = GetBitSize();
  if (!IsDataSerializable(record, bits)) return;
  CAppVariant value = GetVariant();
  record->Do(value, bits, IsFlagsEnable(PF_MOTOROLA));
  SetVariant(value);
}

void CAppParamEnumSingle::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("Current", m_nCurrent);
  record->Do("Default", m_nDefault);
  record->Do("Value", m_values);
  record->Do("Comment", m_texts);
  record->Do("BitSize", m_nBitSize);
  record->Do("Unit", m_strUnit);
}

void CAppParamEnumSingle::_Check() {
  if (AppDynamicCast<CAppParamEnumSingle>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParam::_Check();
  // _Check is also called on its own, outside the check pass that already
  // honours the flag.
  if (IsFlagsEnable(PF_NO_CHECK)) return;

  if (!m_texts.empty() && m_texts.size() != m_values.size()) APP_THROW("Array Size Error");
  if (m_texts.empty()) {
    for (std::uint32_t value : m_values) m_texts.push_back(AppParamEnum::ValueText(value));
  }

  if (m_values.empty()) {
    // Nothing to select: both fallbacks give "no entry".
    m_nCurrent = m_nDefault = kNoIndex;
    return;
  }
  std::uint32_t current = m_nCurrent;
  std::uint32_t def = m_nDefault;
  if (!IsValidIndex(current)) current = IsValidIndex(def) ? def : 0;
  if (!IsValidIndex(def)) def = current;
  // Through the value, so that equal values resolve to their first entry.
  SetVariant(CAppVariant(m_values[current]));
  SetDefaultValue(m_values[def]);
}

CAppVariant CAppParamEnumSingle::GetVariant() {
  if (!IsValidIndex(m_nCurrent)) return CAppVariant();
  return CAppVariant(m_values[m_nCurrent]);
}

void CAppParamEnumSingle::SetVariant(const CAppVariant& value) {
  std::uint32_t word = 0;
  if (!AppParamEnum::ToUInt32(value, word)) return;
  m_nCurrent = FindIndex(word);
  if (m_nCurrent == kNoIndex) {
    ReportNumberKeyName(13677, word, *this);
    m_nCurrent = FirstOrNone();
  }
}

void CAppParamEnumSingle::LoadDefault(bool store) {
  if (store) {
    m_nDefault = m_nCurrent;
  } else {
    m_nCurrent = m_nDefault;
  }
}

void CAppParamEnumSingle::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamEnumSingle", "EnumSingle", "Param EnumSingle");
  resources->AddClassIcons("Param EnumSingle");
}
