// Helpers shared by the single- and multi-choice enumerations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppLog.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppVariant.h"

namespace AppParamEnum {

// The text an entry gets when none is given: the value as "%d" writes it.
inline std::string ValueText(std::uint32_t value) {
  return CAppTools::Format("%d", static_cast<int>(value));
}

// The value as an unsigned 32-bit number, integers cut to 32 bits. False
// when it does not convert (a text that is no number); the conversion has
// then reported soft error 13689.
inline bool ToUInt32(const CAppVariant& value, std::uint32_t& out) {
  CAppVariant word;
  word.ChangeType(CAppVariant::VT_UI4, &value, true);
  if (word.GetType() != CAppVariant::VT_UI4) return false;
  out = static_cast<std::uint32_t>(word.GetUInt64());
  return true;
}

// The soft errors all end with the parameter's key and its own name.
inline void ReportKeyName(unsigned id, CAppParam& param) {
  CAppLog::DisplayResourceMessage(id, param.GetKey().c_str(), param.GetName().c_str());
}

inline void ReportNumberKeyName(unsigned id, std::uint32_t number, CAppParam& param) {
  CAppLog::DisplayResourceMessage(id, static_cast<unsigned long>(number), param.GetKey().c_str(),
                                  param.GetName().c_str());
}

// Replaces one entry of an array; an index past it reports 13681.
template <class T>
void SetEntry(std::vector<T>& array, const T& value, unsigned index, CAppParam& param) {
  if (index >= array.size()) {
    ReportNumberKeyName(13681, index, param);
    return;
  }
  array[index] = value;
}

// Replaces a whole array; another length reports 13680 and changes nothing.
template <class T, class U>
void SetEntries(std::vector<T>& array, const std::vector<U>& values, CAppParam& param) {
  if (values.size() != array.size()) {
    ReportKeyName(13680, param);
    return;
  }
  array.assign(values.begin(), values.end());
}

// The entry texts as plain strings.
inline void CopyTexts(const std::vector<CAppText>& texts, std::vector<std::string>& out) {
  out.clear();
  out.reserve(texts.size());
  for (const CAppText& text : texts) out.push_back(text.Get());
}

}  // namespace AppParamEnum
