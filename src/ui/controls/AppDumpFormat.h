// How the hex dump editor writes and reads one word of its data column: the
// display choices, the text of a word, the caret positions inside it and the
// effect of typing a character there. Pure functions of bytes and choices, so
// that the widget only lays the texts out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace AppDump {

enum Base : int { BASE_BINARY = 0, BASE_HEXA = 1, BASE_DECIMAL = 2 };
enum Format : int { FORMAT_8 = 0, FORMAT_16 = 1, FORMAT_32 = 2, FORMAT_BIT_BY_BIT = 3, FORMAT_ONE_BIT = 4 };

// Every choice that changes the text of a word.
struct WordFormat {
  int base = BASE_HEXA;
  int format = FORMAT_8;
  bool motorola = false;
  bool isSigned = true;
  bool hexPrefix = false;
  char space = ' ';

  int BitsPerWord() const;
  int BytesPerWord() const { return BitsPerWord() / 8; }
  // Width of a word in the data column, the separator included.
  int CharsPerWord() const;
  // Width of the word's own text, without the separator.
  int TextChars() const { return CharsPerWord() - 1; }

  // The word that starts at `offset`; bytes beyond `size` read as zero so
  // that a last, incomplete word still shows.
  std::uint32_t ReadWord(const std::uint8_t* bytes, std::size_t size, std::size_t offset) const;
  // Writes the bytes of `value` at `out` (BytesPerWord() bytes) in the order.
  void WriteWord(std::uint32_t value, std::uint8_t* out) const;

  // The text of a word, separator excluded (TextChars() characters).
  std::string WordText(std::uint32_t value) const;
  // Appends the text of a word and its separator.
  void AppendWord(std::string& line, std::uint32_t value) const;

  // Caret positions inside a word: the characters a digit can be typed on.
  // The "0x" prefix, the blank of unsigned decimals and the blanks between
  // single bits are passed over; a signed decimal starts on its sign.
  int FirstPosition() const;
  int LastPosition() const;
  // The next or previous position, or -1 past either end of the word.
  int NextPosition(int pos) const;
  int PreviousPosition(int pos) const;
  // Nearest valid position at or after `pos`, clamped to the word.
  int ValidPosition(int pos) const;

  // Whether `c` can be typed into the data column at all in this base.
  bool AcceptsChar(char c) const;
  // The word after typing `c` at caret position `pos` of the word `value`;
  // false when the character does not fit there (a letter in decimal, a sign
  // anywhere but the first position of a signed decimal...). A decimal that
  // leaves the word's range is held at its nearest end.
  bool TypeChar(std::uint32_t value, int pos, char c, std::uint32_t& result) const;
};

// The setters' rules between base and format: single bits are binary, and
// another base takes the format back to 8 bits.
void ChangeFormat(WordFormat& format, int newFormat);
void ChangeBase(WordFormat& format, int newBase);

}  // namespace AppDump
