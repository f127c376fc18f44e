#include "AppEdsIni.h"

#include <ini.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"
#include "core/AppSameKey.h"

namespace {

constexpr std::string_view kBlanks = " \t\r\f\v";

// Stands for a value too long for inih's line buffer, kept aside instead.
constexpr char kLongValue[] = "\x01";

}  // namespace

bool AppEdsSameName(std::string_view a, std::string_view b) { return AppSameKey(a, b); }

std::string_view AppEdsTrim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Feeds inih one line of the text per call, so that inih's line numbers are
// the file's, and collects what its handler reports.
struct CAppEdsIniParser {
  CAppEdsIniParser(CAppEdsIni& owner, std::string_view input) : ini(owner), text(input) {}

  CAppEdsIni& ini;
  std::string_view text;
  std::size_t pos = 0;
  std::uint32_t line = 0;
  std::uint32_t headerLine = 0;   // the last line that opened a section
  std::string longValue;          // the value behind kLongValue
  std::uint32_t errorLine = 0;
  std::string error;

  std::string_view NextLine() {
    const std::size_t end = text.find('\n', pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string_view result = text.substr(pos, stop - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    ++line;
    return result;
  }

  // inih's reader: one line, leading blanks removed (so that no line reads
  // as the continuation of the one before), never longer than its buffer.
  static char* Read(char* out, int size, void* self) {
    auto& p = *static_cast<CAppEdsIniParser*>(self);
    if (p.pos >= p.text.size() || !p.error.empty()) return nullptr;
    std::string_view content = p.NextLine();
    const std::size_t first = content.find_first_not_of(kBlanks);
    content = first == std::string_view::npos ? std::string_view() : content.substr(first);
    if (!content.empty() && content.front() == '[') p.headerLine = p.line;
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    if (content.size() > room) content = p.Shorten(content, room);
    if (!content.empty()) std::memcpy(out, content.data(), content.size());
    out[content.size()] = '\0';
    return out;
  }

  // A long comment is cut; a long entry keeps its name and hands its value
  // over beside inih.
  std::string_view Shorten(std::string_view content, std::size_t room) {
    if (content.front() == ';' || content.front() == '#') return content.substr(0, 1);
    const std::size_t equal = content.find_first_of("=:");  // inih's separators
    if (equal == std::string_view::npos || equal + 2 > room) {
      SetError(line, "line too long");
      return {};
    }
    longValue = std::string(AppEdsTrim(content.substr(equal + 1)));
    lineBuffer = std::string(content.substr(0, equal + 1)) + kLongValue;
    return lineBuffer;
  }

  static int Handle(void* self, const char* section, const char* name, const char* value) {
    auto& p = *static_cast<CAppEdsIniParser*>(self);
    try {
      p.Add(section, name, std::strcmp(value, kLongValue) == 0 ? std::string_view(p.longValue) : value);
    } catch (const std::bad_alloc&) {
      p.SetError(p.line, "out of memory");
      return 0;
    }
    return 1;
  }

  void Add(std::string_view section, std::string_view name, std::string_view value) {
    if (section.empty()) {
      SetError(line, "entry before any [section]");
      return;
    }
    std::vector<CAppEdsIni::Section>& sections = ini.m_sections;
    if (sections.empty() || ini.Text(sections.back().name) != section) {
      const auto index = static_cast<std::uint32_t>(sections.size());
      sections.push_back({ini.Add(section), headerLine, static_cast<std::uint32_t>(ini.m_entries.size()), 0});
      ini.m_index.emplace(CAppTools::MakeUpper(std::string(section)), index);  // a repeated section: the first one counts
    }
    ini.m_entries.push_back({ini.Add(name), ini.Add(value), line});
    ++sections.back().entryCount;
  }

  void SetError(std::uint32_t at, std::string problem) {
    if (!error.empty()) return;
    errorLine = at;
    error = std::move(problem);
  }

  std::string lineBuffer;
};

CAppEdsIni::CAppEdsIni(std::string file, std::string_view text) : m_file(std::move(file)) {
  // Offsets into the pool are 32-bit.
  if (text.size() > 0x7FFFFFFF) Fail(0, "file too large");
  m_pool.reserve(text.size() / 2);
  CAppEdsIniParser parser(*this, text);
  const int syntax = ini_parse_stream(&CAppEdsIniParser::Read, &parser, &CAppEdsIniParser::Handle, &parser);
  m_lineCount = parser.line;
  if (!parser.error.empty() && (syntax <= 0 || parser.errorLine <= static_cast<std::uint32_t>(syntax))) {
    Fail(parser.errorLine, parser.error);
  }
  if (syntax > 0) {
    // Find the refused line again to say what is wrong with it.
    CAppEdsIniParser again(*this, text);
    std::string_view content;
    while (again.line < static_cast<std::uint32_t>(syntax) && again.pos < text.size()) content = AppEdsTrim(again.NextLine());
    Fail(static_cast<std::uint32_t>(syntax), !content.empty() && content.front() == '['
                                                  ? "section name without closing ']'"
                                                  : "expected [section], name=value or a ; comment");
  }
}

std::string CAppEdsIni::ReadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) APP_THROW("Can not open %s: %s", file.c_str(), std::strerror(errno));
  std::string text;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) text.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(text.data(), size)) APP_THROW("Can not read %s", file.c_str());
  return text;
}

std::uint32_t CAppEdsIni::Add(std::string_view text) {
  const auto offset = static_cast<std::uint32_t>(m_pool.size());
  m_pool.append(text);
  m_pool.push_back('\0');
  return offset;
}

const CAppEdsIni::Section* CAppEdsIni::Find(std::string_view name) const {
  const auto found = m_index.find(CAppTools::MakeUpper(std::string(name)));
  return found == m_index.end() ? nullptr : &m_sections[found->second];
}

const CAppEdsIni::Entry* CAppEdsIni::Find(const Section& section, std::string_view name) const {
  const Entry* entries = Entries(section);
  for (std::uint32_t i = 0; i < section.entryCount; ++i) {
    if (AppEdsSameName(Text(entries[i].name), name)) return &entries[i];
  }
  return nullptr;
}

void CAppEdsIni::Fail(std::uint32_t line, const std::string& problem) const {
  APP_THROW("%s, line %u: %s", m_file.c_str(), static_cast<unsigned>(line), problem.c_str());
}
