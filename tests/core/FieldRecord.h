// An in-memory record for the parameters' Serialize: in save mode it keeps
// each scalar field it visits (name, field code and value), in load mode it
// hands those values back, so a parameter can be copied field by field.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppRecord.h"

class FieldRecord : public CAppRecord {
public:
  struct Field {
    std::string name;
    std::uint32_t type = 0;
    std::string text;         // strings
    std::uint32_t word = 0;   // 32-bit numbers, flags, type codes
    CAppVariant value;        // variants
  };

  bool IsModeLoad() override { return m_bLoad; }
  bool GetField() override { return !m_bLoad || Current() != nullptr; }
  unsigned GetCount() override {
    const Field* field = Current();
    return field != nullptr && !field->value.IsEmpty() ? 1u : 0u;
  }

  void Serialize(void* value, unsigned /*index*/) override {
    if (!m_bLoad) fields.push_back(Field{GetName(), GetType(), {}, 0, {}});
    Field& field = m_bLoad ? *Current() : fields.back();
    if (m_bLoad) {
      EXPECT_EQ(field.type, GetType()) << field.name;
    }
    switch (field.type) {
      case FT_STRING: Move(field.text, *static_cast<std::string*>(value)); break;
      case FT_FLAGS: Move(field.word, *static_cast<CAppTools::Flags*>(value)); break;
      case FT_TYPE: Move(field.word, *static_cast<CAppTools::Type*>(value)); break;
      case FT_UI4: Move(field.word, *static_cast<std::uint32_t*>(value)); break;
      case FT_VARIANT: Move(field.value, *static_cast<CAppVariant*>(value)); break;
      default: ADD_FAILURE() << "unexpected field type " << field.type << " for " << field.name;
    }
  }

  // Switches to load mode over the fields saved so far.
  void Rewind() { m_bLoad = true; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Field& field : fields) names.push_back(field.name);
    return names;
  }

  std::vector<Field> fields;

private:
  Field* Current() {
    for (Field& field : fields) {
      if (field.name == GetName()) return &field;
    }
    return nullptr;
  }

  // Kept value to the field on load, the field's value to the kept one on save.
  template <class K, class V>
  void Move(K& kept, V& value) const {
    if (m_bLoad) value = kept; else kept = static_cast<K>(value);
  }

  bool m_bLoad = false;
};
