#include "EditDocument.h"

#include <filesystem>

#include "AppConfigFiles.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamEDS.h"
#include "appconfig/AppToolsBin.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppToolsXML.h"

namespace fs = std::filesystem;

namespace {

// `extension` in upper case.
bool HasExtension(const std::string& file, const char* extension) {
  return CAppTools::MakeUpper(fs::path(file).extension().string()) == extension;
}

std::vector<std::uint8_t> ReadAll(CAppToolsBin::Stream& stream) {
  std::vector<std::uint8_t> bytes(stream.GetLength());
  stream.Seek(0);
  if (!bytes.empty()) stream.ReadBytes(bytes.data(), static_cast<unsigned>(bytes.size()));
  return bytes;
}

// Soft errors reported while one node is checked, kept under its path.
class CheckOutput : public COutputInfoInterface {
public:
  explicit CheckOutput(std::vector<EditDocument::CheckError>& errors)
      : m_errors(errors), m_pPrevious(CAppLog::GetPtr()) {
    CAppLog::SetPtr(this);
  }
  ~CheckOutput() override { CAppLog::SetPtr(m_pPrevious); }
  CheckOutput(const CheckOutput&) = delete;
  CheckOutput& operator=(const CheckOutput&) = delete;

  void OutputInfo(const std::string& text, unsigned long /*param*/) override { m_errors.push_back({path, text}); }

  std::string path;

private:
  std::vector<EditDocument::CheckError>& m_errors;
  COutputInfoInterface* m_pPrevious;
};

}  // namespace

EditDocument::EditDocument() : m_pResources(std::make_unique<CAppResources>()) { m_pResources->Init(); }

EditDocument::~EditDocument() = default;

void EditDocument::Open(const std::string& file, const std::string& key, CAppStreamXML::LoadProgress* progress) {
  auto resources = std::make_unique<CAppResources>();
  resources->Init();
  std::unique_ptr<CAppParam> root;
  std::string rootKey = key;
  std::string deviceSource;
  std::vector<std::string> skipped;
  if (IsDeviceFile(file)) {
    root = CAppStreamEDS::Load(file, CAppStreamEDS::NODE_ID_FROM_FILE, &skipped);
    rootKey = DEVICE_KEY;
    deviceSource = file;
  } else if (HasExtension(file, ".BIN")) {
    root = CAppStreamBin::Load(file);
    if (root == nullptr) APP_THROW("Can not open %s", file.c_str());
    rootKey = root->GetKey();
  } else {
    if (rootKey.empty()) rootKey = OnlyDefinitionKey(file);
    root = CAppStreamXML::Load(UseDescription(file), resources.get(), rootKey, progress);
    if (root == nullptr) APP_THROW("Can not load %s: no description schema", file.c_str());
  }
  m_pRoot.reset();  // its nodes may use the old resources until gone
  m_pResources = std::move(resources);
  m_pRoot = std::move(root);
  m_strFile = file;
  m_strKey = rootKey;
  m_strDeviceSource = std::move(deviceSource);
  m_skipped = std::move(skipped);
  m_saved = Snapshot();
  m_undo.clear();
  m_bModified = false;
}

bool EditDocument::CanSaveInPlace() const {
  if (m_pRoot == nullptr) return false;
  if (HasExtension(m_strFile, ".BIN") || HasExtension(m_strFile, ".DCF")) return true;
  if (HasExtension(m_strFile, ".EDS")) return false;
  try {
    const DescriptionContents contents = ReadDescriptionContents(m_strFile);
    return contents.keys.size() == 1 && !contents.hasResources;
  } catch (const CAppException&) {
    return false;  // unreadable now: ask for a name rather than write over it
  }
}

void EditDocument::SaveAs(const std::string& file) {
  APP_CHECK_POINTER(m_pRoot);
  std::string target = file;
  if (HasExtension(file, ".BIN")) {
    CAppStreamBin::Save(m_pRoot.get(), target);
  } else if (HasExtension(file, ".DCF")) {
    if (m_strDeviceSource.empty()) APP_THROW("A DCF is written from a device opened from its .eds or .dcf file");
    CAppStreamEDS::SaveDCF(m_strDeviceSource, m_pRoot.get(), target, {});
    m_strDeviceSource = target;
  } else {
    if (!HasExtension(file, ".XML")) target += ".xml";
    // The loader finds a saved tree by its key only in upper case.
    const std::string key = m_pRoot->GetKey();
    m_pRoot->SetKey(CAppTools::MakeUpper(key));
    const std::string name = UseDescription(target);
    try {
      CAppStreamXML::Save(name, m_pRoot.get());
    } catch (...) {
      m_pRoot->SetKey(key);
      throw;
    }
    m_strKey = m_pRoot->GetKey();
    m_pRoot->SetKey(key);
  }
  m_strFile = target;
  m_saved = Snapshot();
  m_bModified = false;
}

std::vector<std::uint8_t> EditDocument::Snapshot() const {
  return ReadAll(*CAppStreamBin::CreateUndo(m_pRoot.get()));
}

void EditDocument::BeginChange() {
  if (m_pRoot != nullptr) m_before = Snapshot();
}

bool EditDocument::EndChange() {
  if (m_pRoot == nullptr || m_before.empty()) return false;
  std::vector<std::uint8_t> after = Snapshot();
  const bool changed = after != m_before;
  if (changed) {
    m_undo = std::move(m_before);
    m_bModified = after != m_saved;
  }
  m_before.clear();
  return changed;
}

void EditDocument::Undo() {
  if (m_undo.empty() || m_pRoot == nullptr) return;
  CAppToolsBin::Memory snapshot;
  snapshot.Assign(std::move(m_undo));
  m_undo.clear();
  snapshot.Seek(0);
  CAppStreamBin::MakeUndo(&snapshot, m_pRoot.get());
  m_bModified = Snapshot() != m_saved;
}

std::vector<EditDocument::CheckError> EditDocument::CheckAll() {
  std::vector<CheckError> errors;
  if (m_pRoot != nullptr) CheckNode(m_pRoot.get(), errors);
  return errors;
}

// Check runs a whole subtree and stops at its first failure; to list every
// failure each group is checked alone (its rule only) and its children one
// by one.
void EditDocument::CheckNode(CAppParam* node, std::vector<CheckError>& errors) {
  if (node->IsFlagsEnable(PF_NO_CHECK)) return;
  CAppParamGroup* group = node->IsFlagsEnable(PF_NO_CHECK_SUBTREE) ? nullptr : node->GetGroup();
  CheckOutput output(errors);
  output.path = node->GetPath();
  if (group != nullptr) node->ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  try {
    node->Check(m_pResources.get());
  } catch (const CAppException& e) {
    errors.push_back({output.path, e.GetMessage()});
  }
  if (group == nullptr) return;
  node->ModifyFlags(PF_NO_CHECK_SUBTREE, 0);
  try {
    group->_Check();
  } catch (const CAppException& e) {
    errors.push_back({output.path, e.GetMessage()});
  }
  for (POSITION pos = group->GetStartPosition(); pos != nullptr;) CheckNode(group->GetNextPtr(pos), errors);
}
