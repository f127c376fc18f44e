#include "appconfig/AppTools.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "appconfig/AppException.h"

namespace {

struct TypeRow {
  const char* name;  // null: known to the size and sign queries only
  std::uint32_t code;
  std::uint32_t bits;
  bool isSigned;
};

// The one type table: names, sizes and signs of the numeric type codes.
constexpr TypeRow kTypes[] = {
    {"I1", 16, 8, true},     {"UI1", 17, 8, false},  {"I2", 2, 16, true},
    {"UI2", 18, 16, false},  {"I4", 3, 32, true},    {"UI4", 19, 32, false},
    {"I8", 20, 64, true},    {"UI8", 21, 64, false}, {"R4", 4, 32, true},
    {"R8", 5, 64, true},     {nullptr, 22, 32, true}, {nullptr, 23, 32, false},
    {nullptr, CAppTools::Type::VT_APP_FLAGS, 32, false},
    {nullptr, CAppTools::Type::VT_APP_TYPE, 32, false},
};

const TypeRow* FindTypeRow(std::uint32_t code) {
  const std::uint32_t low = code & 0x0FFFu;
  for (const TypeRow& row : kTypes) {
    if (row.code == low) return &row;
  }
  return nullptr;
}

const CAppTools::MapStringToRef& NameToCode() {
  static const CAppTools::MapStringToRef map = [] {
    CAppTools::MapStringToRef m;
    for (const TypeRow& row : kTypes) {
      if (row.name != nullptr) m.SetRef(row.name, row.code);
    }
    return m;
  }();
  return map;
}

}  // namespace

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
  std::uint32_t code = 0;
  if (!NameToCode().GetRef(name, code)) APP_THROW("Bad Type :%s", name.c_str());
  m_nCode = code;
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
