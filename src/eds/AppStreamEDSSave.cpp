// The DCF writer: the source file's bytes, with a few lines set or added.
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "AppEdsDevice.h"
#include "AppEdsIni.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppStreamEDS.h"
#include "appconfig/AppTools.h"
#include "core/AppSaveFile.h"

namespace {

using Section = CAppEdsIni::Section;
using Entry = CAppEdsIni::Entry;

// The file cut into lines, each with its own line ending, and the changes
// to make: lines replaced and lines added after a given one.
class LineEditor {
public:
  explicit LineEditor(std::string_view text) : m_text(text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t end = text.find('\n', pos);
      const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
      m_lines.push_back(text.substr(pos, next - pos));
      pos = next;
    }
    // New lines end the way the file's first line does.
    m_newline = !m_lines.empty() && Ending(m_lines.front()) == "\r\n" ? "\r\n" : "\n";
  }

  std::string_view Line(std::uint32_t line) const { return m_lines[line - 1]; }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(m_lines.size()); }

  // Keeps the line up to its separator ('=' or ':', as inih reads it) and
  // its line ending; puts `value` between.
  void SetValue(std::uint32_t line, const std::string& value) {
    const std::string_view original = Line(line);
    const std::string_view ending = Ending(original);
    const std::size_t equal = original.find_first_of("=:");
    m_replaced[line] = std::string(original.substr(0, equal + 1)) + value + std::string(ending);
  }
  void AddAfter(std::uint32_t line, const std::string& content) { m_added[line].push_back(content); }

  std::string Result() const {
    std::string out;
    out.reserve(m_text.size() + 64 * m_added.size());
    for (std::uint32_t line = 0; line <= Count(); ++line) {
      if (line > 0) {
        const auto replaced = m_replaced.find(line);
        out += replaced != m_replaced.end() ? std::string_view(replaced->second) : Line(line);
      }
      const auto added = m_added.find(line);
      if (added == m_added.end()) continue;
      // A last line without an ending gets one before anything follows it.
      if (!out.empty() && out.back() != '\n') out += m_newline;
      for (const std::string& content : added->second) out += content + m_newline;
    }
    return out;
  }

private:
  static std::string_view Ending(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") return line.substr(line.size() - 2);
    if (!line.empty() && line.back() == '\n') return line.substr(line.size() - 1);
    return {};
  }

  std::string_view m_text;
  std::vector<std::string_view> m_lines;
  std::string m_newline;
  std::map<std::uint32_t, std::string> m_replaced;
  std::map<std::uint32_t, std::vector<std::string>> m_added;
};

bool IsHexText(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first != std::string_view::npos && text.size() > first + 1 && text[first] == '0' &&
         (text[first + 1] == 'x' || text[first + 1] == 'X');
}

bool HasNodeId(std::string_view text) {
  for (std::size_t i = 0; i + 7 <= text.size(); ++i) {
    if (AppEdsSameName(text.substr(i, 7), "$NODEID")) return true;
  }
  return false;
}

std::optional<std::int64_t> NumberOf(const CAppVariant& value) {
  if (value.IsEmpty()) return std::nullopt;
  if (value.IsString()) return AppEdsParseNumber(value.GetStringRef(), 0);
  if (value.GetType() == CAppVariant::VT_R4 || value.GetType() == CAppVariant::VT_R8) {
    return static_cast<std::int64_t>(value.GetDouble());
  }
  return value.GetInt64();
}

// Whether inih gives the text back as it is: it ends values at a line
// break, trims blanks and cuts a " ;" comment.
bool ReadsBack(const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) return false;
  if (!text.empty() && (std::isspace(static_cast<unsigned char>(text.front())) != 0 ||
                        std::isspace(static_cast<unsigned char>(text.back())) != 0)) {
    return false;
  }
  return text.find(" ;") == std::string::npos && text.find("\t;") == std::string::npos;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t b : bytes) text += CAppTools::Format("%02X", b);
  return text;
}

class DcfWriter {
public:
  DcfWriter(const CAppEdsIni& ini, const CAppEdsDevice& device, CAppParam& defaults, std::string_view text)
      : m_ini(ini), m_device(device), m_defaults(defaults), m_lines(text) {}

  void SetValues(CAppParam& values) {
    CAppParamGroup* valueRoot = values.GetGroup();
    CAppParamGroup* defaultRoot = m_defaults.GetGroup();
    if (valueRoot == nullptr || defaultRoot == nullptr) return;
    for (const CAppEdsDevice::Imported& entry : m_device.GetImported()) {
      std::string path = entry.path;
      CAppParam* value = valueRoot->_GetAt(path);
      path = entry.path;
      CAppParam* fresh = defaultRoot->_GetAt(path);
      if (value == nullptr || fresh == nullptr) continue;
      const std::optional<std::string> text = NewText(entry, *value, *fresh);
      if (!text) continue;
      if (entry.section != nullptr) {
        SetEntry(*entry.section, "ParameterValue", *text);
      } else if (entry.sub > 0) {
        m_compact[entry.index][static_cast<std::uint8_t>(entry.sub)] = *text;
      }
    }
    WriteCompactValues();
  }

  void SetCommissioning(std::int64_t nodeId, int baudrate) {
    std::vector<std::pair<const char*, std::string>> wanted = {{"NodeID", std::to_string(nodeId)}};
    if (baudrate >= 0) wanted.emplace_back("Baudrate", std::to_string(baudrate));
    const Section* section = m_ini.Find("DeviceComissioning");
    if (section == nullptr) {
      std::vector<std::string> lines = {"[DeviceComissioning]"};
      for (const auto& [name, value] : wanted) lines.push_back(std::string(name) + "=" + value);
      AppendSection(lines);
      return;
    }
    for (const auto& [name, value] : wanted) {
      const Entry* entry = m_ini.Find(*section, name);
      if (entry != nullptr) {
        const auto current = AppEdsParseNumber(m_ini.Value(*entry), 0);
        if (current && std::to_string(*current) == value) continue;
      }
      SetEntry(*section, name, value);
    }
  }

  std::string Result() const { return m_lines.Result(); }

private:
  // The text to write for an entry, or nothing when the file already gives
  // it the tree's value.
  std::optional<std::string> NewText(const CAppEdsDevice::Imported& entry, CAppParam& value, CAppParam& fresh) const {
    // `fresh` holds what the file gives the entry now.
    switch (entry.type->kind) {
      case AppEdsType::NUMERIC: {
        const auto wanted = NumberOf(value.GetVariant());
        if (!wanted || wanted == NumberOf(fresh.GetVariant())) return std::nullopt;
        if (*wanted < 0 || !(IsHexText(entry.defaultText) || HasNodeId(entry.defaultText))) return std::to_string(*wanted);
        return CAppTools::Format("0x%llX", static_cast<unsigned long long>(*wanted));
      }
      case AppEdsType::STRING: {
        const std::string wanted = value.GetVariant().ToString();
        if (wanted == fresh.GetVariant().ToString()) return std::nullopt;
        if (!ReadsBack(wanted)) {
          APP_THROW("%s: the text of %s would not read back from a DCF (a line break, blanks at an end, or \" ;\")",
                    m_ini.File().c_str(), entry.path.c_str());
        }
        return wanted;
      }
      case AppEdsType::BYTES: {
        std::vector<std::uint8_t> wanted, current;
        value.GetData(wanted);
        fresh.GetData(current);
        if (wanted == current) return std::nullopt;
        return HexBytes(wanted);
      }
      case AppEdsType::SKIPPED: break;
    }
    return std::nullopt;
  }

  // Sets the entry's line, or adds it after the section's last entry.
  void SetEntry(const Section& section, const char* name, const std::string& value) {
    if (const Entry* entry = m_ini.Find(section, name)) {
      m_lines.SetValue(entry->line, value);
    } else {
      const Entry& last = m_ini.Entries(section)[section.entryCount - 1];
      m_lines.AddAfter(last.line, std::string(name) + "=" + value);
    }
  }

  // Compact arrays keep their values in [xxxxValue]: "n=value" lines after
  // NrOfEntries, which counts them.
  void WriteCompactValues() {
    for (const auto& [index, values] : m_compact) {
      const std::string name = CAppTools::Format("%04XValue", index);
      const Section* section = m_ini.Find(name);
      if (section == nullptr) {
        std::vector<std::string> lines = {"[" + name + "]", "NrOfEntries=" + std::to_string(values.size())};
        for (const auto& [sub, text] : values) lines.push_back(std::to_string(sub) + "=" + text);
        AppendSection(lines);
        continue;
      }
      std::size_t added = 0;
      for (const auto& [sub, text] : values) {
        if (m_ini.Find(*section, std::to_string(sub)) == nullptr) ++added;
        SetEntry(*section, std::to_string(sub).c_str(), text);
      }
      if (added == 0) continue;
      std::size_t entries = added;
      for (std::uint32_t i = 0; i < section->entryCount; ++i) {
        if (!AppEdsSameName(m_ini.Name(m_ini.Entries(*section)[i]), "NrOfEntries")) ++entries;
      }
      SetEntry(*section, "NrOfEntries", std::to_string(entries));
    }
  }

  // A new section at the end of the file, after a blank line.
  void AppendSection(const std::vector<std::string>& lines) {
    const std::uint32_t last = m_lines.Count();
    if (last > 0 && !m_blankAdded) {
      m_lines.AddAfter(last, "");
      m_blankAdded = true;
    }
    for (const std::string& line : lines) m_lines.AddAfter(last, line);
  }

  const CAppEdsIni& m_ini;
  const CAppEdsDevice& m_device;
  CAppParam& m_defaults;
  LineEditor m_lines;
  std::map<std::uint16_t, std::map<std::uint8_t, std::string>> m_compact;
  bool m_blankAdded = false;
};

}  // namespace

void CAppStreamEDS::SaveDCF(const std::string& source, CAppParam* values, const std::string& target,
                            const DcfOptions& options) {
  APP_CHECK_POINTER(values);
  const std::string text = CAppEdsIni::ReadFile(source);
  const CAppEdsIni ini(source, text);
  CAppEdsDevice device(ini, options.nodeId, std::filesystem::path(source).stem().string());
  const std::unique_ptr<CAppParam> defaults = device.TakeRoot();
  DcfWriter writer(ini, device, *defaults, text);
  writer.SetValues(*values);
  writer.SetCommissioning(device.GetNodeId(), options.baudrate);
  AppSaveFile(target, writer.Result());
}
