#include "appconfig/AppText.h"

#include <functional>
#include <unordered_map>

namespace {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Each text alive, with the number of its holders. Map nodes never move, so
// a holder keeps a pointer to its entry.
using TextTable = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

// Never destroyed: texts held by static objects outlive every other static.
TextTable& Table() {
  static TextTable* const table = new TextTable;
  return *table;
}

}  // namespace

CAppText::Entry* CAppText::Acquire(std::string_view text) {
  if (text.empty()) return nullptr;
  TextTable& table = Table();
  auto it = table.find(text);
  if (it == table.end()) it = table.emplace(std::string(text), 0u).first;
  ++it->second;
  return &*it;
}

void CAppText::Forget(Entry* entry) noexcept {
  TextTable& table = Table();
  table.erase(table.find(std::string_view(entry->first)));
  // The buckets shrink with the texts (by halves, so that a tree
  // being destroyed rehashes a few times only), and go with the last text.
  if (table.empty()) {
    TextTable().swap(table);
  } else if (table.bucket_count() > 64 && table.size() * 2 < table.bucket_count()) {
    table.rehash(0);
  }
}

const std::string& CAppText::Empty() {
  static const std::string* const empty = new std::string;
  return *empty;
}

std::size_t CAppText::GetDistinctCount() { return Table().size(); }
