// Loads random bytes as a description file: parsed, validated with the
// description schema the library carries, then each of its first
// definitions is loaded with a resource collection. Every failure must be a
// CAppException; whatever loads must check and save as a binary file that
// loads back. Seeds: fuzz/seeds/description (the example descriptions);
// dictionary: fuzz/description.dict.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

namespace {

namespace fs = std::filesystem;

// The input goes to a file of its own in a private folder, on the memory
// file system when there is one: the loader reads descriptions by name.
const std::string& Folder() {
  static const std::string folder = [] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path dir = base / ("appconfig-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

// The Key texts of the root's direct children, as the loader finds them.
std::vector<std::string> DefinitionKeys(const std::string& name) {
  std::vector<std::string> keys;
  CAppToolsXML::Document document;
  document.Load(name, nullptr);
  CAppToolsXML::Element root;
  document.GetRootElt(root);
  CAppToolsXML::ListElement definitions;
  if (root == 0 || !root.Select("*[@Key]", definitions)) return keys;
  for (unsigned i = 0; i < definitions.GetCount() && keys.size() < 4; ++i) {
    CAppToolsXML::Element definition;
    definitions.GetAt(i, definition);
    CAppVariant key;
    definition.GetAttribut("Key", key);
    keys.push_back(key.ToString());
  }
  return keys;
}

void LoadDefinition(const std::string& name, const std::string& key) {
  CAppResources resources;
  resources.Init();
  std::unique_ptr<CAppParam> tree;
  try {
    tree = CAppStreamXML::Load(name, &resources, key);
  } catch (const CAppException&) {
    return;
  }
  if (!tree) std::abort();  // a schema that loads never answers null
  // A tree that loaded saves, and its binary file loads back.
  try {
    CAppToolsBin::Memory bytes(4096);
    CAppStreamBin::SaveStream save(&bytes, tree.get());
    CAppParam* again = nullptr;
    CAppStreamBin::LoadStream load(&bytes, again);
    delete again;
  } catch (const CAppException&) {
    // A value the binary format refuses (a string with a zero byte...).
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The schema the library carries, and small load limits: a fan-out is
  // refused quickly, and each input stays cheap.
  CAppToolsXML::SetSchemaPath("");
  CAppToolsXML::SetPath(Folder());
  CAppStreamXML::SetLimits({2000, 20, 50000, 100});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name = "input";
  {
    std::ofstream out(Folder() + name + ".xml", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::vector<std::string> keys;
  try {
    keys = DefinitionKeys(name);
  } catch (const CAppException&) {
    return 0;  // not XML
  }
  for (const std::string& key : keys) LoadDefinition(name, key);
  return 0;
}
