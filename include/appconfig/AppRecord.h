// The field visitor through which every format reads and writes a tree.
//
// A parameter's Serialize names each field with Do(name, value); the visits
// below are written once here, and an implementation supplies IsModeLoad,
// GetAddMode, GetField, GetCount, Serialize and Validate.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppText.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppVariant.h"

class CAppRecord {
public:
  // Field type codes set by each visit (0x2000 marks an array).
  enum : std::uint32_t {
    FT_I1 = 0x0010,
    FT_UI1 = 0x0011,
    FT_I2 = 0x0002,
    FT_UI2 = 0x0012,
    FT_I4 = 0x0003,
    FT_UI4 = 0x0013,
    FT_I8 = 0x0014,
    FT_UI8 = 0x0015,
    FT_STRING = 0x0800,
    FT_FLAGS = 0x0801,
    FT_TYPE = 0x0804,
    FT_VARIANT = 0x000C,
    FT_PARAM = 0x0802,
    FT_ARRAY = 0x2000,
    FT_BYTES = 0x2011,
    FT_DWORDS = 0x2013,
    FT_STRINGS = 0x2800,
    FT_GROUP = 0x2802,
  };

  CAppRecord() = default;
  virtual ~CAppRecord() = default;

  virtual bool IsModeLoad();
  virtual CAppParamGroup::EN_ADD_MODE GetAddMode();
  // Whether the current field is visited; a load record must override it.
  virtual bool GetField();
  virtual unsigned GetCount();
  virtual void Validate();
  // Transfers one element of type GetType() at `index` (0 for scalars). For
  // a group field in load mode, `value` points at a null CAppParam* that
  // must receive a new child with its whole subtree.
  virtual void Serialize(void* value, unsigned index) = 0;

  template <class T>
  void Do(const char* name, T& value) {
    SetName(name);
    _Do(value);
  }

  // The visits, in slot order; written once here for every record.
  // Integers take the code of their width and sign, except `long` and
  // `unsigned long`: 32-bit fields (codes FT_I4, FT_UI4) wherever they are
  // wider, as in the files of the platform they come from. Such a field is
  // handed to Serialize as a 32-bit value; one that does not fit 32 bits
  // throws "Value does not fit 32 bits : <name> = <value>" in save mode.
  virtual void _Do(CAppParamGroup& group);
  virtual void _Do(std::list<std::string>& list);
  virtual void _Do(std::vector<std::string>& array);
  virtual void _Do(std::vector<std::uint32_t>& array);
  virtual void _Do(CAppTools::Type& value);
  virtual void _Do(CAppTools::Flags& value);
  virtual void _Do(std::vector<std::uint8_t>& array);
  virtual void _Do(CAppVariant& value);
  virtual void _Do(unsigned long& value);
  virtual void _Do(long& value);
  virtual void _Do(unsigned long long& value);
  virtual void _Do(long long& value);
  virtual void _Do(unsigned int& value);
  virtual void _Do(int& value);
  virtual void _Do(unsigned short& value);
  virtual void _Do(short& value);
  virtual void _Do(unsigned char& value);
  virtual void _Do(signed char& value);
  virtual void _Do(std::string& value);
  // A shared text goes through the string visit (same field code); a
  // loaded text joins the copy of its characters already alive.
  virtual void _Do(CAppText& value);
  virtual void _Do(std::vector<CAppText>& array);

  // The field code of an integer type: by width and sign.
  template <class T>
  static constexpr std::uint32_t IntegerCode() {
    static_assert(std::is_integral_v<T> && sizeof(T) <= 8);
    constexpr bool s = std::is_signed_v<T>;
    switch (sizeof(T)) {
      case 1: return s ? FT_I1 : FT_UI1;
      case 2: return s ? FT_I2 : FT_UI2;
      case 4: return s ? FT_I4 : FT_UI4;
      default: return s ? FT_I8 : FT_UI8;
    }
  }

  // The bytes of an integer field of type `code` (1, 2, 4 or 8); 0 for the
  // other types.
  static constexpr unsigned IntegerBytes(std::uint32_t code) {
    switch (code) {
      case FT_I1: case FT_UI1: return 1;
      case FT_I2: case FT_UI2: return 2;
      case FT_I4: case FT_UI4: return 4;
      case FT_I8: case FT_UI8: return 8;
      default: return 0;
    }
  }
  // The value of an integer field of `bytes` bytes, widened; and the low
  // bytes of `n` stored into one.
  static std::uint64_t LoadInteger(const void* value, unsigned bytes);
  static void StoreInteger(void* value, unsigned bytes, std::uint64_t n);

protected:
  // The current field's name. One given by pointer (Do's names, alive while
  // the field is visited) is copied into a string only when one is asked
  // for: the binary records compare the view.
  const std::string& GetName() const {
    if (m_bNameByPointer) {
      m_strName.assign(m_name);
      m_bNameByPointer = false;
    }
    return m_strName;
  }
  std::string_view GetNameView() const { return m_name; }
  const CAppTools::Type& GetType() const { return m_type; }
  void SetName(const std::string& name) {
    m_strName = name;
    m_name = m_strName;
    m_bNameByPointer = false;
  }
  void SetName(const char* name) {
    m_name = name;
    m_bNameByPointer = true;
  }
  void SetType(std::uint32_t code) { m_type = code; }

private:
  void DoScalar(std::uint32_t code, void* value);
  template <class Narrow, class Wide>
  void DoNarrowed(std::uint32_t code, Wide& value);
  void LoadChildren(CAppParamGroup& group);
  template <class Array>
  void DoArray(std::uint32_t code, Array& array);

  CAppTools::Type m_type;
  std::string_view m_name;
  mutable std::string m_strName;
  mutable bool m_bNameByPointer = false;
};
