#include "appconfig/AppVariant.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppTools.h"

namespace {

using TypeInfo = CAppTools::TypeInfo;

// The type-table row of a numeric code a variant can hold; null for empty,
// string and every code outside the named rows of the table.
const TypeInfo* NumericInfo(std::uint16_t vt) {
  const TypeInfo* info = CAppTools::FindTypeInfo(vt);
  if (info == nullptr || info->code != vt || info->name == nullptr) return nullptr;
  return info;
}

const TypeInfo* IntegerInfo(std::uint16_t vt) {
  const TypeInfo* info = NumericInfo(vt);
  return info != nullptr && !info->isFloat ? info : nullptr;
}

std::uint64_t WidthMask(const TypeInfo& info) {
  return info.bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << info.bits) - 1u;
}

// Keeps the bits a type holds, sign-extended for signed types, so that every
// integer is stored in its canonical 64-bit form.
std::uint64_t FitToWidth(const TypeInfo& info, std::uint64_t value) {
  const std::uint64_t mask = WidthMask(info);
  value &= mask;
  if (info.isSigned && info.bits < 64 && (value >> (info.bits - 1)) != 0) value |= ~mask;
  return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A value on its way between two codes: an exact integer (sign and
// magnitude) or a floating value.
struct Number {
  bool isFloat = false;
  bool isSingle = false;  // came from an R4: printed with float precision
  bool negative = false;
  std::uint64_t magnitude = 0;
  double real = 0;
};

bool ParseDecimalText(const std::string& text, Number& number) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return false;

  // A plain integer is read exactly, whatever its width.
  std::size_t p = begin;
  const bool negative = text[p] == '-';
  if (text[p] == '+' || text[p] == '-') ++p;
  bool integer = p < end;
  bool overflow = false;
  std::uint64_t magnitude = 0;
  for (std::size_t i = p; i < end && integer; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      integer = false;
    } else if (magnitude > (~std::uint64_t{0} - static_cast<unsigned>(c - '0')) / 10) {
      overflow = true;
    } else {
      magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    }
  }
  if (integer && !overflow) {
    number.isFloat = false;
    number.negative = negative;
    number.magnitude = magnitude;
    return true;
  }

  // Otherwise a decimal fraction; from_chars alone would also take "inf",
  // "nan" and hexadecimal floats, and it refuses a leading "+".
  bool digit = false;
  for (std::size_t i = p; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-') {
      return false;
    }
  }
  if (!digit || (p < end && (text[p] == '+' || text[p] == '-'))) return false;
  const char* first = text.data() + (text[begin] == '+' ? begin + 1 : begin);
  const char* last = text.data() + end;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last) return false;
  number.isFloat = true;
  number.real = value;
  return true;
}

bool ReadNumber(const CAppVariant& source, Number& number) {
  const std::uint16_t vt = source.GetType();
  if (vt == CAppVariant::VT_EMPTY) return true;  // zero
  if (vt == CAppVariant::VT_BSTR) return ParseDecimalText(source.GetStringRef(), number);
  const TypeInfo* info = NumericInfo(vt);
  if (info == nullptr) return false;
  if (info->isFloat) {
    number.isFloat = true;
    number.isSingle = vt == CAppVariant::VT_R4;
    number.real = source.GetDouble();
  } else if (info->isSigned) {
    const std::int64_t value = source.GetInt64();
    number.negative = value < 0;
    number.magnitude = number.negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                       : static_cast<std::uint64_t>(value);
  } else {
    number.magnitude = source.GetUInt64();
  }
  return true;
}

double RoundHalfToEven(double value) {
  const double low = std::floor(value);
  const double fraction = value - low;
  if (fraction < 0.5) return low;
  if (fraction > 0.5) return low + 1;
  return std::fmod(low, 2.0) == 0 ? low : low + 1;
}

bool WriteNumber(const Number& number, const TypeInfo& target, CAppVariant& result) {
  const auto code = static_cast<std::uint16_t>(target.code);
  if (target.isFloat) {
    double value = number.real;
    if (!number.isFloat) {
      value = static_cast<double>(number.magnitude);
      if (number.negative) value = -value;
    }
    if (code == CAppVariant::VT_R4 && std::isfinite(value) && std::fabs(value) > FLT_MAX) return false;
    result.SetDouble(code, value);
    return true;
  }

  bool negative = number.negative;
  std::uint64_t magnitude = number.magnitude;
  if (number.isFloat) {
    if (!std::isfinite(number.real)) return false;
    const double rounded = RoundHalfToEven(number.real);
    if (std::fabs(rounded) >= 18446744073709551616.0) return false;  // 2^64
    negative = rounded < 0;
    magnitude = static_cast<std::uint64_t>(std::fabs(rounded));
  }
  if (target.isSigned) {
    const std::uint64_t limit = std::uint64_t{1} << (target.bits - 1);  // |min|
    if (negative ? magnitude > limit : magnitude >= limit) return false;
    result.SetUInt(code, negative ? std::uint64_t{0} - magnitude : magnitude);
  } else {
    if (negative && magnitude != 0) return false;
    if (magnitude > WidthMask(target)) return false;
    result.SetUInt(code, magnitude);
  }
  return true;
}

std::string NumberText(const Number& number) {
  char buffer[64];
  if (!number.isFloat) {
    char* start = buffer;
    if (number.negative) *start++ = '-';
    const auto [end, error] = std::to_chars(start, buffer + sizeof buffer, number.magnitude);
    return error == std::errc() ? std::string(buffer, end) : std::string();
  }
  const auto [ptr, ec] = number.isSingle
                             ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(number.real))
                             : std::to_chars(buffer, buffer + sizeof buffer, number.real);
  return ec == std::errc() ? std::string(buffer, ptr) : std::string();
}

}  // namespace

CAppVariant& CAppVariant::operator=(const CAppVariant& other) {
  if (this != &other) *this = CAppVariant(other);
  return *this;
}

CAppVariant& CAppVariant::operator=(CAppVariant&& other) noexcept {
  std::swap(m_vt, other.m_vt);
  std::swap(m_n, other.m_n);
  return *this;
}

const std::string& CAppVariant::EmptyString() {
  static const std::string* const empty = new std::string;
  return *empty;
}

void CAppVariant::Clear() {
  if (m_vt == VT_BSTR && --m_n.s->refs == 0) delete m_n.s;
  m_vt = VT_EMPTY;
  m_n.u = 0;
}

void CAppVariant::SetInt(std::uint16_t vt, std::int64_t value) {
  const TypeInfo* info = NumericInfo(vt);
  if (info != nullptr && info->isFloat) {
    SetDouble(vt, static_cast<double>(value));
    return;
  }
  SetUInt(vt, static_cast<std::uint64_t>(value));
}

void CAppVariant::SetUInt(std::uint16_t vt, std::uint64_t value) {
  const TypeInfo* info = NumericInfo(vt);
  if (info != nullptr && info->isFloat) {
    SetDouble(vt, static_cast<double>(value));
    return;
  }
  if (vt == VT_BSTR) {
    SetString(std::string());  // the string type holds no number: its text stays empty
    return;
  }
  Clear();
  m_vt = vt;
  m_n.u = info != nullptr ? FitToWidth(*info, value) : value;
}

void CAppVariant::SetDouble(std::uint16_t vt, double value) {
  if (vt == VT_BSTR) {
    SetString(std::string());
    return;
  }
  Clear();
  m_vt = vt;
  m_n.d = vt == VT_R4 ? static_cast<double>(static_cast<float>(value)) : value;
}

void CAppVariant::SetString(const std::string& text) {
  if (m_vt == VT_BSTR && m_n.s->refs == 1) {
    m_n.s->text = text;
    return;
  }
  auto* block = new SharedString{text, 1};
  Clear();
  m_vt = VT_BSTR;
  m_n.s = block;
}

bool CAppVariant::ConvertValue(const CAppVariant& source, std::uint16_t code, CAppVariant& result) {
  if (code == VT_EMPTY) {
    result.Clear();
    return true;
  }
  if (code == VT_BSTR && source.m_vt == VT_BSTR) {
    result.SetString(source.m_n.s->text);
    return true;
  }
  const TypeInfo* target = NumericInfo(code);
  if (target == nullptr && code != VT_BSTR) return false;
  Number number;
  if (!ReadNumber(source, number)) return false;
  if (target != nullptr) return WriteNumber(number, *target, result);
  result.SetString(source.m_vt == VT_EMPTY ? std::string() : NumberText(number));
  return true;
}

void CAppVariant::ChangeTypeThrow(std::uint16_t code, const CAppVariant* source, bool align) {
  const CAppVariant& from = source != nullptr ? *source : *this;
  if (&from == this && m_vt == code) return;

  CAppVariant result;
  if (ConvertValue(from, code, result)) {
    *this = std::move(result);
    return;
  }

  // The plain conversion gave up: read the source as a 32-bit word and try
  // again from that word, for the integer targets of at most 32 bits.
  const TypeInfo* target = IntegerInfo(code);
  if (target != nullptr && target->bits <= 32) {
    bool haveWord = false;
    std::uint32_t word = 0;
    if (const TypeInfo* info = IntegerInfo(from.m_vt); info != nullptr && info->bits <= 32) {
      word = static_cast<std::uint32_t>(from.m_n.u);  // canonical form: low bits are the value
      haveWord = true;
    } else if (from.m_vt == VT_BSTR && from.m_n.s->text.find('\0') == std::string::npos) {
      try {
        word = CAppTools::StringToDwordThrow(from.m_n.s->text.c_str(), target->isSigned, 0xFFFFFFFFu);
        haveWord = true;
      } catch (const CAppException&) {
        // Not a number in any base: the change fails below.
      }
    }
    if (haveWord) {
      if (align) word = CAppTools::AllignType(word, target->isSigned, target->bits);
      CAppVariant temp;
      if (target->isSigned) {
        temp.SetInt(VT_I4, static_cast<std::int32_t>(word));
      } else {
        temp.SetUInt(VT_UI4, word);
      }
      if (ConvertValue(temp, code, result)) {
        *this = std::move(result);
        return;
      }
    }
  }
  APP_THROW("CAppVariant : can't make this kind of convertion");
}

void CAppVariant::ChangeType(std::uint16_t code, const CAppVariant* source, bool align) {
  try {
    ChangeTypeThrow(code, source, align);
  } catch (...) {
    CAppLog::DisplayResourceMessage(13689);
  }
}

std::string CAppVariant::ToString() const {
  if (m_vt == VT_BSTR) return m_n.s->text;
  CAppVariant text;
  if (!ConvertValue(*this, VT_BSTR, text)) APP_THROW("CAppVariant : can't make this kind of convertion");
  return text.GetStringRef();
}

bool CAppVariant::operator==(const CAppVariant& other) const {
  if (m_vt != other.m_vt) return false;
  if (m_vt == VT_BSTR) return m_n.s->text == other.m_n.s->text;
  if (m_vt == VT_R4 || m_vt == VT_R8) return m_n.d == other.m_n.d;
  return m_vt == VT_EMPTY || m_n.u == other.m_n.u;
}

namespace {

// The low 32 bits of an integer variant; 0 for anything else.
std::uint32_t Low32(const CAppVariant& value) {
  return IntegerInfo(value.GetType()) != nullptr ? static_cast<std::uint32_t>(value.GetUInt64()) : 0;
}

}  // namespace

std::int32_t CAppVariant::ToInt32() const {
  if (m_vt == VT_I4 || m_vt == VT_UI4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_n.u));
  CAppVariant copy(*this);
  copy.ChangeType(VT_I4, nullptr, true);
  return static_cast<std::int32_t>(Low32(copy));
}

std::uint32_t CAppVariant::ToUInt32() const {
  if (m_vt == VT_I4 || m_vt == VT_UI4) return static_cast<std::uint32_t>(m_n.u);
  CAppVariant copy(*this);
  copy.ChangeType(VT_UI4, nullptr, true);
  return Low32(copy);
}
