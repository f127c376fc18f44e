#include "appconfig/AppParamNumeric.h"

#include <cfloat>
#include <cstdint>

#include "appconfig/AppException.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamNumeric, CAppParamValue)

namespace {

using TypeInfo = CAppTools::TypeInfo;

// The row of a code that has a natural range and an order: the named types
// of at most 32 bits and the two floating ones. Null for the 64-bit integers,
// strings, empty and any other code.
const TypeInfo* RangedType(std::uint32_t code) {
  const TypeInfo* info = CAppTools::FindTypeInfo(code);
  if (info == nullptr || info->code != code || info->name == nullptr) return nullptr;
  if (!info->isFloat && info->bits > 32) return nullptr;
  return info;
}

// The natural bounds of a type, each held in the type itself; false (bounds
// untouched) for a type without them.
bool NaturalBounds(std::uint32_t code, CAppVariant& lower, CAppVariant& upper) {
  const TypeInfo* info = RangedType(code);
  if (info == nullptr) return false;
  const auto vt = static_cast<std::uint16_t>(code);
  if (info->isFloat) {
    const double largest = info->bits == 32 ? double{FLT_MAX} : DBL_MAX;
    lower.SetDouble(vt, -largest);
    upper.SetDouble(vt, largest);
  } else if (info->isSigned) {
    const std::int64_t half = std::int64_t{1} << (info->bits - 1);
    lower.SetInt(vt, -half);
    upper.SetInt(vt, half - 1);
  } else {
    lower.SetUInt(vt, 0);
    upper.SetUInt(vt, (std::uint64_t{1} << info->bits) - 1);
  }
  return true;
}

// ChangeType without the soft error: false, the variant unchanged, when the
// value does not convert.
bool TryChangeType(CAppVariant& value, std::uint16_t code) {
  try {
    value.ChangeTypeThrow(code, nullptr, true);
    return true;
  } catch (const CAppException&) {
    return false;
  }
}

enum class Order { Less, Equal, Greater, None };

template <class T>
Order OrderOf(T a, T b) {
  if (a < b) return Order::Less;
  if (b < a) return Order::Greater;
  return Order::Equal;
}

// Orders two values by the type of `a`: signed or unsigned 32-bit integers,
// or doubles. A string side is first brought to the other side's type.
// Values that are no numbers of a ranged type (strings, 64-bit integers,
// empty), or a side that does not convert, are not ordered: they pass every
// range test.
Order CompareConverted(CAppVariant a, CAppVariant b) {
  if (a.GetType() != b.GetType()) {
    if (b.IsString()) TryChangeType(b, a.GetType());
    if (a.IsString()) TryChangeType(a, b.GetType());
  }
  const TypeInfo* info = RangedType(a.GetType());
  if (info == nullptr) return Order::None;
  const std::uint16_t common = info->isFloat    ? CAppVariant::VT_R8
                               : info->isSigned ? CAppVariant::VT_I4
                                                : CAppVariant::VT_UI4;
  if (!TryChangeType(a, common) || !TryChangeType(b, common)) return Order::None;
  if (info->isFloat) return OrderOf(a.GetDouble(), b.GetDouble());
  if (info->isSigned) return OrderOf(a.GetInt64(), b.GetInt64());
  return OrderOf(a.GetUInt64(), b.GetUInt64());
}

// Two values of one ranged type need no conversion: integers of at most 32
// bits are held sign-extended, floats as doubles.
Order Compare(const CAppVariant& a, const CAppVariant& b) {
  if (a.GetType() != b.GetType()) return CompareConverted(a, b);
  const TypeInfo* info = RangedType(a.GetType());
  if (info == nullptr) return Order::None;
  if (info->isFloat) return OrderOf(a.GetDouble(), b.GetDouble());
  if (info->isSigned) return OrderOf(a.GetInt64(), b.GetInt64());
  return OrderOf(a.GetUInt64(), b.GetUInt64());
}

bool IsLess(const CAppVariant& a, const CAppVariant& b) { return Compare(a, b) == Order::Less; }
bool IsGreater(const CAppVariant& a, const CAppVariant& b) {
  return Compare(a, b) == Order::Greater;
}

// The format list of the parameter's class profile, through the default
// chain; null without resources, profile or a list under that key.
CAppParamListKey* FindFormatList(CAppParam* param, CAppResources* resources) {
  if (resources == nullptr) return nullptr;
  CAppParamGroup* profile = resources->FindProfileOrNull(param);
  if (profile == nullptr) return nullptr;
  return AppDynamicCast<CAppParamListKey>(resources->FindWithDefault(profile, "SYS_FORMAT_VALUE"));
}

}  // namespace

bool CAppParamNumeric::IsFloatType() const {
  return m_type.GetCode() == CAppVariant::VT_R4 || m_type.GetCode() == CAppVariant::VT_R8;
}

// --- Value --------------------------------------------------------------------

void CAppParamNumeric::SetVariant(const CAppVariant& value) {
  CAppVariant converted(value);
  const std::uint32_t code = m_type.GetCode();
  if (code != 0 && converted.GetType() != code) {
    converted.ChangeType(static_cast<std::uint16_t>(code), nullptr, true);
  }
  CAppParamValue::SetVariant(converted);
}

void CAppParamNumeric::LoadDefault(bool store) {
  if (store) {
    m_default = GetVariant();
  } else {
    SetVariant(m_default);
  }
}

std::string CAppParamNumeric::_GetUnit(CAppResources* /*resources*/) { return m_strUnit; }

void CAppParamNumeric::Serialize(CAppRecord* record) {
  CAppParamValue::Serialize(record);
  record->Do("Base", m_nBase);
  record->Do("Unit", m_strUnit);
  record->Do("Max", m_max);
  record->Do("Min", m_min);
  record->Do("Default", m_default);
  record->Do("Type", m_type);
}

// --- Check ----------------------------------------------------------------------

void CAppParamNumeric::_Check() {
  if (AppDynamicCast<CAppParamNumeric>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParamValue::_Check();

  const char* key = GetKey().c_str();
  const auto code = static_cast<std::uint16_t>(m_type.GetCode());
  CAppVariant value = GetVariant();
  try {
    // Each ChangeType reports its own failure and leaves the variant as it was.
    CAppVariant lower;
    CAppVariant upper;
    const bool ranged = NaturalBounds(m_type.GetCode(), lower, upper);
    if (m_min.IsEmpty()) {
      if (ranged) m_min = lower;
    } else {
      m_min.ChangeType(code, nullptr, true);
    }
    if (m_max.IsEmpty()) {
      if (ranged) m_max = upper;
    } else {
      m_max.ChangeType(code, nullptr, true);
    }
    if (!m_default.IsEmpty()) m_default.ChangeType(code, nullptr, true);
    if (!value.IsEmpty()) {
      value.ChangeType(code, nullptr, true);
    } else {
      value = m_default.IsEmpty() ? m_min : m_default;
    }
    if (m_default.IsEmpty()) m_default = value;
  } catch (...) {
    APP_THROW("Check Error : CAppParamNumeric(Key=%s) "
              "Can not convert Min,Max,Value or defaut to Type",
              key);
  }

  if (IsGreater(m_min, m_max)) {
    APP_THROW("Check Error : CAppParamNumeric(Key=%s) Min <= Max  Not TRUE", key);
  }
  if (IsFlagsEnable(PF_NO_RANGE_CHECK)) return;
  if (IsLess(value, m_min)) {
    APP_THROW("Check Error : %s=%s < Min(%s)", key, value.ToString().c_str(),
              m_min.ToString().c_str());
  }
  if (IsGreater(value, m_max)) {
    APP_THROW("Check Error : %s=%s > Max(%s)", key, value.ToString().c_str(),
              m_max.ToString().c_str());
  }
  if (!m_default.IsEmpty()) {
    if (IsLess(m_default, m_min)) {
      APP_THROW("Check Error : CAppParamNumeric(Key=%s) Min <= Defaut Not TRUE", key);
    }
    if (IsGreater(m_default, m_max)) {
      APP_THROW("Check Error : CAppParamNumeric(Key=%s) Defaut <= Max Not TRUE", key);
    }
  }
  SetVariant(value);
}

// --- Display base -----------------------------------------------------------------

CAppTools::EN_BASE CAppParamNumeric::GetBase(CAppResources* resources) {
  const CAppParamListKey* list = FindFormatList(this, resources);
  if (list == nullptr || m_nBase >= list->GetCount()) return CAppTools::BASE_DEC;
  return CAppTools::GetFormatBase(list->GetAt(m_nBase).c_str());
}

void CAppParamNumeric::SetBase(CAppTools::EN_BASE base, CAppResources* resources) {
  CAppParamListKey* list = FindFormatList(this, resources);
  if (list == nullptr) {
    m_nBase = 0;
    return;
  }
  std::uint32_t index = 0;
  for (auto pos = list->GetStartPosition(); pos; ++index) {
    if (CAppTools::GetFormatBase(list->GetNext(pos).c_str()) == base) {
      m_nBase = index;
      return;
    }
  }
}

std::uint32_t CAppParamNumeric::GetAllowedBases(CAppResources* resources) {
  if (IsFloatType()) return CAppTools::BASE_FLOAT;
  std::uint32_t bases = 0;
  if (CAppParamListKey* list = FindFormatList(this, resources)) {
    for (auto pos = list->GetStartPosition(); pos;) {
      bases |= CAppTools::GetFormatBase(list->GetNext(pos).c_str());
    }
  }
  return bases != 0 ? bases : std::uint32_t{CAppTools::BASE_DEC};
}

bool CAppParamNumeric::_GetFmtValue(std::string& out, CAppResources* resources) {
  const CAppVariant value = GetVariant();
  out = value.ToString();
  const CAppParamListKey* list = IsFloatType() ? nullptr : FindFormatList(this, resources);
  if (list == nullptr || m_nBase >= list->GetCount()) {
    m_nBase = 0;
    return true;
  }
  const std::string& format = list->GetAt(m_nBase);
  CAppVariant word(value);
  word.ChangeTypeThrow(CAppVariant::VT_I4, nullptr, true);
  const auto n = static_cast<std::uint32_t>(word.GetInt64());
  switch (CAppTools::GetFormatBase(format.c_str())) {
    case CAppTools::BASE_BIN: out = CAppTools::BinaryToString(n & m_type.GetMask()); break;
    case CAppTools::BASE_OCT:
    case CAppTools::BASE_DEC:
    case CAppTools::BASE_HEX: out = CAppTools::DwordToString(n, format.c_str()); break;
    case CAppTools::BASE_FLOAT: out = "???"; break;
  }
  return true;
}

void CAppParamNumeric::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamNumeric", "Numeric", "Param Numeric");
  resources->AddClassIcons("Param Numeric");
}
