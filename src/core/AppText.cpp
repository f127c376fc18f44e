#include "appconfig/AppText.h"

#include <vector>

namespace {

// The same type as CAppText::Entry: the text and its holders.
using Entry = std::pair<const std::string, std::uint32_t>;

// FNV-1a: the texts are short (keys, names, units), and this needs no call.
std::uint64_t TextHash(std::string_view text) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return h ^ (h >> 29);
}

// Each text alive, found by open addressing in one array of slots, at most
// half full: a lookup reads the hashes in the slots and compares the
// characters of the entry whose hash matches only. Entries are allocated one
// by one and never move, so a holder keeps a pointer to its entry.
struct TextTable {
  struct Slot {
    std::uint64_t hash = 0;
    Entry* entry = nullptr;  // null: free
  };

  std::vector<Slot> slots;  // a power of two long, or empty
  std::size_t count = 0;

  std::size_t Mask() const { return slots.size() - 1; }

  // The slot of `text`, or the free slot where it would go.
  std::size_t Find(std::string_view text, std::uint64_t hash) const {
    std::size_t i = hash & Mask();
    while (slots[i].entry != nullptr && !(slots[i].hash == hash && slots[i].entry->first == text)) i = (i + 1) & Mask();
    return i;
  }

  std::size_t SlotOf(const Entry* entry) const {
    std::size_t i = TextHash(entry->first) & Mask();
    while (slots[i].entry != entry) i = (i + 1) & Mask();
    return i;
  }

  void Resize(std::size_t size) {
    std::vector<Slot> old(size);
    old.swap(slots);
    for (const Slot& slot : old) {
      if (slot.entry == nullptr) continue;
      std::size_t i = slot.hash & Mask();
      while (slots[i].entry != nullptr) i = (i + 1) & Mask();
      slots[i] = slot;
    }
  }

  // Frees the slot and moves back the ones behind it whose probe passed it.
  void Erase(std::size_t freed) {
    slots[freed] = Slot();
    for (std::size_t i = (freed + 1) & Mask(); slots[i].entry != nullptr; i = (i + 1) & Mask()) {
      const std::size_t home = slots[i].hash & Mask();
      if (((i - home) & Mask()) < ((i - freed) & Mask())) continue;
      slots[freed] = slots[i];
      slots[i] = Slot();
      freed = i;
    }
  }
};

// Never destroyed: texts held by static objects outlive every other static.
TextTable& Table() {
  static TextTable* const table = new TextTable;
  return *table;
}

constexpr std::size_t kMinimumSlots = 64;

// The fewest slots that keep `count` texts at most half full.
std::size_t SlotsFor(std::size_t count) {
  std::size_t size = kMinimumSlots;
  while (size < 2 * count) size *= 2;
  return size;
}

}  // namespace

CAppText::Entry* CAppText::Acquire(std::string_view text) {
  if (text.empty()) return nullptr;
  TextTable& table = Table();
  const std::uint64_t hash = TextHash(text);
  if (!table.slots.empty()) {
    const TextTable::Slot& slot = table.slots[table.Find(text, hash)];
    if (slot.entry != nullptr) {
      ++slot.entry->second;
      return slot.entry;
    }
  }
  if (2 * (table.count + 1) > table.slots.size()) table.Resize(SlotsFor(table.count + 1));
  auto* entry = new Entry(std::string(text), 1u);
  table.slots[table.Find(text, hash)] = {hash, entry};
  ++table.count;
  return entry;
}

void CAppText::Forget(Entry* entry) noexcept {
  TextTable& table = Table();
  table.Erase(table.SlotOf(entry));
  delete entry;
  // The slots shrink with the texts, once they are less than an eighth
  // full, to what growing would have made for them (so that a tree being
  // destroyed moves them a few times only, and adding a text right after
  // grows them once at most); they go with the last text.
  if (--table.count == 0) {
    std::vector<TextTable::Slot>().swap(table.slots);
  } else if (table.slots.size() > kMinimumSlots && 8 * table.count < table.slots.size()) {
    try {
      table.Resize(SlotsFor(table.count));
    } catch (...) {
      // Out of memory: the larger array stays.
    }
  }
}

const std::string& CAppText::Empty() {
  static const std::string* const empty = new std::string;
  return *empty;
}

std::size_t CAppText::GetDistinctCount() { return Table().count; }
