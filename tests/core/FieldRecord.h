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
    if (m_bLoad) {
      Load(*Current(), value);
    } else {
      fields.push_back(Save(value));
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
  const Field* Current() const {
    for (const Field& field : fields) {
      if (field.name == GetName()) return &field;
    }
    return nullptr;
  }

  Field Save(const void* value) const {
    Field field{GetName(), GetType(), {}, 0, {}};
    switch (field.type) {
      case FT_STRING: field.text = *static_cast<const std::string*>(value); break;
      case FT_FLAGS:
        field.word = static_cast<const CAppTools::Flags*>(value)->operator std::uint32_t();
        break;
      case FT_TYPE: field.word = static_cast<const CAppTools::Type*>(value)->GetCode(); break;
      case FT_UI4: field.word = *static_cast<const std::uint32_t*>(value); break;
      case FT_VARIANT: field.value = *static_cast<const CAppVariant*>(value); break;
      default: ADD_FAILURE() << "unexpected field type " << field.type << " for " << field.name;
    }
    return field;
  }

  void Load(const Field& field, void* value) const {
    EXPECT_EQ(field.type, GetType()) << field.name;
    switch (field.type) {
      case FT_STRING: *static_cast<std::string*>(value) = field.text; break;
      case FT_FLAGS: *static_cast<CAppTools::Flags*>(value) = field.word; break;
      case FT_TYPE: *static_cast<CAppTools::Type*>(value) = field.word; break;
      case FT_UI4: *static_cast<std::uint32_t*>(value) = field.word; break;
      case FT_VARIANT: *static_cast<CAppVariant*>(value) = field.value; break;
      default: ADD_FAILURE() << "unexpected field type " << field.type;
    }
  }

  bool m_bLoad = false;
};
