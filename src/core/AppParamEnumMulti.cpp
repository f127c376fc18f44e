#include "appconfig/AppParamEnumMulti.h"

#include <memory>

#include "AppParamEnumShared.h"
#include "appconfig/AppException.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamEnumMulti, CAppParam)

using AppParamEnum::ReportKeyName;
using AppParamEnum::ReportNumberKeyName;
using AppParamEnum::SetEntries;
using AppParamEnum::SetEntry;

namespace {

// The longest selection text shown before it is cut.
constexpr std::size_t kMaxFmtChars = 20;

// Byte length of the first `chars` characters of UTF-8 text (all of it when
// shorter), so that a cut never splits a character.
std::size_t Utf8Prefix(const std::string& text, std::size_t chars) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < chars && pos < text.size(); ++n) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return pos;
}

std::uint32_t NumberAt(const std::vector<std::uint32_t>& numbers, unsigned index) {
  return index < numbers.size() ? numbers[index] : 0;
}

}  // namespace

bool CAppParamEnumMulti::CheckIndex(unsigned index) {
  if (index < m_values.size()) return true;
  ReportNumberKeyName(13684, index, *this);
  return false;
}

// --- Entries ------------------------------------------------------------------

void CAppParamEnumMulti::AddEntry(std::uint32_t defaultNumber, std::uint32_t currentNumber,
                                  std::uint32_t value, const std::string& text) {
  m_values.push_back(value);
  m_texts.push_back(text.empty() ? AppParamEnum::ValueText(value) : text);
  m_currents.push_back(currentNumber);
  m_defaults.push_back(defaultNumber);
}

void CAppParamEnumMulti::SetSize(unsigned n) {
  m_currents.resize(n, 0);
  m_defaults.resize(n, 0);
  m_values.resize(n, 0);
  m_texts.resize(n);
}

void CAppParamEnumMulti::GetEntry(unsigned index, std::uint32_t& defaultNumber,
                                  std::uint32_t& currentNumber, std::uint32_t& value,
                                  std::string& text) {
  if (!CheckIndex(index)) return;
  defaultNumber = NumberAt(m_defaults, index);
  currentNumber = NumberAt(m_currents, index);
  value = m_values[index];
  text = index < m_texts.size() ? m_texts[index].Get() : std::string();
}

std::uint32_t CAppParamEnumMulti::GetNumber(unsigned index) {
  return CheckIndex(index) ? NumberAt(m_currents, index) : 0;
}

void CAppParamEnumMulti::SetNumber(unsigned index, std::uint32_t number) {
  if (!CheckIndex(index)) return;
  if (index >= m_currents.size()) m_currents.resize(m_values.size(), 0);
  m_currents[index] = number;
}

std::uint32_t CAppParamEnumMulti::GetDefaultValue(unsigned index) {
  return CheckIndex(index) ? NumberAt(m_defaults, index) : 0;
}

void CAppParamEnumMulti::SetDefaultValue(unsigned index, std::uint32_t number) {
  if (!CheckIndex(index)) return;
  if (index >= m_defaults.size()) m_defaults.resize(m_values.size(), 0);
  m_defaults[index] = number;
}

std::uint32_t CAppParamEnumMulti::GetIndex(std::uint32_t value) const {
  for (std::size_t i = 0; i < m_values.size(); ++i) {
    if (m_values[i] == value) return static_cast<std::uint32_t>(i);
  }
  return kNotFound;
}

// --- Arrays ---------------------------------------------------------------------

void CAppParamEnumMulti::SetData(std::uint32_t value, unsigned index) {
  SetEntry(m_values, value, index, *this);
}

void CAppParamEnumMulti::SetData(const std::string& text, unsigned index) {
  SetEntry(m_texts, CAppText(text), index, *this);
}

void CAppParamEnumMulti::SetData(const std::vector<std::uint32_t>& values) {
  SetEntries(m_values, values, *this);
}

void CAppParamEnumMulti::SetData(const std::vector<std::string>& texts) {
  SetEntries(m_texts, texts, *this);
}

void CAppParamEnumMulti::GetData(std::vector<std::string>& texts) const { AppParamEnum::CopyTexts(m_texts, texts); }

// --- Slots ------------------------------------------------------------------------

bool CAppParamEnumMulti::_GetFmtValue(std::string& out, CAppResources* /*resources*/) {
  out.clear();
  for (std::size_t i = 0; i < m_currents.size(); ++i) {
    if (m_currents[i] == 0) continue;
    if (!out.empty()) out += ", ";
    if (i < m_texts.size()) out += m_texts[i].Get();
    const std::size_t cut = Utf8Prefix(out, kMaxFmtChars);
    if (cut < out.size()) {
      out.resize(cut);
      out += "...";
      break;
    }
  }
  return true;
}

void CAppParamEnumMulti::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("Current", m_currents);
  record->Do("Default", m_defaults);
  record->Do("Value", m_values);
  record->Do("Comment", m_texts);
}

void CAppParamEnumMulti::_Check() {
  if (AppDynamicCast<CAppParamEnumMulti>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParam::_Check();

  const bool noCurrents = m_currents.empty();
  const std::size_t sizes[] = {m_currents.size(), m_defaults.size(), m_values.size(),
                               m_texts.size()};
  std::size_t n = 0;
  for (std::size_t size : sizes) {
    if (n == 0) n = size;
  }
  for (std::size_t size : sizes) {
    if (size != 0 && size != n) APP_THROW("Array Size Error");
  }
  m_currents.resize(n, 0);
  m_defaults.resize(n, 0);
  m_values.resize(n, 0);
  m_texts.resize(n);
  if (noCurrents) m_currents = m_defaults;
}

CAppVariant CAppParamEnumMulti::GetVariant(unsigned index) {
  if (!CheckIndex(index)) return CAppVariant(std::int32_t{0});
  return CAppVariant(NumberAt(m_currents, index));
}

void CAppParamEnumMulti::SetVariant(const CAppVariant& value, unsigned index) {
  if (!CheckIndex(index)) return;
  std::uint32_t number = 0;
  if (!AppParamEnum::ToUInt32(value, number)) return;
  SetNumber(index, number);
}

void CAppParamEnumMulti::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamEnumMulti", "EnumMulti", "Param EnumMulti");
  resources->AddClassIcons("Param EnumMulti");
}
