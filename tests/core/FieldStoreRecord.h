// In-memory save and load records over a field store: each field name holds
// its elements as text (a byte array one number per byte). Enough for the
// scalar, string, flags and byte-array fields of the leaf parameters.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "appconfig/AppRecord.h"

using FieldStore = std::map<std::string, std::vector<std::string>>;

class StoreSaveRecord : public CAppRecord {
public:
  void Serialize(void* value, unsigned index) override {
    std::vector<std::string>& slot = store[GetName()];
    EXPECT_EQ(index, slot.size()) << GetName();
    switch (static_cast<std::uint32_t>(GetType())) {
      case FT_STRING: slot.push_back(*static_cast<std::string*>(value)); break;
      case FT_FLAGS:
        slot.push_back(std::to_string(std::uint32_t{*static_cast<CAppTools::Flags*>(value)}));
        break;
      case FT_I4: slot.push_back(std::to_string(*static_cast<std::int32_t*>(value))); break;
      case FT_UI4: slot.push_back(std::to_string(*static_cast<std::uint32_t*>(value))); break;
      case FT_BYTES: slot.push_back(std::to_string(*static_cast<std::uint8_t*>(value))); break;
      default: ADD_FAILURE() << "unexpected type of " << GetName();
    }
  }
  // Arrays with no element still name their field.
  void Validate() override {
    fields.push_back(GetName());
    store[GetName()];
  }

  FieldStore store;
  std::vector<std::string> fields;  // in visiting order
};

class StoreLoadRecord : public CAppRecord {
public:
  explicit StoreLoadRecord(FieldStore s) : store(std::move(s)) {}

  bool IsModeLoad() override { return true; }
  bool GetField() override { return store.count(GetName()) != 0; }
  unsigned GetCount() override { return static_cast<unsigned>(store[GetName()].size()); }
  void Serialize(void* value, unsigned index) override {
    const std::string& text = store[GetName()].at(index);
    switch (static_cast<std::uint32_t>(GetType())) {
      case FT_STRING: *static_cast<std::string*>(value) = text; break;
      case FT_FLAGS:
        *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(std::stoul(text));
        break;
      case FT_I4: *static_cast<std::int32_t*>(value) = std::stoi(text); break;
      case FT_UI4: *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(std::stoul(text)); break;
      case FT_BYTES: *static_cast<std::uint8_t*>(value) = static_cast<std::uint8_t>(std::stoul(text)); break;
      default: ADD_FAILURE() << "unexpected type of " << GetName();
    }
  }

  FieldStore store;
};

// The field store of a byte array.
inline std::vector<std::string> ByteTexts(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> texts;
  for (const std::uint8_t b : bytes) texts.push_back(std::to_string(b));
  return texts;
}
