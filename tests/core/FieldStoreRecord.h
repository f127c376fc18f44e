// In-memory records for Serialize tests: a save record that writes every
// visited field into a store of texts, and a load record that reads fields
// back from such a store (a field missing from the store is not visited).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "appconfig/AppRecord.h"

// Field name -> its elements as text (one element for a scalar).
using FieldStore = std::map<std::string, std::vector<std::string>>;

class FieldStoreSaveRecord : public CAppRecord {
public:
  // Every field offered, with its type code, in visiting order.
  bool GetField() override {
    fields.emplace_back(GetName(), static_cast<std::uint32_t>(GetType()));
    store[GetName()];
    return true;
  }
  void Serialize(void* value, unsigned index) override {
    std::vector<std::string>& elements = store[GetName()];
    EXPECT_EQ(index, elements.size()) << GetName();
    switch (GetType() & ~std::uint32_t{FT_ARRAY}) {
      case FT_UI4: elements.push_back(std::to_string(*static_cast<std::uint32_t*>(value))); break;
      case FT_STRING: elements.push_back(*static_cast<std::string*>(value)); break;
      case FT_FLAGS:
        elements.push_back(
            std::to_string(static_cast<std::uint32_t>(*static_cast<CAppTools::Flags*>(value))));
        break;
      default: ADD_FAILURE() << "unexpected type " << GetType() << " for " << GetName();
    }
  }

  FieldStore store;
  std::vector<std::pair<std::string, std::uint32_t>> fields;
};

class FieldStoreLoadRecord : public CAppRecord {
public:
  explicit FieldStoreLoadRecord(FieldStore s) : store(std::move(s)) {}

  bool IsModeLoad() override { return true; }
  bool GetField() override { return store.count(GetName()) != 0; }
  unsigned GetCount() override { return static_cast<unsigned>(store[GetName()].size()); }
  void Serialize(void* value, unsigned index) override {
    const std::string& text = store[GetName()].at(index);
    switch (GetType() & ~std::uint32_t{FT_ARRAY}) {
      case FT_UI4: *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(std::stoul(text)); break;
      case FT_STRING: *static_cast<std::string*>(value) = text; break;
      case FT_FLAGS: *static_cast<CAppTools::Flags*>(value) = static_cast<std::uint32_t>(std::stoul(text)); break;
      default: ADD_FAILURE() << "unexpected type " << GetType() << " for " << GetName();
    }
  }

  FieldStore store;
};
