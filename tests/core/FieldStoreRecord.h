// An in-memory record for Serialize tests: saving writes every field into a
// store of texts, loading reads them back and skips fields the store lacks.
// Both list the fields offered, with their type codes. Handles the unsigned
// 32-bit, string and flags elements of parameter fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "appconfig/AppRecord.h"

using FieldStore = std::map<std::string, std::vector<std::string>>;

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
    switch (GetType() & ~std::uint32_t{FT_ARRAY}) {
      case FT_STRING: {
        auto& text = *static_cast<std::string*>(value);
        if (m_bLoad) text = elements.at(index); else elements.push_back(text);
        break;
      }
      case FT_UI4: Number(*static_cast<std::uint32_t*>(value), elements, index); break;
      case FT_FLAGS: {
        auto& flags = *static_cast<CAppTools::Flags*>(value);
        std::uint32_t word = flags;
        Number(word, elements, index);
        flags = word;
        break;
      }
      default: ADD_FAILURE() << "unexpected type " << GetType() << " for " << GetName();
    }
  }

  FieldStore store;
  std::vector<std::pair<std::string, std::uint32_t>> fields;

private:
  void Number(std::uint32_t& word, std::vector<std::string>& elements, unsigned index) {
    if (m_bLoad) word = static_cast<std::uint32_t>(std::stoul(elements.at(index)));
    else elements.push_back(std::to_string(word));
  }

  bool m_bLoad = false;
};

// Separate save and load records over the same store, for the tests that
// check the visiting order and the element index of each transfer.

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
