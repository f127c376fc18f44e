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
