#include "AppConfigFiles.h"

#include <cctype>
#include <filesystem>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppToolsXML.h"
#include "appconfig/AppVariant.h"

namespace fs = std::filesystem;

std::string DefaultSchemaDir() {
  for (const char* dir : {APPCONFIG_SOURCE_SCHEMA_DIR, APPCONFIG_INSTALLED_SCHEMA_DIR}) {
    if (fs::exists(fs::path(dir) / "Description.xdr")) return dir;
  }
  return APPCONFIG_INSTALLED_SCHEMA_DIR;
}

void UseLogFolder(const std::string& folder) {
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  CAppDebug::GetLogger().SetPath(prefix);
  CAppDebugTime::GetLog().SetPath(prefix);
}

std::string UseDescription(const std::string& file) {
  const fs::path path(file);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  CAppToolsXML::SetPath(folder.string() + "/");
  CAppLog::SetFileName(path.filename().string());
  return path.stem().string();
}

DescriptionContents ReadDescriptionContents(const std::string& file) {
  const std::string name = UseDescription(file);
  CAppToolsXML::Document document;
  document.Load(name, nullptr);
  CAppToolsXML::Element root;
  document.GetRootElt(root);
  DescriptionContents contents;
  if (root == 0) return contents;
  CAppToolsXML::ListElement definitions;
  if (root.Select("*[@Key]", definitions)) {
    for (unsigned i = 0; i < definitions.GetCount(); ++i) {
      CAppToolsXML::Element definition;
      definitions.GetAt(i, definition);
      CAppVariant key;
      definition.GetAttribut("Key", key);
      contents.keys.push_back(key.ToString());
    }
  }
  CAppToolsXML::ListElement resources;
  contents.hasResources = root.Select("Resources", resources) && resources.GetCount() > 0;
  return contents;
}

std::string OnlyDefinitionKey(const std::string& file) {
  const DescriptionContents contents = ReadDescriptionContents(file);
  if (contents.keys.size() != 1) {
    throw CAppException("appconfig", 0, "%s is not a value file: it holds %u definitions", file.c_str(),
                        static_cast<unsigned>(contents.keys.size()));
  }
  return contents.keys.front();
}

bool IsDeviceFile(const std::string& file) {
  std::string extension = fs::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".eds" || extension == ".dcf";
}
