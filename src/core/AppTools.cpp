#include "appconfig/AppTools.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "core/AppEmbeddedDocuments.h"

namespace {

using TypeRow = CAppTools::TypeInfo;

// The one type table: names, sizes, signs and kinds of the numeric type codes.
constexpr TypeRow kTypes[] = {
    {"I1", 16, 8, true, false},      {"UI1", 17, 8, false, false},
    {"I2", 2, 16, true, false},      {"UI2", 18, 16, false, false},
    {"I4", 3, 32, true, false},      {"UI4", 19, 32, false, false},
    {"I8", 20, 64, true, false},     {"UI8", 21, 64, false, false},
    {"R4", 4, 32, true, true},       {"R8", 5, 64, true, true},
    {nullptr, 22, 32, true, false},  {nullptr, 23, 32, false, false},
    {nullptr, CAppTools::Type::VT_APP_FLAGS, 32, false, false},
    {nullptr, CAppTools::Type::VT_APP_TYPE, 32, false, false},
};

// Codes are looked up on every conversion: a direct index of the table by
// the code's low 12 bits.
struct TypeIndex {
  constexpr TypeIndex() {
    for (const TypeRow& row : kTypes) rows[row.code & 0x0FFFu] = &row;
  }
  const TypeRow* rows[0x1000] = {};
};

constexpr TypeIndex kTypeIndex;

const TypeRow* FindTypeRow(std::uint32_t code) { return kTypeIndex.rows[code & 0x0FFFu]; }

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

// A type name without regard to case; the names are ASCII.
bool IsTypeName(const std::string& text, const char* name) {
  std::size_t i = 0;
  for (; name[i] != 0; ++i) {
    if (i == text.size() || ToUpperAscii(text[i]) != name[i]) return false;
  }
  return i == text.size();
}

}  // namespace

const CAppTools::TypeInfo* CAppTools::FindTypeInfo(std::uint32_t code) { return FindTypeRow(code); }

// --- Type -----------------------------------------------------------------

std::uint32_t CAppTools::Type::GetBitSize() const {
  const TypeRow* row = FindTypeRow(m_nCode);
  return row != nullptr ? row->bits : 0;
}

bool CAppTools::Type::IsSigned() const {
  const TypeRow* row = FindTypeRow(m_nCode);
  return row != nullptr && row->isSigned;
}

std::uint32_t CAppTools::Type::GetMask() const {
  const std::uint32_t bits = GetBitSize();
  if (bits == 0 || bits >= 32) return 0xFFFFFFFFu;
  return (1u << bits) - 1u;
}

std::uint64_t CAppTools::Type::GetMask64() const {
  const std::uint32_t bits = GetBitSize();
  if (bits >= 64) return ~std::uint64_t{0};
  return (std::uint64_t{1} << bits) - 1u;
}

void CAppTools::Type::StringToVT(const std::string& name) {
  // Ten short names: a scan costs less than a map lookup of an upper-cased copy.
  for (const TypeRow& row : kTypes) {
    if (row.name != nullptr && IsTypeName(name, row.name)) {
      m_nCode = row.code;
      return;
    }
  }
  APP_THROW("Bad Type :%s", name.c_str());
}

std::string CAppTools::VtToString(std::uint32_t code) {
  for (const TypeRow& row : kTypes) {
    if (row.name != nullptr && row.code == code) return row.name;
  }
  APP_THROW("Error");
}

// --- String maps ----------------------------------------------------------

void CAppTools::MapStringToRef::SetRef(const std::string& text, std::uint32_t ref) {
  if (!m_map.emplace(MakeUpper(text), ref).second) APP_THROW("Key Error");
}

bool CAppTools::MapStringToRef::GetRef(const std::string& text, std::uint32_t& ref) const {
  const auto it = m_map.find(MakeUpper(text));
  if (it == m_map.end()) return false;
  ref = it->second;
  return true;
}

std::uint32_t CAppTools::MapStringToIndex::GetIndex(const std::string& text, bool add) {
  const auto it = m_index.find(text);
  if (it != m_index.end()) return it->second;
  if (!add) return npos;
  const auto index = static_cast<std::uint32_t>(m_strings.size());
  m_strings.push_back(text);
  m_index.emplace(text, index);
  return index;
}

const std::string& CAppTools::MapStringToIndex::GetString(std::uint32_t index) const {
  if (index >= m_strings.size()) APP_THROW("Error");
  return m_strings[index];
}

void CAppTools::MapStringToIndex::RemoveAll() {
  m_strings.clear();
  m_index.clear();
}

// --- Text helpers ---------------------------------------------------------

std::string CAppTools::FormatV(const char* format, va_list args) {
  if (format == nullptr) return std::string();
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  return std::string(buffer.data(), static_cast<std::size_t>(size));
}

std::string CAppTools::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

std::string CAppTools::MakeUpper(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 'a' && c <= 'z') {
      text[i] = static_cast<char>(c - ('a' - 'A'));
    } else if (c == 0xC3 && i + 1 < text.size()) {
      // U+00E0..U+00FE map to U+00C0..U+00DE, except U+00F7 (division sign).
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7) text[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return text;
}

void CAppTools::KeyToPaths(std::vector<std::string>& steps, std::string& path) {
  steps.clear();
  const std::size_t last = path.find_last_of('\\');
  if (last == std::string::npos) return;
  const std::string before = path.substr(0, last);
  path.erase(0, last + 1);

  auto runClass = [](char c) { return c == '.' ? 0 : (c == '\\' ? 1 : 2); };
  std::size_t start = 0;
  while (start < before.size()) {
    const int kind = runClass(before[start]);
    std::size_t end = start + 1;
    while (end < before.size() && runClass(before[end]) == kind) ++end;
    steps.push_back(before.substr(start, end - start));
    start = end;
  }
}

bool CAppTools::MatchKey(const std::string& key, const std::string& pattern) {
  std::size_t k = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p, ++k) {
    const char c = pattern[p];
    if (c == '*') return true;
    if (k >= key.size()) return false;
    if (c != '?' && c != key[k]) return false;
  }
  return k == key.size();
}

// --- Number parsing -------------------------------------------------------

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Value of an upper-cased digit character, or 255 for anything else.
unsigned DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A' + 10);
  return 255;
}

// A failed parse: an exception without a message. It is not logged; callers
// that try a text as a number catch it as an ordinary "no".
[[noreturn]] void ThrowParseFailure(std::uint32_t line) {
  CAppException e;
  e.SetMessage(std::string());
  e.SetPrgLine(line);
  e.SetPrgFile(AppSourceFileName(__FILE__));
  throw e;
}

template <class Word>
Word ParseNumber(const char* text, bool isSigned, std::uint32_t bases) {
  APP_CHECK_POINTER(text);
  const char* p = text;
  while (IsBlank(*p)) ++p;
  if (*p == '\0') ThrowParseFailure(__LINE__);

  const bool binary = (bases & CAppTools::BASE_BIN) != 0;
  const bool octal = (bases & CAppTools::BASE_OCT) != 0;
  const bool decimal = (bases & CAppTools::BASE_DEC) != 0;
  const bool hexadecimal = (bases & CAppTools::BASE_HEX) != 0;

  unsigned base = 0;
  bool negate = false;
  bool haveDigit = false;
  const char first = ToUpperAscii(*p);
  if (first == '+' && decimal) {
    ++p;
    base = 10;
  } else if (first == '-' && decimal) {
    ++p;
    base = 10;
    negate = true;
  } else if (first == '0') {
    ++p;
    if (ToUpperAscii(*p) == 'X' && hexadecimal) {
      ++p;
      base = 16;
    } else {
      haveDigit = true;  // the "0" itself, worth 0 in any base
      if (octal) base = 8;
    }
  } else if (first == 'B' && binary) {
    ++p;
    base = 2;
  }
  if (base == 0) {
    if (bases == CAppTools::BASE_BIN) {
      base = 2;
    } else if (bases == CAppTools::BASE_OCT) {
      base = 8;
    } else if (bases == CAppTools::BASE_HEX) {
      base = 16;
    } else if (decimal) {
      base = 10;
    } else {
      ThrowParseFailure(__LINE__);
    }
  }

  constexpr Word kAll = static_cast<Word>(~Word{0});
  const Word limit = (isSigned && base == 10) ? static_cast<Word>(kAll >> 1) : kAll;
  const bool groups = base == 2 || base == 16;
  Word value = 0;
  for (; *p != '\0'; ++p) {
    if (IsBlank(*p)) {
      if (!groups) ThrowParseFailure(__LINE__);
      continue;
    }
    const unsigned digit = DigitValue(ToUpperAscii(*p));
    if (digit >= base) ThrowParseFailure(__LINE__);
    if (value > (limit - digit) / base) ThrowParseFailure(__LINE__);
    value = static_cast<Word>(value * base + digit);
    haveDigit = true;
  }
  if (!haveDigit) ThrowParseFailure(__LINE__);
  return negate ? static_cast<Word>(Word{0} - value) : value;
}

}  // namespace

std::uint32_t CAppTools::StringToDwordThrow(const char* text, bool isSigned, std::uint32_t bases) {
  return ParseNumber<std::uint32_t>(text, isSigned, bases);
}

std::uint64_t CAppTools::StringToInt64(const char* text, bool isSigned, std::uint32_t bases) {
  return ParseNumber<std::uint64_t>(text, isSigned, bases);
}

std::uint32_t CAppTools::StringToDword(const char* text, bool isSigned, std::uint32_t bases) {
  // No text is one more failure to convert: the soft error, not a throw.
  if (text == nullptr) {
    CAppLog::DisplayResourceMessage(13688);
    return 0;
  }
  try {
    return ParseNumber<std::uint32_t>(text, isSigned, bases);
  } catch (...) {
    CAppLog::DisplayResourceMessage(13688);
    return 0;
  }
}

bool CAppTools::IsSuperiorTo(std::uint64_t a, std::uint64_t b, bool isSigned) {
  if (isSigned) return static_cast<std::int64_t>(a) > static_cast<std::int64_t>(b);
  return a > b;
}

bool CAppTools::IsInferiorTo(std::uint64_t a, std::uint64_t b, bool isSigned) {
  if (isSigned) return static_cast<std::int64_t>(a) < static_cast<std::int64_t>(b);
  return a < b;
}

std::uint32_t CAppTools::AllignType(std::uint32_t value, bool isSigned, std::uint32_t bits) {
  if (bits >= 32) return value;
  if (bits == 0) return 0;
  const std::uint32_t top = 1u << bits;
  value &= top - 1u;
  if (isSigned && (value & (top >> 1)) != 0) value -= top;  // modulo 2^32: sign extension
  return value;
}

// --- Formatting -----------------------------------------------------------

namespace {

// A printf format reduced to one integer conversion that reads a long long
// (or an int for "%c"), so any size letter the format names is safe to pass
// a 32-bit word to.
struct IntegerFormat {
  std::string format;   // the rewritten format
  std::string literal;  // the text when the format converts nothing
  bool hasConversion = false;
  char conversion = 'd';
  unsigned shortCount = 0;  // "h" letters: 1 keeps 16 bits, 2 keeps 8
};

// Widths and precisions beyond this are refused: a format from a file must
// not be able to ask for a text of gigabytes.
constexpr unsigned kMaxFieldWidth = 1024;

[[noreturn]] void ThrowBadFormat(const char* format) { APP_THROW("Bad format :%s", format); }

std::string ReadDigits(const char*& p, const char* format) {
  std::string digits;
  while (*p >= '0' && *p <= '9') digits += *p++;
  if (digits.size() > 4 || (!digits.empty() && std::stoul(digits) > kMaxFieldWidth)) ThrowBadFormat(format);
  return digits;
}

// Reads one conversion after its "%" and appends its rewritten form; returns
// the position of the conversion letter. Flags that C leaves undefined for
// the conversion are dropped, as the platform formatters ignore them.
const char* ReadConversion(const char* p, IntegerFormat& out, const char* format) {
  std::string flags;
  while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) flags += *p++;
  const std::string width = ReadDigits(p, format);
  std::string precision;
  if (*p == '.') {
    ++p;
    precision = "." + ReadDigits(p, format);
  }
  // Size letters (and the digits of "I64") say nothing about our value.
  while (*p != '\0' && std::strchr("FILNhljztqw0123456789", *p) != nullptr) {
    if (*p == 'h') ++out.shortCount;
    ++p;
  }
  if (*p == '\0' || std::strchr("diuoxXc", *p) == nullptr) ThrowBadFormat(format);
  out.conversion = *p;
  if (out.conversion == 'c') {
    // A character: only left alignment and width mean something.
    if (flags.find('-') != std::string::npos) out.format += '-';
    out.format += width + 'c';
    return p;
  }
  const bool alternate = out.conversion == 'o' || out.conversion == 'x' || out.conversion == 'X';
  for (const char flag : flags) {
    if (flag != '#' || alternate) out.format += flag;
  }
  out.format += width + precision + "ll" + out.conversion;
  return p;
}

IntegerFormat PrepareIntegerFormat(const char* format) {
  APP_CHECK_POINTER(format);
  IntegerFormat out;
  for (const char* p = format; *p != '\0'; ++p) {
    out.format += *p;
    out.literal += *p;
    if (*p != '%') continue;
    if (p[1] == '%') {
      out.format += *++p;
      continue;
    }
    if (out.hasConversion) ThrowBadFormat(format);
    out.hasConversion = true;
    p = ReadConversion(p + 1, out, format);
  }
  return out;
}

std::string FormatInteger(const IntegerFormat& prepared, std::uint32_t value) {
  if (!prepared.hasConversion) return prepared.literal;
  if (prepared.conversion == 'c') {
    // printf converts the argument to unsigned char, whatever its size letter.
    return CAppTools::Format(prepared.format.c_str(), static_cast<int>(value & 0xFFu));
  }
  if (prepared.shortCount == 1) value &= 0xFFFFu;
  if (prepared.shortCount >= 2) value &= 0xFFu;
  const bool isSigned = prepared.conversion == 'd' || prepared.conversion == 'i';
  if (isSigned) {
    std::int32_t n = static_cast<std::int32_t>(value);
    if (prepared.shortCount == 1) n = static_cast<std::int16_t>(value);
    if (prepared.shortCount >= 2) n = static_cast<std::int8_t>(value);
    return CAppTools::Format(prepared.format.c_str(), static_cast<long long>(n));
  }
  return CAppTools::Format(prepared.format.c_str(), static_cast<unsigned long long>(value));
}

template <class Word>
std::string BinaryDigits(Word value) {
  if (value == 0) return "0";
  int top = static_cast<int>(sizeof(Word) * 8) - 1;
  while (((value >> top) & 1u) == 0) --top;
  std::string text;
  for (int bit = top; bit >= 0; --bit) {
    text += ((value >> bit) & 1u) != 0 ? '1' : '0';
    if (bit % 4 == 0) text += ' ';
  }
  return text;
}

}  // namespace

std::string CAppTools::DwordToString(std::uint32_t value, const char* format) {
  return FormatInteger(PrepareIntegerFormat(format), value);
}

std::string CAppTools::BinaryToString(std::uint32_t value) { return BinaryDigits(value); }

std::string CAppTools::Binary64ToString(std::uint64_t value) { return BinaryDigits(value); }

std::string CAppTools::Dump(const std::vector<std::uint8_t>& bytes, const char* format) {
  const IntegerFormat prepared = PrepareIntegerFormat(format);
  std::string text;
  for (const std::uint8_t byte : bytes) text += FormatInteger(prepared, byte);
  return text;
}

CAppTools::EN_BASE CAppTools::GetFormatBase(const char* format) {
  APP_CHECK_POINTER(format);
  const char* p = std::strchr(format, '%');
  if (p == nullptr) return BASE_DEC;
  ++p;
  while (*p != '\0' && std::strchr("#*+.0123456789FILNhl", *p) != nullptr) ++p;
  switch (*p) {
    case 'b':
    case 'B': return BASE_BIN;
    case 'x':
    case 'X': return BASE_HEX;
    case 'o': return BASE_OCT;
    case 'e':
    case 'f':
    case 'g':
    case 'G': return BASE_FLOAT;
    default: return BASE_DEC;
  }
}

std::string CAppTools::FormatReturn(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void CAppTools::GetData(std::vector<std::uint8_t>& out, const char* text, std::uint32_t base) {
  APP_CHECK_POINTER(text);
  unsigned radix = 0;
  if (base == BASE_DEC) radix = 10;
  if (base == BASE_HEX) radix = 16;
  if (radix == 0) {
    CAppLog::DisplayResourceMessage(13687, static_cast<unsigned long>(base), "CAppTools::GetData");
    return;
  }
  unsigned value = 0;
  bool inNumber = false;
  for (const char* p = text;; ++p) {
    if (*p == '\0' || *p == ',' || IsBlank(*p)) {
      if (inNumber) out.push_back(static_cast<std::uint8_t>(value));
      if (*p == '\0') return;
      value = 0;
      inNumber = false;
      continue;
    }
    const unsigned digit = DigitValue(ToUpperAscii(*p));
    if (digit >= radix) APP_THROW("Error");
    value = value * radix + digit;
    if (value > 255) APP_THROW("Error");
    inNumber = true;
  }
}

// --- Keys and addresses ---------------------------------------------------

std::string CAppTools::GetRootKey(const std::string& key) {
  for (std::size_t i = key.size(); i > 1; --i) {
    const char c = key[i - 1];
    if (c >= '0' && c <= '9') continue;
    return c == '_' ? key.substr(0, i - 1) : key;
  }
  return key;
}

void CAppTools::IPStringToDword(const char* text, std::uint32_t& value) {
  APP_CHECK_POINTER(text);
  constexpr std::size_t kScanned = 16;
  std::size_t length = 0;
  while (length < kScanned && text[length] != '\0') ++length;
  std::uint32_t parts[4] = {0, 0, 0, 0};
  std::size_t pos = 0;
  for (std::uint32_t& part : parts) {
    // The atoi rule: blanks, an optional sign, then digits up to the first
    // other character. Kept in range so that no text overflows.
    while (pos < length && std::isspace(static_cast<unsigned char>(text[pos])) != 0) ++pos;
    bool negative = false;
    if (pos < length && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    std::int64_t n = 0;
    for (; pos < length && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      if (n <= 0x7FFFFFFF) n = n * 10 + (text[pos] - '0');
    }
    if (n > 0x7FFFFFFF) n = negative ? 0x80000000LL : 0x7FFFFFFF;
    part = static_cast<std::uint32_t>(negative ? -n : n);
    while (pos < length && text[pos] != '.') ++pos;
    if (pos < length) ++pos;  // the dot
  }
  value = parts[0] + (parts[1] << 8) + (parts[2] << 16) + (parts[3] << 24);
}

// --- Platform -------------------------------------------------------------

bool CAppTools::LoadXML(unsigned id, std::string& text) {
  for (std::size_t i = 0; i < kAppEmbeddedDocumentCount; ++i) {
    const AppEmbeddedDocument& document = kAppEmbeddedDocuments[i];
    if (document.id != id) continue;
    text.assign(document.bytes, document.size);
    return true;
  }
  return false;
}

std::uint32_t CAppTools::GetDllVersion(const char* libraryName) {
  APP_CHECK_POINTER(libraryName);
  const std::string name = MakeUpper(libraryName);
  if (name == "COMCTL32" || name == "SHLWAPI") return 6u << 16;
  return 0;
}

std::uint32_t CAppTools::GetCtrlDllVersion() {
  static const std::uint32_t version = std::min(GetDllVersion("Comctl32"), GetDllVersion("shlwapi"));
  return version;
}
