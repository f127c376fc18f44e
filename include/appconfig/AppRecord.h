// The field visitor through which every format reads and writes a tree.
//
// A parameter's Serialize names each field with Do(name, value); the visits
// below are written once here, and an implementation supplies IsModeLoad,
// GetAddMode, GetField, GetCount, Serialize and Validate.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "appconfig/AppParamGroup.h"
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

  void _Do(CAppParamGroup& group);
  void _Do(std::list<std::string>& list);
  void _Do(std::vector<std::string>& array);
  void _Do(std::vector<std::uint32_t>& array);
  void _Do(CAppTools::Type& value) { DoScalar(FT_TYPE, &value); }
  void _Do(CAppTools::Flags& value) { DoScalar(FT_FLAGS, &value); }
  void _Do(std::vector<std::uint8_t>& array);
  void _Do(CAppVariant& value);
  void _Do(std::uint64_t& value) { DoScalar(FT_UI8, &value); }
  void _Do(std::int64_t& value) { DoScalar(FT_I8, &value); }
  void _Do(std::uint32_t& value) { DoScalar(FT_UI4, &value); }
  void _Do(std::int32_t& value) { DoScalar(FT_I4, &value); }
  void _Do(std::uint16_t& value) { DoScalar(FT_UI2, &value); }
  void _Do(std::int16_t& value) { DoScalar(FT_I2, &value); }
  void _Do(std::uint8_t& value) { DoScalar(FT_UI1, &value); }
  void _Do(std::int8_t& value) { DoScalar(FT_I1, &value); }
  void _Do(std::string& value) { DoScalar(FT_STRING, &value); }

protected:
  const std::string& GetName() const { return m_strName; }
  const CAppTools::Type& GetType() const { return m_type; }
  void SetName(const std::string& name) { m_strName = name; }
  void SetType(std::uint32_t code) { m_type = code; }

private:
  void DoScalar(std::uint32_t code, void* value);
  void LoadChildren(CAppParamGroup& group);
  template <class Array>
  void DoArray(std::uint32_t code, Array& array);

  CAppTools::Type m_type;
  std::string m_strName;
};
