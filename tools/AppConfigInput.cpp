#include "AppConfigInput.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppTools.h"

namespace {

// Integers compared whatever their sign: wide enough for -2^63 and 2^64 - 1.
__extension__ typedef __int128 Wide;

std::string ToText(Wide n) {
  if (n < 0) return "-" + std::to_string(static_cast<std::uint64_t>(-n));
  return std::to_string(static_cast<std::uint64_t>(n));
}

// The text as an integer in any notation the library reads ("-5", "0x1F",
// "017", "b101"); nothing when it is no integer.
std::optional<Wide> ParseInteger(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  const bool negative = first != std::string::npos && text[first] == '-';
  try {
    const std::uint64_t n = CAppTools::StringToInt64(text.c_str(), negative, 0xFFFFFFFFu);
    return negative ? Wide{static_cast<std::int64_t>(n)} : Wide{n};
  } catch (const CAppException&) {
    return std::nullopt;
  }
}

std::optional<double> ParseReal(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(begin, &end);
  if (end == begin || *end != 0 || errno == ERANGE || !std::isfinite(d)) return std::nullopt;
  return d;
}

[[noreturn]] void Refuse(const std::string& text, const std::string& path, const std::string& range) {
  throw CAppException("appconfig", 0, "Value %s does not fit %s: %s", text.c_str(), path.c_str(), range.c_str());
}

void CheckNumeric(CAppParamNumeric& param, const std::string& path, const std::string& text) {
  const CAppTools::Type type = param.GetType();
  const std::uint32_t bits = type.GetBitSize();
  if (type.GetCode() == 0 || bits == 0) return;  // no type: any value is stored as it is
  std::string name;
  try {
    name = CAppTools::VtToString(type.GetCode());
  } catch (const CAppException&) {
    return;
  }
  if (type.GetCode() == CAppVariant::VT_R4 || type.GetCode() == CAppVariant::VT_R8) {
    const std::optional<double> value = ParseReal(text);
    const double largest = bits == 32 ? std::numeric_limits<float>::max() : std::numeric_limits<double>::max();
    if (!value || std::fabs(*value) > largest) Refuse(text, path, name + ", a real number of " + std::to_string(bits) + " bits");
    return;
  }
  Wide low = type.IsSigned() ? -(Wide{1} << (bits - 1)) : 0;
  Wide high = type.IsSigned() ? (Wide{1} << (bits - 1)) - 1 : (Wide{1} << bits) - 1;
  // The parameter's own bounds narrow the type's range, as its check does.
  if (!param.IsFlagsEnable(PF_NO_RANGE_CHECK)) {
    const CAppVariant min = param.GetMinValue(), max = param.GetMaxValue();
    if (!min.IsEmpty()) {
      if (const std::optional<Wide> bound = ParseInteger(min.ToString()); bound && *bound > low) low = *bound;
    }
    if (!max.IsEmpty()) {
      if (const std::optional<Wide> bound = ParseInteger(max.ToString()); bound && *bound < high) high = *bound;
    }
  }
  const std::optional<Wide> value = ParseInteger(text);
  if (!value || *value < low || *value > high) Refuse(text, path, name + " from " + ToText(low) + " to " + ToText(high));
}

void CheckEnumeration(CAppParamEnumSingle& param, const std::string& path, const std::string& text) {
  const std::optional<Wide> value = ParseInteger(text);
  if (value && *value >= 0 && *value <= 0xFFFFFFFF &&
      param.FindIndex(static_cast<std::uint32_t>(*value)) != CAppParamEnumSingle::kNoIndex) {
    return;
  }
  std::string values;
  for (unsigned i = 0; i < param.GetCount(); ++i) {
    std::uint32_t entry = 0;
    std::string label;
    param.GetEntry(i, entry, label);
    values += (i == 0 ? "" : ", ") + std::to_string(entry);
  }
  Refuse(text, path, "EnumSingle of " + (values.empty() ? std::string("no value") : values));
}

}  // namespace

void CheckTypedValue(CAppParam& param, const std::string& path, const std::string& text) {
  if (auto* numeric = AppDynamicCast<CAppParamNumeric>(&param)) {
    CheckNumeric(*numeric, path, text);
  } else if (auto* enumeration = AppDynamicCast<CAppParamEnumSingle>(&param)) {
    CheckEnumeration(*enumeration, path, text);
  }
}
