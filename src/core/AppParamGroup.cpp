#include "appconfig/AppParamGroup.h"

#include <string_view>
#include <utility>

#include "AppSameKey.h"
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

namespace {

bool HasHighBytes(std::string_view key) {
  for (const char c : key) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

unsigned char UpperAscii(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

// FNV-1a over the upper-cased bytes, finished so that the low bits the
// slots are chosen by depend on every byte.
std::uint32_t KeyHash(std::string_view key) {
  std::string upper;
  if (HasHighBytes(key)) {
    upper = CAppTools::MakeUpper(std::string(key));
    key = upper;
  }
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const char c : key) h = (h ^ UpperAscii(c)) * 0x100000001B3ull;
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

constexpr std::uint64_t kPlaceMask = 0xFFFFFFFFu;

// At most half full, so that probes stay short.
std::size_t SlotsFor(std::size_t count) {
  std::size_t size = 16;
  while (size < 2 * count) size *= 2;
  return size;
}

std::uint64_t MakeSlot(std::uint32_t hash, std::size_t place) {
  return std::uint64_t{hash} << 32 | (static_cast<std::uint64_t>(place) + 1);
}

}  // namespace

std::size_t CAppParamGroup::FindPlace(std::string_view key, std::uint32_t hash) const {
  if (m_slots.empty()) return std::string::npos;
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const std::uint64_t slot = m_slots[i];
    if (slot == 0) return std::string::npos;
    const std::size_t place = static_cast<std::size_t>(slot & kPlaceMask) - 1;
    if ((slot >> 32) == hash && AppSameKey(m_children[place]->GetKey(), key)) return place;
  }
}

std::size_t CAppParamGroup::PlaceOfKey(const std::string& key) const { return FindPlace(key, KeyHash(key)); }

std::size_t CAppParamGroup::SlotOf(std::size_t place) const {
  const std::size_t mask = m_slots.size() - 1;
  const std::uint64_t wanted = static_cast<std::uint64_t>(place) + 1;
  // SetKey keeps every child indexed under the hash of its key.
  for (std::size_t i = KeyHash(m_children[place]->GetKey()) & mask;; i = (i + 1) & mask) {
    if ((m_slots[i] & kPlaceMask) == wanted) return i;
  }
}

void CAppParamGroup::InsertSlot(std::uint32_t hash, std::size_t place) {
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = hash & mask;
  while (m_slots[i] != 0) i = (i + 1) & mask;
  m_slots[i] = MakeSlot(hash, place);
}

void CAppParamGroup::EraseSlot(std::size_t slot) {
  const std::size_t mask = m_slots.size() - 1;
  m_slots[slot] = 0;
  // A slot behind the freed one stays where it is only when its home lies
  // cyclically in (slot, next]; otherwise its probe would now stop short.
  for (std::size_t next = (slot + 1) & mask; m_slots[next] != 0; next = (next + 1) & mask) {
    const std::size_t home = static_cast<std::size_t>(m_slots[next] >> 32) & mask;
    if (((next - home) & mask) < ((next - slot) & mask)) continue;
    m_slots[slot] = m_slots[next];
    m_slots[next] = 0;
    slot = next;
  }
}

void CAppParamGroup::Reindex(std::size_t count) {
  m_slots.assign(SlotsFor(count), 0);
  for (std::size_t place = 0; place < m_children.size(); ++place) {
    InsertSlot(KeyHash(m_children[place]->GetKey()), place);
  }
}

void CAppParamGroup::GrowIndex(std::size_t count) {
  // The slots keep each key's hash and place: growing reads no key again.
  std::vector<std::uint64_t> old(SlotsFor(count), 0);
  old.swap(m_slots);
  for (const std::uint64_t slot : old) {
    if (slot != 0) InsertSlot(static_cast<std::uint32_t>(slot >> 32), static_cast<std::size_t>(slot & kPlaceMask) - 1);
  }
}

void CAppParamGroup::Reserve(std::size_t count) {
  const std::size_t total = m_children.size() + count;
  m_children.reserve(total);
  if (2 * total > m_slots.size()) GrowIndex(total);
}

CAppParam* CAppParamGroup::FindChild(const std::string& key) const {
  const std::size_t place = PlaceOfKey(key);
  return place != std::string::npos ? m_children[place].get() : nullptr;
}

bool CAppParamGroup::Adopt(CAppParam* node, const std::string& key) {
  if (key.empty() || !AppendIndexed(node, key)) return false;
  node->SetKey(key);
  node->SetParent(this);
  return true;
}

bool CAppParamGroup::AddOwnKey(CAppParam* node) {
  APP_CHECK_POINTER(node);
  const std::string& key = node->GetKey();
  if (key.empty() || key.find('\\') != std::string::npos || !AppendIndexed(node, key)) return false;
  node->SetParent(this);
  return true;
}

bool CAppParamGroup::AppendIndexed(CAppParam* node, const std::string& key) {
  const std::uint32_t hash = KeyHash(key);
  if (FindPlace(key, hash) != std::string::npos) return false;
  const std::size_t place = m_children.size();
  if (2 * (place + 1) > m_slots.size()) GrowIndex(place + 1);
  m_children.emplace_back(node);
  InsertSlot(hash, place);
  return true;
}

void CAppParamGroup::SwapChildren(std::size_t a, std::size_t b) {
  const std::size_t slotA = SlotOf(a);
  const std::size_t slotB = SlotOf(b);
  std::swap(m_children[a], m_children[b]);
  m_slots[slotA] = (m_slots[slotA] & ~kPlaceMask) | (static_cast<std::uint64_t>(b) + 1);
  m_slots[slotB] = (m_slots[slotB] & ~kPlaceMask) | (static_cast<std::uint64_t>(a) + 1);
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

void CAppParamGroup::OnChildKey(const CAppParam& child, std::string_view key) {
  if (AppSameKey(key, child.GetKey())) return;  // same slot
  if (key.empty()) APP_THROW("Empty key in group : %s", GetKey().c_str());
  const std::uint32_t hash = KeyHash(key);
  if (FindPlace(key, hash) != std::string::npos) {
    APP_THROW("Key already used : %s in group : %s", std::string(key).c_str(), GetKey().c_str());
  }
  // A node given this group as parent by hand, and never adopted, has no slot.
  const std::size_t place = PlaceOfKey(child.GetKey());
  if (place == std::string::npos || m_children[place].get() != &child) return;
  EraseSlot(SlotOf(place));
  InsertSlot(hash, place);
}

bool CAppParamGroup::RemoveChild(const std::string& key) {
  const std::size_t place = PlaceOfKey(key);
  if (place == std::string::npos) return false;
  std::unique_ptr<CAppParam> removed = std::move(m_children[place]);
  m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(place));
  // The places behind it all moved: the index is rebuilt.
  Reindex(m_children.size());
  removed->SetParent(nullptr);
  return true;
}

void CAppParamGroup::RemoveAll() {
  // Unlink everything first so that a dying child cannot reach its siblings.
  std::vector<std::unique_ptr<CAppParam>> doomed = std::move(m_children);
  m_children.clear();
  m_slots.clear();
  for (auto& child : doomed) {
    if (child) child->SetParent(nullptr);
  }
  doomed.clear();
}

void CAppParamGroup::MoveUp(const std::string& key) {
  const std::size_t place = PlaceOfKey(key);
  if (place != std::string::npos && place + 1 < m_children.size()) SwapChildren(place, place + 1);
}

void CAppParamGroup::MoveDown(const std::string& key) {
  const std::size_t place = PlaceOfKey(key);
  if (place != std::string::npos && place > 0) SwapChildren(place - 1, place);
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
