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
  CAppVariant(const std::string& text) { SetString(text); }
  CAppVariant(const char* text) { SetString(text != nullptr ? text : ""); }
  CAppVariant(std::int32_t value) { SetInt(VT_I4, value); }
  CAppVariant(std::uint32_t value) { SetUInt(VT_UI4, value); }
  CAppVariant(std::int64_t value) { SetInt(VT_I8, value); }
  CAppVariant(std::uint64_t value) { SetUInt(VT_UI8, value); }
  CAppVariant(double value) { SetDouble(VT_R8, value); }
  // A copy of a string shares its characters until one of the two changes.
  CAppVariant(const CAppVariant& other) noexcept : m_vt(other.m_vt), m_n(other.m_n) {
    if (m_vt == VT_BSTR) ++m_n.s->refs;
  }
  CAppVariant(CAppVariant&& other) noexcept : m_vt(other.m_vt), m_n(other.m_n) {
    other.m_vt = VT_EMPTY;
    other.m_n.u = 0;
  }
  CAppVariant& operator=(const CAppVariant& other);
  CAppVariant& operator=(CAppVariant&& other) noexcept;
  ~CAppVariant() { Clear(); }

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

  // Raw reads of the stored value (integers sign- or zero-extended by type);
  // 0 and "" for a value of another kind.
  std::int64_t GetInt64() const { return m_vt != VT_BSTR ? m_n.i : 0; }
  std::uint64_t GetUInt64() const { return m_vt != VT_BSTR ? m_n.u : 0; }
  double GetDouble() const { return m_vt != VT_BSTR ? m_n.d : 0.0; }
  const std::string& GetStringRef() const { return m_vt == VT_BSTR ? m_n.s->text : EmptyString(); }

  // Makes this variant a copy of `source` (of itself when null) converted to
  // `code`:
  //   1. itself, already of that code: nothing happens;
  //   2. ConvertValue; success ends the change;
  //   3. otherwise, for a target of I1, UI1, I2, UI2, I4 or UI4 only, the
  //      source is read as a 32-bit word: a signed or unsigned integer of at
  //      most 32 bits by its value, a string by StringToDwordThrow with the
  //      target's sign and every base (so "0x1F", "B101", "017" and digit
  //      groups are read);
  //   4. with `align` the word is cut to the target's width (AllignType), so
  //      300 becomes 44 in UI1 and 0xFFFF becomes -1 in I2;
  //   5. the word, as an I4 or UI4 by the target's sign, goes through
  //      ConvertValue once more, which still refuses what does not fit.
  // Failure throws "CAppVariant : can't make this kind of convertion" and
  // leaves this variant unchanged; a text that is no number fails the same way.
  void ChangeTypeThrow(std::uint16_t code, const CAppVariant* source, bool align);
  // ChangeTypeThrow, but a failure shows the soft error 13689 instead of
  // throwing; the variant then keeps its old value and type.
  void ChangeType(std::uint16_t code, const CAppVariant* source, bool align);

  // The plain value conversion between the codes a variant holds (empty,
  // I1..UI8, R4, R8, string), in place of the platform's variant conversion,
  // and independent of any locale. Returns false, leaving `result` alone,
  // when it cannot convert. Rules:
  //   - to empty: always succeeds; from empty: 0 for a number, "" for a string;
  //   - integer to integer: the value, failing when it does not fit;
  //   - floating to integer: rounded half to even, failing when it does not
  //     fit or is not finite; to R4 a finite value beyond float range fails;
  //   - string to number: optional blanks, then a decimal integer
  //     ([+-]digits, exact on 64 bits) or a decimal fraction ("12.5", "1e3",
  //     ".5"; read as R8, then the floating rule), then optional blanks;
  //     prefixes, digit groups, "inf" and "nan" are refused (the type change
  //     above reads prefixed texts itself);
  //   - number to string: integers as decimal digits with "-" when negative;
  //     floating values as the shortest text that reads back the same
  //     ("1.5", "1e+20", "0.1" for the R4 0.1f).
  // Any other code, on either side, fails.
  static bool ConvertValue(const CAppVariant& source, std::uint16_t code, CAppVariant& result);

  // The value as a 32-bit number: the value itself for VT_I4 / VT_UI4,
  // otherwise ChangeType with align on a copy. When that fails (soft error
  // 13689) the answer is the low 32 bits of an integer copy, else 0.
  std::int32_t ToInt32() const;
  std::uint32_t ToUInt32() const;

  // The value as text: a string gives its text, anything else goes through
  // ConvertValue (an empty variant gives ""); a code it does not know throws
  // "CAppVariant : can't make this kind of convertion".
  std::string ToString() const;

  bool operator==(const CAppVariant& other) const;

private:
  // A string value, held by the variant and its unchanged copies.
  struct SharedString {
    std::string text;
    std::uint32_t refs;
  };
  static const std::string& EmptyString();

  // A number in place; a string on the heap only when the variant is one.
  std::uint16_t m_vt = VT_EMPTY;
  union {
    std::int64_t i;
    std::uint64_t u;
    double d;
    SharedString* s;
  } m_n{0};
};
