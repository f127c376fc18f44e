#include "AppDumpFormat.h"

#include <gtest/gtest.h>

#include <vector>

using namespace AppDump;

namespace {

WordFormat MakeFormat(int base, int format, bool motorola = false, bool isSigned = true, bool prefix = false) {
  WordFormat f;
  f.base = base;
  f.format = format;
  f.motorola = motorola;
  f.isSigned = isSigned;
  f.hexPrefix = prefix;
  return f;
}

struct TextCase {
  WordFormat format;
  std::vector<std::uint8_t> bytes;
  const char* text;
};

}  // namespace

// Every base and width: the digits, the padding to the word's width, the
// byte order and the signed extremes; each text fills the column's width
// (the widths' table), and the separator follows the word.
TEST(AppDumpFormat, WordTextPadsEachBaseAndWidth) {
  const TextCase cases[] = {
      {MakeFormat(BASE_HEXA, FORMAT_8), {0x0A}, "0A"},
      {MakeFormat(BASE_HEXA, FORMAT_8, false, true, true), {0x0A}, "0x0A"},
      {MakeFormat(BASE_HEXA, FORMAT_16), {0x34, 0x12}, "1234"},
      {MakeFormat(BASE_HEXA, FORMAT_16, true), {0x34, 0x12}, "3412"},
      {MakeFormat(BASE_HEXA, FORMAT_16, false, true, true), {0x34, 0x12}, "1234"},  // prefix is 8-bit only
      {MakeFormat(BASE_HEXA, FORMAT_32), {0x78, 0x56, 0x34, 0x12}, "12345678"},
      {MakeFormat(BASE_HEXA, FORMAT_32, true), {0x78, 0x56, 0x34, 0x12}, "78563412"},
      {MakeFormat(BASE_BINARY, FORMAT_8), {0x05}, "00000101"},
      {MakeFormat(BASE_BINARY, FORMAT_16), {0x01, 0x80}, "1000000000000001"},
      {MakeFormat(BASE_BINARY, FORMAT_32), {0x01, 0, 0, 0x80}, "10000000000000000000000000000001"},
      {MakeFormat(BASE_DECIMAL, FORMAT_8), {0x05}, "+005"},
      {MakeFormat(BASE_DECIMAL, FORMAT_8), {0x80}, "-128"},
      {MakeFormat(BASE_DECIMAL, FORMAT_8, false, false), {0xFF}, " 255"},
      {MakeFormat(BASE_DECIMAL, FORMAT_16, true), {0xFF, 0x7F}, "-00129"},
      {MakeFormat(BASE_DECIMAL, FORMAT_16), {0x00, 0x80}, "-32768"},
      {MakeFormat(BASE_DECIMAL, FORMAT_16, false, false), {0xFF, 0xFF}, " 65535"},
      {MakeFormat(BASE_DECIMAL, FORMAT_32), {0x00, 0x00, 0x00, 0x80}, "-2147483648"},
      {MakeFormat(BASE_DECIMAL, FORMAT_32), {0x01, 0x00, 0x00, 0x00}, "+0000000001"},
      {MakeFormat(BASE_DECIMAL, FORMAT_32, false, false), {0xFF, 0xFF, 0xFF, 0xFF}, " 4294967295"},
      {MakeFormat(BASE_BINARY, FORMAT_BIT_BY_BIT), {0xA5}, "1 0 1 0 0 1 0 1"},
      {MakeFormat(BASE_BINARY, FORMAT_ONE_BIT), {0x03}, "1"},
      {MakeFormat(BASE_BINARY, FORMAT_ONE_BIT), {0x02}, "0"},
  };
  for (const TextCase& c : cases) {
    const std::uint32_t value = c.format.ReadWord(c.bytes.data(), c.bytes.size(), 0);
    const std::string text = c.format.WordText(value);
    EXPECT_EQ(text, c.text) << "base " << c.format.base << " format " << c.format.format;
    EXPECT_EQ(static_cast<int>(text.size()), c.format.TextChars()) << c.text;
  }
  std::string line;
  WordFormat spaced = MakeFormat(BASE_HEXA, FORMAT_8);
  spaced.space = '|';
  spaced.AppendWord(line, 0x1B);
  EXPECT_EQ(line, "1B|");
}

TEST(AppDumpFormat, WordPastTheEndReadsMissingBytesAsZero) {
  const std::uint8_t bytes[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(MakeFormat(BASE_HEXA, FORMAT_16).ReadWord(bytes, 3, 2), 0x0003u);
  EXPECT_EQ(MakeFormat(BASE_HEXA, FORMAT_16, true).ReadWord(bytes, 3, 2), 0x0300u);
  EXPECT_EQ(MakeFormat(BASE_HEXA, FORMAT_32).ReadWord(bytes, 3, 0), 0x00030201u);
}

TEST(AppDumpFormat, WriteWordIsTheReverseOfReadInBothOrders) {
  for (const bool motorola : {false, true}) {
    const WordFormat f = MakeFormat(BASE_HEXA, FORMAT_32, motorola);
    std::uint8_t out[4] = {};
    f.WriteWord(0x12345678u, out);
    EXPECT_EQ(f.ReadWord(out, 4, 0), 0x12345678u);
    EXPECT_EQ(out[0], motorola ? 0x12 : 0x78);
  }
}

TEST(AppDumpFormat, PositionsSkipPrefixBlankAndBitSeparators) {
  const WordFormat prefixed = MakeFormat(BASE_HEXA, FORMAT_8, false, true, true);
  EXPECT_EQ(prefixed.FirstPosition(), 2);
  EXPECT_EQ(prefixed.PreviousPosition(2), -1);
  EXPECT_EQ(prefixed.NextPosition(3), -1);
  EXPECT_EQ(MakeFormat(BASE_DECIMAL, FORMAT_16, false, false).FirstPosition(), 1);
  EXPECT_EQ(MakeFormat(BASE_DECIMAL, FORMAT_16).FirstPosition(), 0);
  const WordFormat bits = MakeFormat(BASE_BINARY, FORMAT_BIT_BY_BIT);
  EXPECT_EQ(bits.NextPosition(0), 2);
  EXPECT_EQ(bits.NextPosition(14), -1);
  EXPECT_EQ(bits.ValidPosition(3), 4);
  EXPECT_EQ(bits.ValidPosition(99), 14);
}

namespace {

struct TypeCase {
  WordFormat format;
  std::uint32_t value;
  int pos;
  char typed;
  bool accepted;
  std::uint32_t result;
};

}  // namespace

// A digit replaces the character under the caret; decimals stay in range;
// characters that do not belong at that place are refused.
TEST(AppDumpFormat, TypeCharWritesOneDigitOrRefuses) {
  const TypeCase cases[] = {
      {MakeFormat(BASE_HEXA, FORMAT_16), 0x1234, 0, 'a', true, 0xA234},
      {MakeFormat(BASE_HEXA, FORMAT_16, true), 0x1234, 3, 'F', true, 0x123F},
      {MakeFormat(BASE_HEXA, FORMAT_8, false, true, true), 0x00, 2, '7', true, 0x70},
      {MakeFormat(BASE_HEXA, FORMAT_8, false, true, true), 0x00, 1, '7', false, 0},
      {MakeFormat(BASE_HEXA, FORMAT_8), 0x00, 0, 'g', false, 0},
      {MakeFormat(BASE_BINARY, FORMAT_8), 0x00, 0, '1', true, 0x80},
      {MakeFormat(BASE_BINARY, FORMAT_8), 0x00, 0, '2', false, 0},
      {MakeFormat(BASE_BINARY, FORMAT_BIT_BY_BIT), 0x00, 14, '1', true, 0x01},
      {MakeFormat(BASE_BINARY, FORMAT_ONE_BIT), 0xF0, 0, '1', true, 0xF1},
      {MakeFormat(BASE_BINARY, FORMAT_ONE_BIT), 0xF1, 0, '0', true, 0xF0},
      {MakeFormat(BASE_DECIMAL, FORMAT_8, false, false), 5, 1, '2', true, 205},
      {MakeFormat(BASE_DECIMAL, FORMAT_8, false, false), 255, 1, '9', true, 255},  // 955 held at 255
      {MakeFormat(BASE_DECIMAL, FORMAT_8, false, false), 5, 0, '1', false, 0},    // the blank
      {MakeFormat(BASE_DECIMAL, FORMAT_16), 0xFF7F, 0, '+', true, 129},            // -00129 -> +00129
      {MakeFormat(BASE_DECIMAL, FORMAT_8), 0x80, 0, '+', true, 0x7F},              // -128 -> +127
      {MakeFormat(BASE_DECIMAL, FORMAT_32), 0, 10, '7', true, 7},
      {MakeFormat(BASE_DECIMAL, FORMAT_16), 0, 1, '-', false, 0},                  // sign off its place
      {MakeFormat(BASE_DECIMAL, FORMAT_16), 0, 0, '4', false, 0},                  // digit on the sign
      {MakeFormat(BASE_DECIMAL, FORMAT_16), 0, 1, 'a', false, 0},
  };
  for (const TypeCase& c : cases) {
    std::uint32_t result = 0;
    EXPECT_EQ(c.format.TypeChar(c.value, c.pos, c.typed, result), c.accepted)
        << "'" << c.typed << "' at " << c.pos << " in " << c.format.WordText(c.value);
    if (c.accepted) {
      EXPECT_EQ(result, c.result) << "'" << c.typed << "' in " << c.format.WordText(c.value);
    }
  }
}

TEST(AppDumpFormat, SingleBitFormatsAreBinaryAndOtherBasesLeaveThem) {
  WordFormat f = MakeFormat(BASE_HEXA, FORMAT_16);
  ChangeFormat(f, FORMAT_ONE_BIT);
  EXPECT_EQ(f.base, BASE_BINARY);
  ChangeBase(f, BASE_HEXA);
  EXPECT_EQ(f.format, FORMAT_8);
  ChangeFormat(f, FORMAT_BIT_BY_BIT);
  ChangeBase(f, BASE_BINARY);
  EXPECT_EQ(f.format, FORMAT_BIT_BY_BIT);
  ChangeFormat(f, FORMAT_32);
  EXPECT_EQ(f.base, BASE_BINARY);
}
