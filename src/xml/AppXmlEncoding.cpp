// Decoding of description files into UTF-8 before they reach the parser, so
// that parse offsets always refer to one known text.
#include "AppXmlInternal.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool Utf16ToUtf8(std::string& bytes, std::size_t start, bool bigEndian, std::string& reason) {
  if ((bytes.size() - start) % 2 != 0) {
    reason = "UTF-16 text has an odd number of bytes";
    return false;
  }
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) {
    const auto b0 = static_cast<std::uint8_t>(bytes[i]);
    const auto b1 = static_cast<std::uint8_t>(bytes[i + 1]);
    return static_cast<std::uint32_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
  };
  for (std::size_t i = start; i < bytes.size(); i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      const std::uint32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        reason = "Invalid UTF-16 surrogate pair at byte " + std::to_string(i);
        return false;
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      reason = "Invalid UTF-16 surrogate pair at byte " + std::to_string(i);
      return false;
    }
    AppendUtf8(out, cp);
  }
  bytes.swap(out);
  return true;
}

// The second half of windows-1252 where it differs from ISO-8859-1; 0 marks
// the five undefined bytes.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool SingleByteToUtf8(std::string& bytes, bool windows1252, std::string& reason) {
  const auto isHigh = [](char c) { return (c & 0x80) != 0; };
  auto high = std::find_if(bytes.begin(), bytes.end(), isHigh);
  if (high == bytes.end()) return true;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  auto from = bytes.begin();
  while (from != bytes.end()) {
    out.append(from, high);  // the ASCII run, as is
    if (high == bytes.end()) break;
    std::uint32_t cp = static_cast<std::uint8_t>(*high);
    if (windows1252 && cp < 0xA0) {
      cp = kCp1252High[cp - 0x80];
      if (cp == 0) {
        reason = "Byte " + std::to_string(high - bytes.begin()) + " is not defined in windows-1252";
        return false;
      }
    }
    AppendUtf8(out, cp);
    from = high + 1;
    high = std::find_if(from, bytes.end(), isHigh);
  }
  bytes.swap(out);
  return true;
}

bool IsBadUtf8(std::string_view bytes, std::string& reason) {
  const std::size_t bad = AppXmlFindBadUtf8(bytes);
  if (bad == std::string_view::npos) return false;
  reason = AppXmlBadUtf8Reason(bytes, bad);
  return true;
}

// The encoding named by an XML declaration at the start of 8-bit text; empty
// when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (bytes.substr(0, 5) != "<?xml") return {};
  const std::size_t end = bytes.find("?>");
  if (end == std::string_view::npos || end > 1024) return {};
  const std::string_view decl = bytes.substr(0, end);
  const std::size_t key = decl.find("encoding");
  if (key == std::string_view::npos) return {};
  std::size_t pos = decl.find_first_not_of(" \t\r\n", key + 8);
  if (pos == std::string_view::npos || decl[pos] != '=') return {};
  pos = decl.find_first_not_of(" \t\r\n", pos + 1);
  if (pos == std::string_view::npos || (decl[pos] != '"' && decl[pos] != '\'')) return {};
  const std::size_t close = decl.find(decl[pos], pos + 1);
  if (close == std::string_view::npos) return {};
  return std::string(decl.substr(pos + 1, close - pos - 1));
}

bool StartsWith(std::string_view bytes, const char* prefix, std::size_t n) {
  return bytes.size() >= n && bytes.compare(0, n, prefix, n) == 0;
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsUtf8Name(const std::string& lower) {
  return lower.empty() || lower == "utf-8" || lower == "utf8" || lower == "us-ascii" || lower == "ascii";
}

// Whether the bytes are UTF-16, from a byte-order mark (of `mark` bytes) or,
// without one, from the "<?" every XML file starts with as two 16-bit units.
bool IsUtf16(std::string_view bytes, std::size_t& mark, bool& bigEndian) {
  mark = 0;
  bigEndian = false;
  if (StartsWith(bytes, "\xFF\xFE", 2)) {
    mark = 2;
  } else if (StartsWith(bytes, "\xFE\xFF", 2)) {
    mark = 2;
    bigEndian = true;
  } else if (StartsWith(bytes, "\0<\0?", 4)) {
    bigEndian = true;
  } else if (!StartsWith(bytes, "<\0?\0", 4)) {
    return false;
  }
  return true;
}

// The length of the well-formed UTF-8 character at the start of `text`
// (none overlong, no surrogate, nothing above U+10FFFF) and its code point;
// 0 when the bytes there are not one.
std::size_t DecodeUtf8(std::string_view text, std::uint32_t& cp) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint32_t min = 0;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool IsAsciiWord(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return (word & 0x8080808080808080ull) == 0;
}

}  // namespace

std::size_t AppXmlFindBadUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Descriptions are mostly ASCII: eight bytes at a time while they are.
    while (i + 8 <= text.size() && IsAsciiWord(text.data() + i)) i += 8;
    if (i >= text.size()) break;
    std::uint32_t cp = 0;
    const std::size_t length = DecodeUtf8(text.substr(i), cp);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

std::size_t AppXmlFindBadChar(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    const std::size_t length = DecodeUtf8(text.substr(i), cp);
    const bool isChar = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                        (cp >= 0xE000 && cp <= 0xFFFD) || cp >= 0x10000;
    if (length == 0 || !isChar) return i;
    i += length;
  }
  return std::string_view::npos;
}

bool AppXmlDecodeToUtf8(std::string& bytes, std::string& reason) {
  std::size_t skip = 0;
  if (AppXmlIsUtf8(bytes, skip)) {
    bytes.erase(0, skip);
    return !IsBadUtf8(bytes, reason);
  }
  bool bigEndian = false;
  if (IsUtf16(bytes, skip, bigEndian)) return Utf16ToUtf8(bytes, skip, bigEndian, reason);

  const std::string declared = DeclaredEncoding(bytes);
  const std::string encoding = LowerCase(declared);
  if (encoding == "iso-8859-1" || encoding == "iso8859-1" || encoding == "iso_8859-1" ||
      encoding == "latin1" || encoding == "latin-1" || encoding == "l1") {
    return SingleByteToUtf8(bytes, false, reason);
  }
  if (encoding == "windows-1252" || encoding == "cp1252") return SingleByteToUtf8(bytes, true, reason);
  reason = "Encoding \"" + declared + "\" is not supported";
  return false;
}

bool AppXmlIsUtf8(std::string_view bytes, std::size_t& skip) {
  skip = 0;
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
    skip = 3;
    return true;
  }
  std::size_t mark = 0;
  bool bigEndian = false;
  return !IsUtf16(bytes, mark, bigEndian) && IsUtf8Name(LowerCase(DeclaredEncoding(bytes)));
}

void AppXmlLocate(const std::string& text, std::size_t offset, int& line, int& linePos) {
  offset = std::min(offset, text.size());
  line = 1;
  linePos = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      linePos = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++linePos;  // continuation bytes belong to the character before them
    }
  }
}

std::string AppXmlBadUtf8Reason(std::string_view text, std::size_t offset) {
  char reason[96];
  std::snprintf(reason, sizeof reason, "Invalid UTF-8 byte 0x%02X: the text is not in the encoding it declares",
                static_cast<unsigned>(static_cast<std::uint8_t>(text[offset])));
  return reason;
}
