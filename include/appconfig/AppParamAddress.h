// A dotted address: the array's bytes read as parts of one byte each
// (four parts shown as a TCP/IP address by default).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppParamArray.h"

class CAppParamAddress : public CAppParamArray {
  APP_DECLARE_DYNCREATE(CAppParamAddress)

public:
  CAppParamAddress();

  std::int32_t GetPartNumber() const { return m_nPartNumber; }
  // Resizes the default and the data to n bytes. A negative n, or one above
  // kMaxDataSize, shows the soft error 13683 and changes nothing.
  void SetPartNumber(std::int32_t n);
  // The largest value of a part; the edit control enforces it, the data
  // does not.
  std::int32_t GetMax() const { return m_nMaxPartValue; }
  void SetMax(std::int32_t value) { m_nMaxPartValue = value; }
  void GetSeparator(std::string& separator) const { separator = m_strSeparator; }
  void SetSeparator(const std::string& separator) { m_strSeparator = separator; }
  void SetReadOnlyValue(const std::string& text) { m_strReadOnlyValue = text; }
  void GetDefaultValue(std::vector<std::uint8_t>& value) const { value = m_default; }
  void SetDefaultValue(const std::vector<std::uint8_t>& value) { m_default = value; }

  // True when every part is 0 (an empty address too).
  bool IsNull() const;
  // True when each data byte equals the byte of `other` at its index; an
  // `other` shorter than the data is a different address.
  bool IsSameAddress(const std::vector<std::uint8_t>& other) const;

  // --- Overridden slots -----------------------------------------------------
  // The read-only text for a read-only address that has one; else the parts
  // through the format, joined by the separator. A part beyond the data
  // (a bit size shorter than the part number) shows as 0.
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  // After the fields, loading and saving alike resize the data to one byte
  // per part (through GetMaxSize(), so to the bit size when one is set).
  void Serialize(CAppRecord* record) override;
  void _Check() override;
  // true: the default becomes the data; false: the data becomes the default.
  void LoadDefault(bool store) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  std::vector<std::uint8_t> m_default;
  std::string m_strSeparator = ".";
  std::int32_t m_nMaxPartValue = 255;
  std::int32_t m_nPartNumber = 4;
  std::string m_strReadOnlyValue;
};
