// Fixtures of the XML layer tests: a private folder that is the document path
// for the test, helpers that write exact bytes into it, and the device image
// of a tree.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppToolsXML.h"

class XmlFolder : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = std::filesystem::temp_directory_path() /
            ("appconfig_xml_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    CAppToolsXML::SetPath(Dir());
    CAppToolsXML::SetSchemaPath(APPCONFIG_XML_TEST_DATA "/");
  }
  void TearDown() override {
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
    std::filesystem::remove_all(m_dir);
  }

  // The folder with a trailing separator, as the document path wants it.
  std::string Dir() const { return m_dir.string() + "/"; }
  // Writes name + ".xml" with exactly these bytes.
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Dir() + name + ".xml", std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Dir() + name + ".xml", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_dir), {}));
  }
  static std::string Attribute(const CAppToolsXML::Element& element, const std::string& name) {
    CAppVariant value;
    element.GetAttribut(name, value);
    return value.ToString();
  }

private:
  std::filesystem::path m_dir;
};

// Description files validated against the project's description schema.
class DescriptionFolder : public XmlFolder {
protected:
  void SetUp() override {
    XmlFolder::SetUp();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  }
  void WriteDescription(const std::string& name, const std::string& body) const {
    Write(name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n" + body +
                    "</Description>\n");
  }
};

// The device image of a tree.
inline std::vector<std::uint8_t> PackImage(CAppParam& root) {
  CAppDataRecord image(false);
  root.DataSerialize(&image);
  std::vector<std::uint8_t> bytes;
  image.GetData(bytes);
  return bytes;
}
