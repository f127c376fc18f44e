// The tagged value through which every parameter value passes in and out.
#pragma once

#include <cstdint>
#include <string>

class CAppVariant {
public:
  // Type codes in variant numbering.
  enum VarType : std::uint16_t {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
  };

  CAppVariant() = default;
  CAppVariant(const std::string& text) : m_vt(VT_BSTR), m_str(text) {}
  CAppVariant(const char* text) : m_vt(VT_BSTR), m_str(text != nullptr ? text : "") {}
  CAppVariant(std::int32_t value) { SetInt(VT_I4, value); }
  CAppVariant(std::uint32_t value) { SetUInt(VT_UI4, value); }
  CAppVariant(std::int64_t value) { SetInt(VT_I8, value); }
  CAppVariant(std::uint64_t value) { SetUInt(VT_UI8, value); }
  CAppVariant(double value) { SetDouble(VT_R8, value); }

  std::uint16_t GetType() const { return m_vt; }
  bool IsEmpty() const { return m_vt == VT_EMPTY; }
  bool IsString() const { return m_vt == VT_BSTR; }
  void Clear();

  // Typed stores; the value is kept in the width of `vt` (two's complement).
  void SetInt(std::uint16_t vt, std::int64_t value);
  void SetUInt(std::uint16_t vt, std::uint64_t value);
  void SetDouble(std::uint16_t vt, double value);
  void SetString(const std::string& text);

  CAppVariant& operator=(std::int32_t value) {
    SetInt(VT_I4, value);
    return *this;
  }
  CAppVariant& operator=(std::uint32_t value) {
    SetUInt(VT_UI4, value);
    return *this;
  }
  CAppVariant& operator=(const std::string& text) {
    SetString(text);
    return *this;
  }

  // Raw reads of the stored value (integers sign- or zero-extended by type).
  std::int64_t GetInt64() const { return m_n.i; }
  std::uint64_t GetUInt64() const { return m_n.u; }
  double GetDouble() const { return m_n.d; }
  const std::string& GetStringRef() const { return m_str; }

  // The value as a 32-bit number: the value itself for VT_I4 / VT_UI4,
  // otherwise the library's type change (with align) on a copy.
  std::int32_t ToInt32() const;
  std::uint32_t ToUInt32() const;

  // The value as text: a string gives its text, an integer its decimal
  // digits, an empty variant "".
  std::string ToString() const;

  bool operator==(const CAppVariant& other) const;

private:
  std::uint16_t m_vt = VT_EMPTY;
  union {
    std::int64_t i;
    std::uint64_t u;
    double d;
  } m_n{0};
  std::string m_str;
};
