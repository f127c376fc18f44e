// A parameter holding one free value, edited as text, with a text limit and
// a place in the device data image.
#pragma once

#include <cstdint>
#include <string>

#include "appconfig/AppParam.h"

class CAppParamValue : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamValue)

public:
  CAppParamValue() = default;
  explicit CAppParamValue(const std::string& name) { SetName(name); }

  // The edit controls' character limit: the max size, or 255 when it is 0.
  // The value itself is never checked against it.
  std::uint32_t GetTextLimit() const { return m_nMaxSize != 0 ? m_nMaxSize : 255u; }
  std::uint32_t GetMaxSize() const { return m_nMaxSize; }
  void SetMaxSize(std::uint32_t size) { m_nMaxSize = size; }

  // Packs (or, on a loading record, unpacks) the value in GetBitSize() bits,
  // in Motorola order with PF_MOTOROLA; 0 bits is no place in the image, a
  // PF_NO_DATA parameter is skipped by its size. The value always goes back
  // through SetVariant, so a loaded word reaches a derived class's type.
  void DataSerialize(CAppDataRecord* record) override;
  void SetBitSize(unsigned bits) override { m_nBitSize = bits; }
  unsigned GetBitSize() override { return m_nBitSize; }
  // The common fields, then "Value", "MaxSize", "BitSize".
  void Serialize(CAppRecord* record) override;
  void _Check() override;
  // The indexed forms stay the base's "not supported" ones.
  using CAppParam::GetVariant;
  using CAppParam::SetVariant;
  CAppVariant GetVariant() override { return m_value; }
  void SetVariant(const CAppVariant& value) override { m_value = value; }

  static void _ResourcesInit(CAppResources* resources);

protected:
  // The class profile every value class creates: its link, its icon entry
  // named by the display name, and the plain, "RO" and "EX" icons.
  static void InitClassProfile(CAppResources* resources, const char* className,
                               const char* displayName, const char* linkName);

private:
  CAppVariant m_value;
  std::uint32_t m_nMaxSize = 0;
  std::uint32_t m_nBitSize = 0;
};
