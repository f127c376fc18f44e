// Fixtures of the XML layer tests: a private folder that is the document path
// for the test, helpers that write exact bytes into it; tree equality for
// round trips.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppToolsXML.h"

// What libxml2's xmllint says of a file that is not well-formed XML ("" when
// it is, or when xmllint is not installed: the XML layer's own test of the
// examples reports that).
inline std::string XmllintErrors(const std::string& file) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) return "";
  std::string output;
  if (FILE* pipe = ::popen(("xmllint --noout --huge '" + file + "' 2>&1").c_str(), "r")) {
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    if (::pclose(pipe) == 0) return "";
  }
  return output.empty() ? "xmllint failed" : output;
}

class XmlFolder : public ::testing::Test {
protected:
  void SetUp() override {
    CAppToolsXML::SetPath(Dir());
    CAppToolsXML::SetSchemaPath(APPCONFIG_XML_TEST_DATA "/");
  }
  void TearDown() override {
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
    ExpectSavedFilesPassXmllint();
  }

  // Every XML file of the folder that the test did not write itself was
  // saved by the library: a second, independent parser must take it.
  void ExpectSavedFilesPassXmllint() const {
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() != ".xml" || !entry.is_regular_file() || m_written.count(name) != 0) continue;
      EXPECT_EQ(XmllintErrors(entry.path().string()), "") << name;
    }
  }

  // The folder with a trailing separator, as the document path wants it.
  std::string Dir() const { return m_folder.Prefix(); }
  // Writes name + ".xml" with exactly these bytes.
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Dir() + name + ".xml", std::ios::binary) << bytes;
    m_written.insert(name + ".xml");
  }
  std::string Read(const std::string& name) const { return TempFolder::ReadAll(Dir() + name + ".xml"); }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Dir()), {}));
  }
  static std::string Attribute(const CAppToolsXML::Element& element, const std::string& name) {
    CAppVariant value;
    return element.GetAttribut(name, value) ? value.ToString() : "<absent>";
  }

private:
  TempFolder m_folder;
  std::set<std::string> m_written;
};

// Description files validated against the project's description schema.
class DescriptionFolder : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  }
  void WriteDescription(const std::string& name, const std::string& body) {
    Write(name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n" + body +
                    "</Description>\n");
  }
};

// Tree equality for round-trip tests, whatever the format: a save-mode record
// that writes every field a tree visits as one line of text, node by node in
// tree order. Two trees are equal when their lines are equal.
//
//   EXPECT_EQ(ParamTreeLines(loaded.get()), ParamTreeLines(reloaded.get()));
//
// Lines look like `IP_CFG\MODES [CAppParamListKey]`, `IP_CFG\MODES.List[1]=B*`,
// `IP_CFG\MODES.List#=3`. Each node line carries the node's path (keys from
// the compared root down, "\" between) and class name; each field line its
// name and text; arrays also give their number of entries, so an empty array
// and an absent one differ. Variants compare by text (the XML format keeps
// only the text).
class ParamTreeTextRecord : public CAppRecord {
public:
  ParamTreeTextRecord(std::vector<std::string>& lines, std::string path) : m_lines(lines), m_strPath(std::move(path)) {}

  // Writes the node line, then the node's fields.
  void Visit(CAppParam* param) {
    m_lines.push_back(m_strPath + " [" + param->GetClassName() + "]");
    param->Serialize(this);
  }

  bool GetField() override { m_nEntries = 0; return true; }

  void Validate() override {
    const std::uint32_t type = GetType();
    if ((type & FT_ARRAY) != 0 && (type & 0x0FFFu) != FT_PARAM) {
      m_lines.push_back(m_strPath + "." + GetName() + "#=" + std::to_string(m_nEntries));
    }
  }

  void Serialize(void* value, unsigned index) override {
    const std::uint32_t type = GetType();
    if ((type & 0x0FFFu) == FT_PARAM) {
      CAppParam* child = *static_cast<CAppParam**>(value);
      if (child == nullptr) {
        m_lines.push_back(m_strPath + " holds a null child");
        return;
      }
      ParamTreeTextRecord record(m_lines, m_strPath + "\\" + child->GetKey());
      record.Visit(child);
      return;
    }
    std::string field = m_strPath + "." + GetName();
    if ((type & FT_ARRAY) != 0) {
      field += "[" + std::to_string(index) + "]";
      ++m_nEntries;
    }
    m_lines.push_back(field + "=" + Text(value, type & 0x0FFFu));
  }

private:
  std::string Text(const void* value, std::uint32_t code) const {
    switch (code) {
      case FT_I1: return std::to_string(*static_cast<const signed char*>(value));
      case FT_UI1: return std::to_string(*static_cast<const unsigned char*>(value));
      case FT_I2: return std::to_string(*static_cast<const std::int16_t*>(value));
      case FT_UI2: return std::to_string(*static_cast<const std::uint16_t*>(value));
      case FT_I4: return std::to_string(*static_cast<const std::int32_t*>(value));
      case FT_UI4: return std::to_string(*static_cast<const std::uint32_t*>(value));
      case FT_I8: return std::to_string(*static_cast<const std::int64_t*>(value));
      case FT_UI8: return std::to_string(*static_cast<const std::uint64_t*>(value));
      case FT_STRING: return "\"" + *static_cast<const std::string*>(value) + "\"";
      case FT_FLAGS: return CAppTools::Format("0x%08x", static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value)));
      case FT_TYPE: return CAppTools::Format("type 0x%04x", static_cast<std::uint32_t>(*static_cast<const CAppTools::Type*>(value)));
      case FT_VARIANT: return "\"" + static_cast<const CAppVariant*>(value)->ToString() + "\"";
      default: return CAppTools::Format("<field type 0x%04x>", code);
    }
  }

  std::vector<std::string>& m_lines;
  std::string m_strPath;
  unsigned m_nEntries = 0;
};

// Every node and field of the tree under `root`, as lines (empty for null).
inline std::vector<std::string> ParamTreeLines(CAppParam* root) {
  std::vector<std::string> lines;
  if (root == nullptr) return lines;
  ParamTreeTextRecord record(lines, root->GetKey());
  record.Visit(root);
  return lines;
}
