#include "AppDumpFormat.h"

#include <algorithm>
#include <cctype>

namespace AppDump {
namespace {

// Characters per word, separator included, by base and format.
constexpr int kCharsPerWord[3][5] = {
    {9, 17, 33, 16, 2},  // binary
    {3, 5, 9, 16, 2},    // hexadecimal
    {5, 7, 12, 16, 2},   // decimal
};
constexpr int kBitsPerWord[5] = {8, 16, 32, 8, 8};
constexpr char kDigits[] = "0123456789ABCDEF";

bool IsSingleBitFormat(int format) { return format == FORMAT_BIT_BY_BIT || format == FORMAT_ONE_BIT; }

std::uint32_t WordMask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The signed reading of the low `bits` bits.
std::int64_t SignedValue(std::uint32_t value, int bits) {
  const std::uint32_t sign = 1u << (bits - 1);
  const std::int64_t low = value & WordMask(bits);
  return (low & sign) != 0 ? low - (std::int64_t{1} << bits) : low;
}

// As printf writes it with "%+.<n>d" (signed) or " %.<n>u" (unsigned), n being
// the characters per word less 2; the text's first TextChars() characters.
std::string DecimalText(const WordFormat& f, std::uint32_t value) {
  const int bits = f.BitsPerWord();
  const std::size_t precision = static_cast<std::size_t>(f.CharsPerWord() - 2);
  const std::int64_t number = f.isSigned ? SignedValue(value, bits) : std::int64_t{value & WordMask(bits)};
  std::string digits = std::to_string(number < 0 ? -number : number);
  if (digits.size() < precision) digits.insert(0, precision - digits.size(), '0');
  const char lead = !f.isSigned ? ' ' : number < 0 ? '-' : '+';
  return (lead + digits).substr(0, static_cast<std::size_t>(f.TextChars()));
}

std::string DigitsText(std::uint32_t value, int digits, int bitsPerDigit) {
  std::string text(static_cast<std::size_t>(digits), '0');
  const std::uint32_t mask = (1u << bitsPerDigit) - 1u;
  for (int i = digits - 1; i >= 0; --i, value >>= bitsPerDigit)
    text[static_cast<std::size_t>(i)] = kDigits[value & mask];
  return text;
}

std::string BitByBitText(std::uint32_t value) {
  std::string text;
  for (int bit = 7; bit >= 0; --bit) {
    text += ((value >> bit) & 1u) != 0 ? '1' : '0';
    if (bit != 0) text += ' ';
  }
  return text;
}

// The reverse of the texts above (FromHexa, FromBinaire, FromDecimal): the
// digits of `text` in the base, blanks and the prefix skipped.
std::uint32_t FromDigits(const std::string& text, int radix) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 'x' && i == 1) continue;
    const int digit = DigitValue(text[i]);
    if (digit < 0 || digit >= radix) continue;
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint32_t>(value);
}

std::uint32_t FromDecimal(const std::string& text, int bits, bool isSigned) {
  std::int64_t value = 0;
  for (const char c : text)
    if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
  if (text.front() == '-') value = -value;
  const std::int64_t low = isSigned ? -(std::int64_t{1} << (bits - 1)) : 0;
  const std::int64_t high = isSigned ? (std::int64_t{1} << (bits - 1)) - 1 : std::int64_t{WordMask(bits)};
  return static_cast<std::uint32_t>(std::clamp(value, low, high)) & WordMask(bits);
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
  if (format == FORMAT_ONE_BIT) return (value & 1u) != 0 ? "1" : "0";
  if (format == FORMAT_BIT_BY_BIT) return BitByBitText(value);
  const int bits = BitsPerWord();
  switch (base) {
    case BASE_BINARY: return DigitsText(value, bits, 1);
    case BASE_DECIMAL: return DecimalText(*this, value);
    case BASE_HEXA: break;
  }
  const std::string digits = DigitsText(value, bits / 4, 4);
  return TextChars() > bits / 4 ? "0x" + digits : digits;
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
  const int digit = DigitValue(c);
  if (format == FORMAT_ONE_BIT || format == FORMAT_BIT_BY_BIT || base == BASE_BINARY) return digit == 0 || digit == 1;
  if (base == BASE_HEXA) return digit >= 0;
  return (digit >= 0 && digit <= 9) || c == '+' || c == '-';
}

bool WordFormat::TypeChar(std::uint32_t value, int pos, char c, std::uint32_t& result) const {
  if (!AcceptsChar(c) || pos < FirstPosition() || pos > LastPosition()) return false;
  std::string text = WordText(value);
  const bool isSignPosition = base == BASE_DECIMAL && isSigned && pos == 0 && !IsSingleBitFormat(format);
  const bool isSign = c == '+' || c == '-';
  if (isSign != isSignPosition || text[static_cast<std::size_t>(pos)] == ' ') return false;
  text[static_cast<std::size_t>(pos)] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (format == FORMAT_ONE_BIT) {
    result = (value & ~1u) | FromDigits(text, 2);
  } else if (format == FORMAT_BIT_BY_BIT || base == BASE_BINARY) {
    result = FromDigits(text, 2);
  } else if (base == BASE_HEXA) {
    result = FromDigits(text, 16);
  } else {
    result = FromDecimal(text, BitsPerWord(), isSigned);
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
