// An immutable text shared by every node that holds the same characters:
// the keys, names, aliases, help texts and units of a parameter tree.
//
// Equal texts are one copy, counted, found through a table of the texts
// alive; the copy goes away with its last holder, so trees that are loaded
// and destroyed leave nothing behind. Copying a CAppText copies a pointer.
// The empty text holds nothing. Like the rest of the library it is used
// from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class CAppText {
public:
  CAppText() = default;
  CAppText(std::string_view text) : m_pEntry(Acquire(text)) {}
  CAppText(const std::string& text) : CAppText(std::string_view(text)) {}
  CAppText(const char* text) : CAppText(std::string_view(text != nullptr ? text : "")) {}
  CAppText(const CAppText& other) noexcept : m_pEntry(other.m_pEntry) {
    if (m_pEntry != nullptr) ++m_pEntry->second;
  }
  CAppText(CAppText&& other) noexcept : m_pEntry(std::exchange(other.m_pEntry, nullptr)) {}
  ~CAppText() { Release(m_pEntry); }

  CAppText& operator=(const CAppText& other) noexcept {
    CAppText copy(other);
    std::swap(m_pEntry, copy.m_pEntry);
    return *this;
  }
  CAppText& operator=(CAppText&& other) noexcept {
    std::swap(m_pEntry, other.m_pEntry);
    return *this;
  }
  // Holding the same characters already changes nothing.
  CAppText& operator=(std::string_view text) {
    if (text != Get()) *this = CAppText(text);
    return *this;
  }
  CAppText& operator=(const std::string& text) { return *this = std::string_view(text); }
  CAppText& operator=(const char* text) { return *this = std::string_view(text != nullptr ? text : ""); }

  const std::string& Get() const { return m_pEntry != nullptr ? m_pEntry->first : Empty(); }
  operator const std::string&() const { return Get(); }
  bool IsEmpty() const { return m_pEntry == nullptr; }

  // The number of distinct texts alive.
  static std::size_t GetDistinctCount();

private:
  using Entry = std::pair<const std::string, std::uint32_t>;  // the text and its holders

  static Entry* Acquire(std::string_view text);
  static void Release(Entry* entry) noexcept {
    if (entry != nullptr && --entry->second == 0) Forget(entry);
  }
  static void Forget(Entry* entry) noexcept;
  static const std::string& Empty();

  Entry* m_pEntry = nullptr;
};
