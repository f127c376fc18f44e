// The sections and entries of a CANopen EDS or DCF file, read with inih.
// Internal to the EDS layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CAppEdsIni {
public:
  struct Entry {
    std::uint32_t name;   // offsets of NUL-terminated texts in the pool
    std::uint32_t value;
    std::uint32_t line;   // 1-based
  };
  struct Section {
    std::uint32_t name;
    std::uint32_t line;        // the line of its "[...]"
    std::uint32_t firstEntry;  // entries of a section are contiguous
    std::uint32_t entryCount;
  };

  // Parses `text`; `file` only names it in messages. A line inih refuses
  // throws a CAppException naming the file, the line and the problem.
  CAppEdsIni(std::string file, std::string_view text);
  // Reads `file` first; a file that cannot be read throws.
  static std::string ReadFile(const std::string& file);

  const std::string& File() const { return m_file; }
  std::uint32_t LineCount() const { return m_lineCount; }
  const std::vector<Section>& Sections() const { return m_sections; }
  // The first section of that name (letter case ignored), or null.
  const Section* Find(std::string_view name) const;
  std::string_view Name(const Section& section) const { return Text(section.name); }
  std::string_view Name(const Entry& entry) const { return Text(entry.name); }
  std::string_view Value(const Entry& entry) const { return Text(entry.value); }
  const Entry* Entries(const Section& section) const { return m_entries.data() + section.firstEntry; }
  // The entry of that name in the section (letter case ignored), or null.
  const Entry* Find(const Section& section, std::string_view name) const;

  // Throws the CAppException of a malformed file: "<file>, line <n>: <problem>".
  [[noreturn]] void Fail(std::uint32_t line, const std::string& problem) const;

private:
  friend struct CAppEdsIniParser;
  std::string_view Text(std::uint32_t offset) const { return m_pool.data() + offset; }
  std::uint32_t Add(std::string_view text);

  std::string m_file;
  std::string m_pool;  // every name and value, each followed by a NUL
  std::vector<Entry> m_entries;
  std::vector<Section> m_sections;
  std::unordered_map<std::string, std::uint32_t> m_index;  // upper-case name -> section
  std::uint32_t m_lineCount = 0;
};

// Names compare without regard to letter case, as the library's keys do.
bool AppEdsSameName(std::string_view a, std::string_view b);
// The text without the blanks around it.
std::string_view AppEdsTrim(std::string_view text);
