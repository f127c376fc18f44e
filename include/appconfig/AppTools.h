// Shared helpers of the library: flag sets, numeric type codes, string maps,
// resource strings, path splitting, and the number parsers and formatters.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Parameter behaviour bits (a parameter's CAppTools::Flags).
enum : std::uint32_t {
  PF_HIDDEN = 0x0001,
  PF_READONLY = 0x0002,
  PF_VIEW_1 = 0x0004,
  PF_VIEW_2 = 0x0008,
  PF_VIEW_3 = 0x0010,
  PF_VIEW_4 = 0x0020,
  PF_NO_PROPERTIES = 0x0040,
  PF_DEBUG = 0x0080,
  PF_NO_DATA = 0x0100,
  PF_MOTOROLA = 0x0400,
  PF_NO_RANGE_CHECK = 0x0800,
  PF_NO_CHECK = 0x1000,
  PF_NO_CHECK_SUBTREE = 0x2000,
  PF_MASKED_VALUE = 0x4000,
};

class CAppTools {
public:
  CAppTools() = delete;

  // Display bases as bits; a set of bases is their OR.
  enum EN_BASE : std::uint32_t {
    BASE_BIN = 1,
    BASE_OCT = 2,
    BASE_DEC = 4,
    BASE_HEX = 8,
    BASE_FLOAT = 16,
  };

  // A 32-bit set of behaviour bits.
  class Flags {
  public:
    Flags() = default;
    Flags(std::uint32_t value) : m_nValue(value) {}
    ~Flags() = default;
    Flags(const Flags&) = default;
    Flags& operator=(const Flags&) = default;
    Flags& operator=(std::uint32_t value) {
      m_nValue = value;
      return *this;
    }
    operator std::uint32_t() const { return m_nValue; }

    // True when every bit of mask is set; a mask of 0 is always true.
    bool IsFlagsEnable(std::uint32_t mask) const { return (m_nValue & mask) == mask; }
    // Clears `remove` first, then sets `add`.
    void ModifyFlags(std::uint32_t remove, std::uint32_t add) {
      m_nValue = (m_nValue & ~remove) | add;
    }

  private:
    std::uint32_t m_nValue = 0;
  };

  // One row of the numeric type table (see FindTypeInfo).
  struct TypeInfo {
    const char* name;  // null: known to the size and sign queries only
    std::uint32_t code;
    std::uint32_t bits;
    bool isSigned;
    bool isFloat;
  };

  // The table row of a code, looked up with the code masked to its low 12
  // bits; null for a code the table does not know. Callers that need an exact
  // code compare `code` themselves.
  static const TypeInfo* FindTypeInfo(std::uint32_t code);

  // A numeric type code in variant numbering (VARTYPE).
  class Type {
  public:
    // Codes of the library's own, used as record field types.
    enum : std::uint32_t {
      VT_APP_STRING = 0x0800,
      VT_APP_FLAGS = 0x0801,
      VT_APP_PARAM = 0x0802,
      VT_APP_TYPE = 0x0804,
      VT_APP_ARRAY = 0x2000,
    };

    Type() = default;
    Type(std::uint32_t code) : m_nCode(code) {}
    Type(std::int32_t code) : m_nCode(static_cast<std::uint32_t>(code)) {}
    // Looks the name up without regard to case; an unknown name throws
    // "Bad Type :<name>".
    explicit Type(const std::string& name) { StringToVT(name); }
    explicit Type(const char* name) { StringToVT(name != nullptr ? name : ""); }
    ~Type() = default;
    Type(const Type&) = default;
    Type& operator=(const Type&) = default;

    Type& operator=(std::uint32_t code) {
      m_nCode = code;
      return *this;
    }
    Type& operator=(std::int32_t code) {
      m_nCode = static_cast<std::uint32_t>(code);
      return *this;
    }
    Type& operator=(std::uint16_t code) {
      m_nCode = code;
      return *this;
    }
    Type& operator=(std::int16_t code) {
      m_nCode = static_cast<std::uint32_t>(static_cast<std::int32_t>(code));
      return *this;
    }
    Type& operator=(const std::string& name) {
      StringToVT(name);
      return *this;
    }
    operator std::uint32_t() const { return m_nCode; }
    explicit operator std::uint16_t() const { return static_cast<std::uint16_t>(m_nCode); }
    explicit operator std::int16_t() const { return static_cast<std::int16_t>(m_nCode); }
    explicit operator std::int32_t() const { return static_cast<std::int32_t>(m_nCode); }

    std::uint32_t GetCode() const { return m_nCode; }
    // Bits of the type (code masked to its low 12 bits); 0 for unknown codes.
    std::uint32_t GetBitSize() const;
    bool IsSigned() const;
    // Low GetBitSize() bits; all 32 bits for 32/64-bit types and for size 0.
    std::uint32_t GetMask() const;
    // Low GetBitSize() bits; 0 for a code of size 0.
    std::uint64_t GetMask64() const;

  private:
    void StringToVT(const std::string& name);
    std::uint32_t m_nCode = 0;
  };

  // Map from string to a 32-bit reference, ignoring letter case.
  class MapStringToRef {
  public:
    virtual ~MapStringToRef() = default;
    // A string already present (in any case) throws "Key Error".
    void SetRef(const std::string& text, std::uint32_t ref);
    bool GetRef(const std::string& text, std::uint32_t& ref) const;
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_map.size()); }
    void RemoveAll() { m_map.clear(); }

  private:
    std::unordered_map<std::string, std::uint32_t> m_map;
  };

  // Dense index for each distinct string, comparing exactly.
  class MapStringToIndex {
  public:
    static constexpr std::uint32_t npos = 0xFFFFFFFFu;
    virtual ~MapStringToIndex() = default;
    // The string's index; an unknown string is appended when `add` is true,
    // else the result is npos.
    std::uint32_t GetIndex(const std::string& text, bool add);
    // An index at or above the count throws "Error".
    const std::string& GetString(std::uint32_t index) const;
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_strings.size()); }
    void RemoveAll();

  private:
    std::vector<std::string> m_strings;
    std::unordered_map<std::string, std::uint32_t> m_index;
  };

  // The name of a code of the type name table; any other code throws "Error".
  static std::string VtToString(std::uint32_t code);

  // The library's resource string of that id (UTF-8), or "" when unknown.
  static std::string LoadString(unsigned id);
  // A modal message box (APP_MB_ style, APP_ID answer: AppUserInterface.h)
  // through the installed user interface; throws without one.
  static int MessageBox(const std::string& text, unsigned style);

  // printf-style formatting into a std::string.
  static std::string Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 1, 2)))
#endif
      ;
  static std::string FormatV(const char* format, va_list args);

  // Upper case used for every case-insensitive key: ASCII letters and the
  // Latin-1 letters of UTF-8 text (e.g. "é" -> "É"); other bytes unchanged.
  static std::string MakeUpper(std::string text);

  // Wildcard match of a key against a pattern, compared as given: "*"
  // matches the rest of the key (whatever follows it in the pattern), "?"
  // any one character but not the end of the key.
  static bool MatchKey(const std::string& key, const std::string& pattern);

  // --- Number parsing -----------------------------------------------------
  // `bases` is a set of EN_BASE bits (0xFFFFFFFF: all) choosing the notations
  // accepted. After leading blanks, the first character may fix the base:
  // "+" or "-" decimal (only if decimal is allowed), "0X" hexadecimal, "0"
  // octal (the "0" is a digit), "B" binary. Without a prefix, a single
  // allowed base of binary, octal or hexadecimal is used, else decimal must be
  // allowed. Letters are read in either case. Blanks between digits are digit
  // groups, ignored in bases 2 and 16 (wherever they stand after the prefix)
  // and refused in the others. Signed decimal input must fit in 31 bits
  // (63 for StringToInt64), everything else in 32 (64) bits; a leading "-"
  // negates the result (two's complement). A leading "0" that does not start
  // "0X" always counts as a digit. Blanks are space, tab, CR and LF.
  //
  // A null text throws "Bad pointer"; any other failure throws a
  // CAppException with an empty message (file AppTools), which is not logged:
  // callers catch it as a plain "not a number" answer.
  static std::uint32_t StringToDwordThrow(const char* text, bool isSigned, std::uint32_t bases);
  static std::uint64_t StringToInt64(const char* text, bool isSigned, std::uint32_t bases);
  // StringToDwordThrow, but a text that does not parse, or no text at all
  // (null), shows the soft error 13688 and gives 0; it never throws.
  static std::uint32_t StringToDword(const char* text, bool isSigned, std::uint32_t bases);

  // Strict comparisons, as signed 64-bit numbers when `isSigned`.
  static bool IsSuperiorTo(std::uint64_t a, std::uint64_t b, bool isSigned);
  static bool IsInferiorTo(std::uint64_t a, std::uint64_t b, bool isSigned);

  // Fits a word to `bits`: unchanged for 32 bits or more; otherwise only the
  // low bits are kept, sign-extended when `isSigned` (0 bits gives 0).
  static std::uint32_t AllignType(std::uint32_t value, bool isSigned, std::uint32_t bits);

  // --- Formatting -----------------------------------------------------------
  // The value through a printf-style format holding at most one conversion
  // that takes an integer: d i u o x X, with flags, width, precision and
  // size letters (h hh l ll j z t q w L I I32 I64 F N), or c, the low byte as
  // a character (only "-" and the width count for it); literal text and "%%"
  // anywhere around it. "h" keeps the low 16 bits, "hh" the low 8; other sizes
  // read the 32-bit value ("d" and "i" as signed). Flags that C leaves
  // undefined for a conversion ("#" on d i u) are dropped. A null format
  // throws "Bad pointer"; a conversion that would read anything but that one
  // integer (s, n, p, f, a "*" width, a second conversion), or a width or
  // precision above 1024, throws "Bad format :<format>".
  static std::string DwordToString(std::uint32_t value, const char* format);
  // "0" for zero, else the binary digits from the highest set bit down, with
  // a blank after each bit whose number is a multiple of 4 (bit 0 included):
  // 5 gives "101 ", 0x1F gives "1 1111 ".
  static std::string BinaryToString(std::uint32_t value);
  static std::string Binary64ToString(std::uint64_t value);
  // Every byte through the format (same rules as DwordToString), concatenated.
  static std::string Dump(const std::vector<std::uint8_t>& bytes, const char* format);
  // The base a printf-style format displays: after the first "%" the
  // characters "#*+.0-9FILNhl" are passed over; then "b"/"B" is binary,
  // "x"/"X" hexadecimal, "o" octal, "e" "f" "g" "G" floating point, and
  // anything else (or no conversion at all) decimal.
  static EN_BASE GetFormatBase(const char* format);
  // Every LF becomes CR LF; CRs of the input are dropped.
  static std::string FormatReturn(const std::string& text);

  // Appends the bytes written in `text` as numbers separated by blanks or
  // commas: decimal for BASE_DEC, hexadecimal without prefix for BASE_HEX.
  // Another base shows the soft error 13687 and appends nothing. A digit
  // outside the base or a number above 255 throws "Error"; the bytes read
  // before it stay appended.
  static void GetData(std::vector<std::uint8_t>& out, const char* text, std::uint32_t base);

  // --- Keys and addresses ---------------------------------------------------
  // Strips an auto-index suffix: "Item_12" -> "Item", "Item_" -> "Item";
  // "Item12" and "_12" are returned unchanged.
  static std::string GetRootKey(const std::string& key);
  // Reads a dotted address a.b.c.d (each part by the C atoi rule, at most 16
  // characters scanned, missing parts 0) as a + b<<8 + c<<16 + d<<24, the
  // sums wrapping modulo 2^32.
  static void IPStringToDword(const char* text, std::uint32_t& value);

  // --- Platform -------------------------------------------------------------
  // The document of that id compiled into the library (its own schemas),
  // as characters; false, and `text` unchanged, for an unknown id.
  static bool LoadXML(unsigned id, std::string& text);
  // Version (major*65536 + minor) of a common-control library. There is no
  // versioned control DLL here: "Comctl32" and "shlwapi" (any case) report
  // 6.0, any other name 0 (not found).
  static std::uint32_t GetDllVersion(const char* libraryName);
  // The smaller version of "Comctl32" and "shlwapi", computed once.
  static std::uint32_t GetCtrlDllVersion();

  // Splits a path: `path` becomes its key (after the last "\"), `steps`
  // receives the runs of ".", of "\" and of other characters before it.
  static void KeyToPaths(std::vector<std::string>& steps, std::string& path);
};
