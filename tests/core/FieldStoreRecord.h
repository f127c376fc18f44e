// In-memory records for Serialize tests over a store of texts, one list of
// element texts per field name (integer, string and flags fields, single or arrays).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "appconfig/AppRecord.h"

using FieldStore = std::map<std::string, std::vector<std::string>>;

namespace field_store {

// Loading reads numbers as 64-bit signed text.
template <class T>
void Number(bool load, void* value, std::string& text) {
  T& number = *static_cast<T*>(value);
  if (load) number = static_cast<T>(std::stoll(text)); else text = std::to_string(number);
}

// Moves one element between its text and the value of a field of `type`.
inline void Transfer(bool load, std::uint32_t type, void* value, std::string& text, const std::string& name) {
  switch (type & ~std::uint32_t{CAppRecord::FT_ARRAY}) {
    case CAppRecord::FT_STRING: load ? void(*static_cast<std::string*>(value) = text)
                                     : void(text = *static_cast<std::string*>(value)); break;
    case CAppRecord::FT_FLAGS: {
      std::uint32_t word = *static_cast<CAppTools::Flags*>(value);
      Number<std::uint32_t>(load, &word, text), *static_cast<CAppTools::Flags*>(value) = word;
      break;
    }
    case CAppRecord::FT_I1: return Number<std::int8_t>(load, value, text);
    case CAppRecord::FT_UI1: return Number<std::uint8_t>(load, value, text);
    case CAppRecord::FT_I2: return Number<std::int16_t>(load, value, text);
    case CAppRecord::FT_UI2: return Number<std::uint16_t>(load, value, text);
    case CAppRecord::FT_I4: return Number<std::int32_t>(load, value, text);
    case CAppRecord::FT_UI4: return Number<std::uint32_t>(load, value, text);
    case CAppRecord::FT_I8: return Number<std::int64_t>(load, value, text);
    case CAppRecord::FT_UI8: return Number<std::uint64_t>(load, value, text);
    default: ADD_FAILURE() << "unexpected type " << type << " for " << name;
  }
}

}  // namespace field_store

// Saving writes every field into the store, loading reads them back and skips
// fields the store lacks. Both list the fields offered, with their type codes.
class FieldStoreRecord : public CAppRecord {
public:
  FieldStoreRecord() = default;
  explicit FieldStoreRecord(FieldStore source) : store(std::move(source)), m_bLoad(true) {}
  bool IsModeLoad() override { return m_bLoad; }
  bool GetField() override {
    fields.emplace_back(GetName(), static_cast<std::uint32_t>(GetType()));
    return !m_bLoad || store.count(GetName()) != 0;
  }
  unsigned GetCount() override { return static_cast<unsigned>(store[GetName()].size()); }
  void Serialize(void* value, unsigned index) override {
    std::vector<std::string>& elements = store[GetName()];
    if (!m_bLoad) elements.emplace_back();
    field_store::Transfer(m_bLoad, GetType(), value, m_bLoad ? elements.at(index) : elements.back(), GetName());
  }
  FieldStore store;
  std::vector<std::pair<std::string, std::uint32_t>> fields;

private:
  bool m_bLoad = false;
};
using StoreLoadRecord = FieldStoreRecord;

// A save record that checks the element index of each transfer and lists the
// fields in visiting order; arrays with no element still name their field.
class StoreSaveRecord : public CAppRecord {
public:
  void Serialize(void* value, unsigned index) override {
    std::vector<std::string>& slot = store[GetName()];
    EXPECT_EQ(index, slot.size()) << GetName();
    field_store::Transfer(false, GetType(), value, slot.emplace_back(), GetName());
  }
  void Validate() override { fields.push_back(GetName()), store[GetName()]; }
  FieldStore store;
  std::vector<std::string> fields;
};

// The field store of a byte array.
inline std::vector<std::string> ByteTexts(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> texts;
  for (const std::uint8_t b : bytes) texts.push_back(std::to_string(b));
  return texts;
}
