#include "appconfig/AppParamGroup.h"

#include <utility>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamGroup, CAppParam)

namespace {

constexpr unsigned kIdEmptyKey = 13685;
constexpr unsigned kIdNotFound = 13686;

}  // namespace

CAppParamGroup::CAppParamGroup(const std::string& name) { SetName(name); }

CAppParamGroup::CAppParamGroup(const std::string& name, const std::string& ref) : m_strRef(ref) {
  SetName(name);
}

CAppParamGroup::~CAppParamGroup() {
  if (!m_bAutoDelete) {
    for (auto& child : m_children) {
      child->SetParent(nullptr);
      (void)child.release();
    }
  }
  RemoveAll();
}

// --- Container ----------------------------------------------------------------

CAppParam* CAppParamGroup::FindChild(const std::string& key) const {
  const auto it = m_index.find(CAppTools::MakeUpper(key));
  return it != m_index.end() ? m_children[it->second].get() : nullptr;
}

bool CAppParamGroup::Adopt(CAppParam* node, const std::string& key) {
  if (key.empty()) return false;
  const auto inserted = m_index.emplace(CAppTools::MakeUpper(key), m_children.size());
  if (!inserted.second) return false;
  m_children.emplace_back(node);
  node->SetKey(key);
  node->SetParent(this);
  return true;
}

void CAppParamGroup::SwapChildren(std::size_t a, std::size_t b) {
  std::swap(m_children[a], m_children[b]);
  m_index[CAppTools::MakeUpper(m_children[a]->GetKey())] = a;
  m_index[CAppTools::MakeUpper(m_children[b]->GetKey())] = b;
}

// --- Paths and lookups ----------------------------------------------------------

CAppParamGroup* CAppParamGroup::_FindGroup(std::string& path) {
  // A plain key, the usual case, names a child of this group.
  if (path.find('\\') == std::string::npos) return GetGroup();
  std::vector<std::string> steps;
  CAppTools::KeyToPaths(steps, path);
  CAppParam* current = this;
  for (std::size_t i = 0; i < steps.size() && current != nullptr; ++i) {
    const std::string& step = steps[i];
    if (step[0] == '\\') {
      if (i == 0) {
        while (current->GetParent() != nullptr) current = current->GetParent();
      }
    } else if (step == ".") {
      // stay
    } else if (step == "..") {
      current = current->GetParent();
    } else {
      CAppParamGroup* group = current->GetGroup();
      CAppParam* child = group != nullptr ? group->FindChild(step) : nullptr;
      current = child != nullptr ? child->GetGroup() : nullptr;
    }
  }
  return current != nullptr ? current->GetGroup() : nullptr;
}

CAppParam* CAppParamGroup::_GetAt(const std::string& path) {
  if (path.empty()) {
    CAppLog::DisplayResourceMessage(kIdEmptyKey, GetKey().c_str(), GetName().c_str());
    return nullptr;
  }
  std::string key = path;
  CAppParamGroup* target = _FindGroup(key);
  if (target == nullptr) return nullptr;
  if (key.empty()) return target;
  return target->FindChild(key);
}

CAppParam* CAppParamGroup::GetNextPtr(POSITION& position) const {
  if (position.m_nNext == 0 || position.m_nNext > m_children.size()) {
    position = nullptr;
    return nullptr;
  }
  const std::size_t index = position.m_nNext - 1;
  position = index + 1 < m_children.size() ? POSITION(index + 2) : POSITION();
  return m_children[index].get();
}

CAppParam* CAppParamGroup::GetNextPtr(const std::string& pattern, POSITION& position) const {
  while (position != nullptr) {
    CAppParam* child = GetNextPtr(position);
    if (CAppTools::MatchKey(CAppTools::MakeUpper(child->GetKey()), pattern)) return child;
  }
  return nullptr;
}

std::string CAppParamGroup::GetKeyAt(unsigned index) const {
  return index < m_children.size() ? m_children[index]->GetKey() : std::string();
}

bool CAppParamGroup::FindName(const std::string& path, std::string& out, CAppResources* resources) {
  CAppParam* node = nullptr;
  if (!GetAt(path, node)) return false;
  out = node->GetName(resources);
  return true;
}

bool CAppParamGroup::FindFmtValue(const std::string& path, std::string& out,
                                  CAppResources* resources) {
  CAppParam* node = nullptr;
  if (!GetAt(path, node)) return false;
  out = node->GetFmtValue(resources);
  return true;
}

bool CAppParamGroup::FindSetFlags(const std::string& path, std::uint32_t bits) {
  CAppParam* node = nullptr;
  if (!GetAt(path, node)) return false;
  node->ModifyFlags(0, bits);
  return true;
}

bool CAppParamGroup::FindResetFlags(const std::string& path, std::uint32_t bits) {
  CAppParam* node = nullptr;
  if (!GetAt(path, node)) return false;
  node->ModifyFlags(bits, 0);
  return true;
}

// --- Changes ----------------------------------------------------------------------

CAppParam* CAppParamGroup::_SetAt(const std::string& path, CAppParam* node, EN_ADD_MODE mode) {
  APP_CHECK_POINTER(node);
  // Owns the node until it is adopted, so that any throw destroys it.
  std::unique_ptr<CAppParam> holder(node);
  std::string key = path;
  CAppParamGroup* target = _FindGroup(key);
  if (target == nullptr) {
    CAppLog::DisplayResourceMessage(kIdNotFound, key.c_str(), GetKey().c_str(), GetName().c_str());
    (void)holder.release();
    return nullptr;
  }
  switch (mode) {
    case ADD_MERGE:
      if (target->FindChild(key) != nullptr) return holder.release();
      [[fallthrough]];
    case ADD_BY_KEY:
      if (key.empty()) {
        CAppLog::DisplayResourceMessage(kIdEmptyKey, target->GetKey().c_str(),
                                        target->GetName().c_str());
        (void)holder.release();
        return nullptr;
      }
      break;
    case ADD_AUTO_INDEX: {
      const std::string root = key;
      do {
        key = CAppTools::Format("%s_%u", root.c_str(), m_nAutoIndex);
        ++m_nAutoIndex;
      } while (target->FindChild(key) != nullptr);
      break;
    }
    default:
      APP_THROW("Invalid Data");
  }
  // A key already held leaves the node with the caller.
  target->Adopt(node, key);
  return holder.release();
}

bool CAppParamGroup::RemoveParam(const std::string& path) {
  std::string key = path;
  CAppParamGroup* target = _FindGroup(key);
  if (target == nullptr) {
    CAppLog::DisplayResourceMessage(kIdNotFound, key.c_str(), GetKey().c_str(), GetName().c_str());
    return false;
  }
  return target->RemoveChild(key);
}

bool CAppParamGroup::RemoveChild(const std::string& key) {
  const auto it = m_index.find(CAppTools::MakeUpper(key));
  if (it == m_index.end()) return false;
  const std::size_t place = it->second;
  m_index.erase(it);
  std::unique_ptr<CAppParam> removed = std::move(m_children[place]);
  m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(place));
  for (std::size_t i = place; i < m_children.size(); ++i) {
    m_index[CAppTools::MakeUpper(m_children[i]->GetKey())] = i;
  }
  removed->SetParent(nullptr);
  return true;
}

void CAppParamGroup::RemoveAll() {
  // Unlink everything first so that a dying child cannot reach its siblings.
  std::vector<std::unique_ptr<CAppParam>> doomed = std::move(m_children);
  m_children.clear();
  m_index.clear();
  for (auto& child : doomed) {
    if (child) child->SetParent(nullptr);
  }
  doomed.clear();
}

void CAppParamGroup::MoveUp(const std::string& key) {
  const auto it = m_index.find(CAppTools::MakeUpper(key));
  if (it == m_index.end()) return;
  const std::size_t place = it->second;
  if (place + 1 < m_children.size()) SwapChildren(place, place + 1);
}

void CAppParamGroup::MoveDown(const std::string& key) {
  const auto it = m_index.find(CAppTools::MakeUpper(key));
  if (it == m_index.end()) return;
  const std::size_t place = it->second;
  if (place > 0) SwapChildren(place - 1, place);
}

// --- Overrides ----------------------------------------------------------------------

void CAppParamGroup::DataSerialize(CAppDataRecord* record) {
  APP_CHECK_POINTER(record);
  for (auto& child : m_children) child->DataSerialize(record);
}

void CAppParamGroup::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("AutoIndex", m_nAutoIndex);
  record->Do("Parent", m_strRef);
  record->Do("Param", *this);
}

void CAppParamGroup::_Check() {
  if (AppDynamicCast<CAppParamGroup>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParam::_Check();
}

unsigned CAppParamGroup::ObjectSize() {
  unsigned size = CAppParam::ObjectSize();
  for (auto& child : m_children) size += child->ObjectSize();
  return size;
}

unsigned CAppParamGroup::ObjectCount() {
  unsigned count = 1;
  for (auto& child : m_children) count += child->ObjectCount();
  return count;
}

void CAppParamGroup::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamGroup", "List", "Param Group");
  resources->AddIcon("Param Group", "", 13611u, true);
  resources->AddIcon("Param Group", "RO", 13613u, true);
}
