// Shared helpers of the library: flag sets, numeric type codes, string maps,
// resource strings and path splitting.
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
    virtual ~Flags() = default;
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
    virtual ~Type() = default;
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

  // Splits a path: `path` becomes its key (after the last "\"), `steps`
  // receives the runs of ".", of "\" and of other characters before it.
  static void KeyToPaths(std::vector<std::string>& steps, std::string& path);
};
