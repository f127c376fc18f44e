#include "AppDumpFormat.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>

namespace AppDump {
namespace {

// Characters per word, separator included, by base and format.
constexpr int kCharsPerWord[3][5] = {
    {9, 17, 33, 16, 2},  // binary
    {3, 5, 9, 16, 2},    // hexadecimal
    {5, 7, 12, 16, 2},   // decimal
};
constexpr int kBitsPerWord[5] = {8, 16, 32, 8, 8};

bool IsSingleBitFormat(int format) { return format == FORMAT_BIT_BY_BIT || format == FORMAT_ONE_BIT; }

std::uint32_t WordMask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

// As printf writes it with "%+.<n>d" (signed) or " %.<n>u" (unsigned), n being
// the characters per word less 2; the text's first TextChars() characters.
std::string DecimalText(const WordFormat& f, std::uint32_t value) {
  const int bits = f.BitsPerWord();
  const std::uint32_t low = value & WordMask(bits);
  // The signed reading takes the word's top bit as the sign.
  const long long number = f.isSigned && (low >> (bits - 1)) != 0 ? low - (1LL << bits) : low;
  char text[24];
  std::snprintf(text, sizeof text, f.isSigned ? "%+.*lld" : " %.*lld", f.CharsPerWord() - 2, number);
  return std::string(text).substr(0, static_cast<std::size_t>(f.TextChars()));
}

}  // namespace

int WordFormat::BitsPerWord() const { return kBitsPerWord[format]; }

int WordFormat::CharsPerWord() const {
  const int chars = kCharsPerWord[base][format];
  return base == BASE_HEXA && format == FORMAT_8 && hexPrefix ? chars + 2 : chars;
}

std::uint32_t WordFormat::ReadWord(const std::uint8_t* bytes, std::size_t size, std::size_t offset) const {
  const int count = BytesPerWord();
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t at = offset + static_cast<std::size_t>(i);
    const std::uint32_t byte = at < size ? bytes[at] : 0u;
    value |= motorola ? byte << (8 * (count - 1 - i)) : byte << (8 * i);
  }
  return value;
}

void WordFormat::WriteWord(std::uint32_t value, std::uint8_t* out) const {
  const int count = BytesPerWord();
  for (int i = 0; i < count; ++i) {
    const int shift = motorola ? 8 * (count - 1 - i) : 8 * i;
    out[i] = static_cast<std::uint8_t>(value >> shift);
  }
}

std::string WordFormat::WordText(std::uint32_t value) const {
  const int bits = BitsPerWord();
  if (!IsSingleBitFormat(format) && base == BASE_DECIMAL) return DecimalText(*this, value);
  if (!IsSingleBitFormat(format) && base == BASE_HEXA) {
    char text[16];
    std::snprintf(text, sizeof text, TextChars() > bits / 4 ? "0x%0*X" : "%0*X", bits / 4, value & WordMask(bits));
    return text;
  }
  const std::string binary = std::bitset<32>(value).to_string().substr(static_cast<std::size_t>(32 - bits));
  if (format == FORMAT_ONE_BIT) return binary.substr(7);
  if (format != FORMAT_BIT_BY_BIT) return binary;
  std::string text;
  for (const char bit : binary) text.append({bit, ' '});
  text.pop_back();
  return text;
}

void WordFormat::AppendWord(std::string& line, std::uint32_t value) const {
  line += WordText(value);
  line += space;
}

int WordFormat::FirstPosition() const {
  if (base == BASE_HEXA && TextChars() > BitsPerWord() / 4) return 2;
  if (base == BASE_DECIMAL && !isSigned && !IsSingleBitFormat(format)) return 1;
  return 0;
}

int WordFormat::LastPosition() const { return TextChars() - 1; }

int WordFormat::NextPosition(int pos) const {
  const int next = pos + (format == FORMAT_BIT_BY_BIT ? 2 : 1);
  return next > LastPosition() ? -1 : next;
}

int WordFormat::PreviousPosition(int pos) const {
  const int previous = pos - (format == FORMAT_BIT_BY_BIT ? 2 : 1);
  return previous < FirstPosition() ? -1 : previous;
}

int WordFormat::ValidPosition(int pos) const {
  pos = std::clamp(pos, FirstPosition(), LastPosition());
  if (format == FORMAT_BIT_BY_BIT && pos % 2 != 0) ++pos;
  return std::min(pos, LastPosition());
}

bool WordFormat::AcceptsChar(char c) const {
  const auto u = static_cast<unsigned char>(c);
  if (IsSingleBitFormat(format) || base == BASE_BINARY) return c == '0' || c == '1';
  return base == BASE_HEXA ? std::isxdigit(u) != 0 : std::isdigit(u) != 0 || c == '+' || c == '-';
}

bool WordFormat::TypeChar(std::uint32_t value, int pos, char c, std::uint32_t& result) const {
  if (!AcceptsChar(c) || pos < FirstPosition() || pos > LastPosition()) return false;
  std::string text = WordText(value);
  const bool isSignPosition = base == BASE_DECIMAL && isSigned && pos == 0 && !IsSingleBitFormat(format);
  const bool isSign = c == '+' || c == '-';
  if (isSign != isSignPosition || text[static_cast<std::size_t>(pos)] == ' ') return false;
  text[static_cast<std::size_t>(pos)] = c;
  // The blanks (between single bits, before an unsigned decimal) are no digits.
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  if (format == FORMAT_ONE_BIT) {
    result = (value & ~1u) | (c == '1' ? 1u : 0u);
  } else if (format == FORMAT_BIT_BY_BIT || base != BASE_DECIMAL) {
    // Base 16 reads past a "0x" prefix.
    const int radix = base == BASE_HEXA && format != FORMAT_BIT_BY_BIT ? 16 : 2;
    result = static_cast<std::uint32_t>(std::stoul(text, nullptr, radix));
  } else {
    // A decimal that leaves the word's range is held at its nearest end.
    const int bits = BitsPerWord();
    const long long low = isSigned ? -(1LL << (bits - 1)) : 0;
    const long long high = isSigned ? (1LL << (bits - 1)) - 1 : WordMask(bits);
    result = static_cast<std::uint32_t>(std::clamp(std::stoll(text), low, high)) & WordMask(bits);
  }
  return true;
}

void ChangeFormat(WordFormat& format, int newFormat) {
  format.format = newFormat;
  if (IsSingleBitFormat(newFormat)) format.base = BASE_BINARY;
}

void ChangeBase(WordFormat& format, int newBase) {
  format.base = newBase;
  if (newBase != BASE_BINARY && IsSingleBitFormat(format.format)) format.format = FORMAT_8;
}

}  // namespace AppDump
