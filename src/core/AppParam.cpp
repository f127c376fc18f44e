#include "appconfig/AppParam.h"

#include <string>
#include <unordered_map>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"

APP_IMPLEMENT_DYNCREATE(CAppParam, CAppObject)

void CAppParam::TraceNotSupported(const char* operation, const char* file, unsigned line) const {
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  log.Info(file, line);
  log.Trace("%s not supported for class : %s key: %s", operation, GetClassName().c_str(),
            m_strKey.Get().c_str());
}

void CAppParam::SetKey(std::string_view key) {
  if (m_pParent != nullptr) m_pParent->OnChildKey(*this, key);
  m_strKey = key;
}

// --- Virtual operations -----------------------------------------------------

CAppParamGroup* CAppParam::GetGroup() { return nullptr; }

bool CAppParam::_GetFmtValue(std::string& /*out*/, CAppResources* /*resources*/) { return false; }

std::string CAppParam::_GetUnit(CAppResources* /*resources*/) { return std::string(); }

void CAppParam::DataSerialize(CAppDataRecord* record) { IsDataSerializable(record, 0); }

void CAppParam::SetBitSize(unsigned /*bits*/) { TraceNotSupported("SetBitSize", __FILE__, __LINE__); }

unsigned CAppParam::GetBitSize() {
  TraceNotSupported("GetBitSize", __FILE__, __LINE__);
  return 0;
}

void CAppParam::Serialize(CAppRecord* record) {
  APP_CHECK_POINTER(record);
  // A record that brings another key renames the node: through SetKey, so
  // that the group holding it follows.
  CAppText key = m_strKey;
  record->Do("Key", key);
  SetKey(key.Get());
  record->Do("Name", m_strName);
  record->Do("Help", m_strHelp);
  record->Do("Flags", m_flags);
  record->Do("Alias", m_strAlias);
}

void CAppParam::_Check() {
  if (AppDynamicCast<CAppParam>(this) == nullptr) APP_THROW("Bad pointer");
}

unsigned CAppParam::ObjectSize() {
  return GetRuntimeClass()->m_nObjectSize;
}

unsigned CAppParam::ObjectCount() { return 1; }

std::string CAppParam::GetClassName() const { return GetRuntimeClass()->m_lpszClassName; }

std::string CAppParam::GetBaseClassName() const {
  const CAppRuntimeClass* base = GetRuntimeClass()->m_pBaseClass;
  return base != nullptr ? base->m_lpszClassName : std::string();
}

std::string CAppParam::GetAlias() const { return m_strAlias; }

void CAppParam::SetAlias(const std::string& alias) { m_strAlias = alias; }

CAppVariant CAppParam::GetVariant(unsigned /*index*/) {
  TraceNotSupported("GetVariant", __FILE__, __LINE__);
  return CAppVariant();
}

CAppVariant CAppParam::GetVariant() {
  TraceNotSupported("GetVariant", __FILE__, __LINE__);
  return CAppVariant();
}

void CAppParam::SetVariant(const CAppVariant& /*value*/, unsigned /*index*/) {
  TraceNotSupported("SetVariant", __FILE__, __LINE__);
}

void CAppParam::SetVariant(const CAppVariant& /*value*/) {
  TraceNotSupported("SetVariant", __FILE__, __LINE__);
}

void CAppParam::GetData(std::vector<std::uint8_t>& /*data*/) {}

void CAppParam::SetData(std::vector<std::uint8_t>& /*data*/) {}

void CAppParam::LoadDefault(bool /*force*/) {}

// --- Typed values -------------------------------------------------------------

bool CAppParam::GetIntegerValue(std::uint16_t type, std::int64_t& value) {
  CAppVariant variant = GetVariant();
  variant.ChangeType(type, nullptr, true);  // a failure shows 13689 itself
  if (variant.GetType() != type) return false;
  value = variant.GetInt64();
  return true;
}

void CAppParam::SetIntegerValue(std::uint16_t type, std::int64_t value) {
  CAppVariant variant;
  variant.SetInt(type, value);  // kept in the width of the type, either sign
  SetVariant(variant);
}

bool CAppParam::GetValue(std::string& value) {
  value = GetVariant().ToString();
  return true;
}

bool CAppParam::GetValue(CAppVariant& value) {
  value = GetVariant();
  return true;
}

void CAppParam::SetValue(const std::string& value) { SetVariant(CAppVariant(value)); }

void CAppParam::SetValue(const char* value) {
  APP_CHECK_POINTER(value);
  SetVariant(CAppVariant(value));
}

void CAppParam::SetValue(const CAppVariant& value) { SetVariant(value); }

// --- Presentation lookups ---------------------------------------------------

std::string CAppParam::GetName(CAppResources* resources) {
  std::string value;
  if (resources != nullptr && resources->Load(value, this, "SYS_NAME")) return value;
  return m_strName;
}

std::string CAppParam::GetUnit(CAppResources* resources) {
  std::string value;
  if (resources != nullptr && resources->Load(value, this, "SYS_UNIT")) return value;
  return _GetUnit(resources);
}

std::string CAppParam::GetFmtValue(CAppResources* resources) {
  std::string value;
  if (resources != nullptr && resources->Load(value, this, "SYS_DATA")) return value;
  if (_GetFmtValue(value, resources)) return value;
  return GetVariant().ToString();
}

// --- Tree queries -------------------------------------------------------------

CAppParamGroup* CAppParam::GetPath(std::string& path) {
  path.clear();
  CAppParam* node = this;
  while (node->m_pParent != nullptr) {
    path = path.empty() ? node->m_strKey.Get() : node->m_strKey.Get() + "\\" + path;
    node = node->m_pParent;
  }
  return node->GetGroup();
}

std::string CAppParam::GetPath() {
  std::string path;
  GetPath(path);
  return path;
}

std::string CAppParam::GetFullKey() const {
  std::string full = m_strKey.Get();
  for (const CAppParam* node = m_pParent; node != nullptr; node = node->m_pParent) {
    full = node->m_strKey.Get() + "\\" + full;
  }
  return full;
}

// --- Check and data image -----------------------------------------------------

namespace {

// One check pass over a tree. Nodes of one class and alias share a profile,
// so each profile's check-rule entry is looked up once per pass instead of
// once per node; the rule itself is still created for every node it checks.
class CheckPass {
public:
  explicit CheckPass(CAppResources* resources) : m_pResources(resources) {}

  void Run(CAppParam* node) {
    if (node->IsFlagsEnable(PF_NO_CHECK)) return;
    if (m_pResources != nullptr) {
      if (auto rule = CAppRule::CreateRule<CAppRuleCheck>(m_pResources, RuleEntry(node))) rule->Check(node);
    }
    if (node->IsFlagsEnable(PF_NO_CHECK_SUBTREE)) return;
    node->_Check();
    if (CAppParamGroup* group = node->GetGroup()) {
      POSITION pos = group->GetStartPosition();
      while (pos != nullptr) Run(group->GetNextPtr(pos));
    }
  }

private:
  // A node whose class has no profile (and whose alias names none) is a
  // description fault: FindProfile throws "Bad pointer" for it. Siblings are
  // mostly of one class and alias: the last answer is kept.
  CAppParam* RuleEntry(CAppParam* node) {
    const CAppRuntimeClass* runtimeClass = node->GetRuntimeClass();
    std::string alias = node->GetAlias();
    if (runtimeClass == m_lastClass && alias == m_lastAlias) return m_lastEntry;
    auto& byAlias = m_entries[runtimeClass];
    auto known = byAlias.find(alias);
    if (known == byAlias.end()) {
      CAppParam* entry = m_pResources->FindWithDefault(m_pResources->FindProfile(node), "SYS_CHECK_RULE");
      known = byAlias.emplace(alias, entry).first;
    }
    m_lastClass = runtimeClass;
    m_lastAlias = std::move(alias);
    m_lastEntry = known->second;
    return m_lastEntry;
  }

  CAppResources* m_pResources;
  const CAppRuntimeClass* m_lastClass = nullptr;
  std::string m_lastAlias;
  CAppParam* m_lastEntry = nullptr;
  std::unordered_map<const CAppRuntimeClass*, std::unordered_map<std::string, CAppParam*>> m_entries;
};

}  // namespace

void CAppParam::Check(CAppResources* resources) { CheckPass(resources).Run(this); }

bool CAppParam::IsDataSerializable(CAppDataRecord* record, unsigned bits) {
  APP_CHECK_POINTER(record);
  if (bits == 0) return false;
  record->BeginParam(this);
  if (IsFlagsEnable(PF_NO_DATA)) {
    record->Skip(bits);
    return false;
  }
  return true;
}

void CAppParam::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateProfile("CAppParam");
}
