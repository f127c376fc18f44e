// A typed number: a value with a declared variant type, bounds, a default,
// a unit and a display base.
//
// The display base is stored as an index into the class profile's format
// list, the CAppParamListKey "SYS_FORMAT_VALUE" of printf-style formats
// ("%d", "%X", "%b" ...), found through the profile's default chain.
#pragma once

#include <cstdint>
#include <string>

#include "appconfig/AppParamValue.h"

class CAppParamNumeric : public CAppParamValue {
  APP_DECLARE_DYNCREATE(CAppParamNumeric)

public:
  CAppParamNumeric() = default;
  explicit CAppParamNumeric(const std::string& name) : CAppParamValue(name) {}

  // Plain copies and assignments: no conversion, no check.
  CAppVariant GetDefaultValue() const { return m_default; }
  CAppVariant GetMinValue() const { return m_min; }
  CAppVariant GetMaxValue() const { return m_max; }
  void SetDefaultValue(const CAppVariant& value) { m_default = value; }
  void SetMinValue(const CAppVariant& value) { m_min = value; }
  void SetMaxValue(const CAppVariant& value) { m_max = value; }
  void SetUnit(const std::string& unit) { m_strUnit = unit; }
  CAppTools::Type GetType() const { return m_type; }
  // Stores the code only; the held values keep their types until the next
  // SetVariant or check.
  void SetType(const CAppTools::Type& type) { m_type = type; }

  // The index of the chosen entry of the format list (not a base itself).
  std::uint32_t GetBaseIndex() const { return m_nBase; }
  void SetBaseIndex(std::uint32_t index) { m_nBase = index; }
  // The base of the chosen format; decimal without resources, class profile
  // or format list, or when the index names no entry.
  CAppTools::EN_BASE GetBase(CAppResources* resources);
  // Chooses the first format of that base; a base no format has keeps the
  // index, and without resources, profile or list the index becomes 0.
  void SetBase(CAppTools::EN_BASE base, CAppResources* resources);

  std::string _GetUnit(CAppResources* resources) override;
  // The value through the chosen format: binary digits of the value masked
  // to the type's width for a binary format, printf rules for octal, decimal
  // and hexadecimal ones (the value is read as a 32-bit word, so a "UI4"
  // above 2147483647 shows as its bit pattern and "%d" shows it negative),
  // "???" for any other. The plain value text for "R4" and "R8", and when
  // there is no usable format; the index then goes back to 0. A value that
  // is no number throws the variant's conversion error.
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  // The common and value fields, then "Base", "Unit", "Max", "Min",
  // "Default", "Type".
  void Serialize(CAppRecord* record) override;
  // Coerces the bounds, the default and the value to the type (an empty
  // bound takes the type's natural one), then checks min <= max and, unless
  // PF_NO_RANGE_CHECK, the value and the default against the bounds; a
  // passing value is stored in the type. Failures throw "Check Error : ...".
  // After a throw the bounds and the default may be coerced already; the
  // value is unchanged.
  void _Check() override;
  using CAppParamValue::SetVariant;
  // Converts to the type first (cut to the type's width, so 300 becomes 44
  // in "UI1"); a value that does not convert shows the soft error 13689 and
  // is stored as it is. Type 0 stores any value unchanged.
  void SetVariant(const CAppVariant& value) override;
  // `store`: the value becomes the default; else the default is set as the
  // value.
  void LoadDefault(bool store) override;

  // The EN_BASE bits of the formats in the list (decimal when none gives
  // any); only floating point for "R4" and "R8".
  virtual std::uint32_t GetAllowedBases(CAppResources* resources);

  static void _ResourcesInit(CAppResources* resources);

private:
  bool IsFloatType() const;

  CAppVariant m_default;
  CAppVariant m_min;
  CAppVariant m_max;
  CAppText m_strUnit;  // shared, like the node's other texts
  CAppTools::Type m_type{std::uint32_t{CAppVariant::VT_I4}};
  std::uint32_t m_nBase = 0;
};
