// A multiple choice among listed entries, each a 32-bit value with a text.
//
// Every entry keeps a current number and a default number; an entry whose
// current number is not 0 counts as selected. The parameter has no place in
// the device data image.
//
// The four arrays (current numbers, default numbers, values, texts) may
// differ in length until _Check, which makes them equal or throws. Until
// then a number missing from its array reads 0. Bad indices are soft errors
// reported to CAppLog; the operation then does nothing (getters answer 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppParam.h"

class CAppParamEnumMulti : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamEnumMulti)

public:
  // What GetIndex answers for a value not listed: 16 bits wide, unlike the
  // single choice's "no entry".
  static constexpr std::uint32_t kNotFound = 0xFFFFu;

  CAppParamEnumMulti() = default;

  // Appends to the four arrays; an empty text becomes the value written as a
  // signed decimal ("%d").
  void AddEntry(std::uint32_t defaultNumber, std::uint32_t currentNumber, std::uint32_t value,
                const std::string& text);
  // All four arrays get n entries (new numbers 0, new texts empty).
  void SetSize(unsigned n);
  // The number of values.
  unsigned GetCount() const { return static_cast<unsigned>(m_values.size()); }
  unsigned GetDefaultSizeValue() const { return static_cast<unsigned>(m_defaults.size()); }

  // An index past the entries reports 13684 and leaves the outputs
  // untouched.
  void GetEntry(unsigned index, std::uint32_t& defaultNumber, std::uint32_t& currentNumber,
                std::uint32_t& value, std::string& text);
  // Current and default number of an entry. An index past the entries
  // reports 13684 (the getters then answer 0). A setter on an array still
  // short of the entries grows it to their number first.
  std::uint32_t GetNumber(unsigned index);
  void SetNumber(unsigned index, std::uint32_t number);
  std::uint32_t GetDefaultValue(unsigned index);
  void SetDefaultValue(unsigned index, std::uint32_t number);
  // The first entry with the value, or kNotFound.
  std::uint32_t GetIndex(std::uint32_t value) const;

  // Replace one value or text; an index past its own array reports 13681.
  void SetData(std::uint32_t value, unsigned index);
  void SetData(const std::string& text, unsigned index);
  // Replace all values or all texts; a length that differs from the current
  // one reports 13680 and changes nothing.
  void SetData(const std::vector<std::uint32_t>& values);
  void SetData(const std::vector<std::string>& texts);
  void GetData(std::vector<std::uint32_t>& values) const { values = m_values; }
  void GetData(std::vector<std::string>& texts) const;
  using CAppParam::GetData;
  using CAppParam::SetData;

  // --- Overridden slots ---------------------------------------------------
  // The selected texts joined by ", "; past 20 characters, the first 20
  // followed by "...".
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  void Serialize(CAppRecord* record) override;
  // Every non-empty array must have the length of the first non-empty one
  // (current, default, values, texts), else "Array Size Error" and nothing
  // changes. Then all four take that length, and current numbers that were
  // missing altogether start from the defaults.
  void _Check() override;
  // A "UI4" variant with the entry's current number; an index past the
  // entries reports 13684 and gives an "I4" 0.
  CAppVariant GetVariant(unsigned index) override;
  using CAppParam::GetVariant;
  // The entry's current number becomes the value converted to "UI4". An
  // index past the entries reports 13684; a value that does not convert
  // (13689) changes nothing.
  void SetVariant(const CAppVariant& value, unsigned index) override;
  using CAppParam::SetVariant;

  static void _ResourcesInit(CAppResources* resources);

private:
  // Reports 13684 for an index past the entries.
  bool CheckIndex(unsigned index);

  std::vector<std::uint32_t> m_currents;
  std::vector<std::uint32_t> m_defaults;
  std::vector<std::uint32_t> m_values;
  std::vector<CAppText> m_texts;  // shared, like the node's other texts
};
