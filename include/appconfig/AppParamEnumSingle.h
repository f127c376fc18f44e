// A single choice among listed entries, each a 32-bit value with a text.
//
// The parameter stores the index of the current and of the default entry;
// its variant value is the current entry's value and its display text the
// current entry's text. With a bit size it stands in the device data image
// like a number.
//
// Values and texts are two arrays that may differ in length until _Check
// (a description may give values only; _Check then writes their texts).
// Bad indices and values outside the enumeration are soft errors: they are
// reported to CAppLog and the operation goes on with the fallback documented
// below. Only _Check throws, on inconsistent arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppParam.h"

class CAppParamEnumSingle : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamEnumSingle)

public:
  // The index of no entry.
  static constexpr std::uint32_t kNoIndex = 0xFFFFFFFFu;

  CAppParamEnumSingle() = default;

  // Appends an entry; an empty text becomes the value written as a signed
  // decimal ("%d"), so 0xFFFFFFFF reads "-1".
  void AddEntry(std::uint32_t value, const std::string& text);
  // Both arrays get n entries (new values 0, new texts empty).
  void SetSize(unsigned n);
  // The number of values.
  unsigned GetCount() const { return static_cast<unsigned>(m_values.size()); }
  std::uint32_t GetCurrentIndex() const { return m_nCurrent; }
  std::uint32_t GetDefaultIndex() const { return m_nDefault; }

  // An index out of range reports 13679 and leaves both outputs untouched.
  // A valid entry whose text is still missing gives an empty text.
  void GetEntry(unsigned index, std::uint32_t& value, std::string& text);
  // An index out of range (against the number of values) reports 13678.
  void SetEntryText(unsigned index, const std::string& text);
  // The first entry with the value, or kNoIndex.
  std::uint32_t FindIndex(std::uint32_t value) const;
  // The default entry's value; 0 without a valid default index.
  std::uint32_t GetDefaultValue() const;
  // Selects the first entry with the value as default. A value outside the
  // enumeration reports 13676 and selects entry 0 (kNoIndex when empty).
  void SetDefaultValue(std::uint32_t value);

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

  void SetUnit(const std::string& unit) { m_strUnit = unit; }

  // --- Overridden slots ---------------------------------------------------
  // The current entry's text, "???" without a valid current index.
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  std::string _GetUnit(CAppResources* resources) override;
  // The current value in GetBitSize() bits, PF_MOTOROLA for the byte order.
  // Read back, a value outside the enumeration reports 13677 and selects
  // the first entry.
  void DataSerialize(CAppDataRecord* record) override;
  void SetBitSize(unsigned bits) override { m_nBitSize = bits; }
  unsigned GetBitSize() override { return m_nBitSize; }
  void Serialize(CAppRecord* record) override;
  // Throws "Array Size Error" when texts exist but not one per value; writes
  // missing texts; makes both indices valid (kNoIndex for an empty list) and
  // resolves them to the first entry holding their value. Skipped under
  // PF_NO_CHECK.
  void _Check() override;
  // A "UI4" variant with the current value; empty without a valid index.
  CAppVariant GetVariant() override;
  using CAppParam::GetVariant;
  // Selects the first entry with the value converted to "UI4". A value
  // outside the enumeration reports 13677 and selects entry 0 (kNoIndex
  // when empty); a value that does not convert (13689) changes nothing.
  void SetVariant(const CAppVariant& value) override;
  using CAppParam::SetVariant;
  // store: the current index becomes the default; else the reverse.
  void LoadDefault(bool store) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  // The fallback index after a value was not found.
  std::uint32_t FirstOrNone() const { return m_values.empty() ? kNoIndex : 0; }
  bool IsValidIndex(std::uint32_t index) const { return index < m_values.size(); }

  std::uint32_t m_nCurrent = kNoIndex;
  std::uint32_t m_nDefault = kNoIndex;
  std::vector<std::uint32_t> m_values;
  std::vector<CAppText> m_texts;  // shared, like the node's other texts
  std::uint32_t m_nBitSize = 0;
  CAppText m_strUnit;  // shared, like the node's other texts
};
