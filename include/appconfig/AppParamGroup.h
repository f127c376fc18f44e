// The inner node of a parameter tree: an ordered set of owned children,
// found by key without regard to letter case.
//
// Pointers into a subtree stay valid until the node is removed (RemoveParam,
// RemoveAll) or its group is destroyed with auto-delete on. MoveUp, MoveDown
// and adding other children never invalidate them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"

// Iteration cursor over a group's children; null after the last one.
class POSITION {
public:
  POSITION() = default;
  POSITION(std::nullptr_t) {}
  bool operator==(std::nullptr_t) const { return m_nNext == 0; }
  bool operator==(const POSITION&) const = default;
  explicit operator bool() const { return m_nNext != 0; }

private:
  friend class CAppParamGroup;
  explicit POSITION(std::size_t next) : m_nNext(next) {}
  std::size_t m_nNext = 0;  // index of the next child + 1; 0 is null
};

class CAppParamGroup : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamGroup)

public:
  enum EN_ADD_MODE {
    ADD_BY_KEY = 0,
    ADD_AUTO_INDEX = 1,
    ADD_MERGE = 2,
  };

  CAppParamGroup() = default;
  explicit CAppParamGroup(const std::string& name);
  CAppParamGroup(const std::string& name, const std::string& ref);
  // Destroys the children unless auto-delete was switched off.
  ~CAppParamGroup() override;

  // --- Lookups ------------------------------------------------------------
  // The node at `path` ("A\B\X", "..\X", "\A\X", "A\" for group A itself);
  // null when nothing is there. An empty path reports soft error 13685.
  CAppParam* _GetAt(const std::string& path);

  // Typed lookup: false when nothing was found; a node of another class
  // throws "Not an derived class for this pointer".
  template <class T>
  bool GetAt(const std::string& path, T*& out);

  // Direct child by key (no path syntax, no soft error); null when absent.
  CAppParam* FindChild(const std::string& key) const;

  POSITION GetStartPosition() const { return m_children.empty() ? POSITION() : POSITION(1); }
  CAppParam* GetNextPtr(POSITION& position) const;
  // The next child, from `position` on, whose upper-cased key matches the
  // pattern ("*" rest of key, "?" any one character). Write patterns in
  // upper case to match letters.
  CAppParam* GetNextPtr(const std::string& pattern, POSITION& position) const;

  unsigned GetCount() const { return static_cast<unsigned>(m_children.size()); }
  // The child's own key at that place in the order; "" when out of range.
  std::string GetKeyAt(unsigned index) const;

  bool FindName(const std::string& path, std::string& out, CAppResources* resources = nullptr);
  bool FindFmtValue(const std::string& path, std::string& out, CAppResources* resources = nullptr);
  bool FindSetFlags(const std::string& path, std::uint32_t bits);
  bool FindResetFlags(const std::string& path, std::uint32_t bits);

  // --- Changes ------------------------------------------------------------
  // Adopts `node` at `path` in the given mode and returns it; null when the
  // target group does not exist or the key is empty (soft errors 13686,
  // 13685; the node is then not adopted). A key already held in ADD_BY_KEY
  // or ADD_MERGE leaves the node unadopted too: the caller still owns it.
  // A throw destroys the node.
  CAppParam* _SetAt(const std::string& path, CAppParam* node, EN_ADD_MODE mode = ADD_BY_KEY);

  template <class T>
  T* SetAt(const std::string& path, T* node, EN_ADD_MODE mode = ADD_BY_KEY) {
    return static_cast<T*>(_SetAt(path, node, mode));
  }

  // Adopts `node` as the last child under the key it has, which must be a
  // plain key (no path). False when the key is empty, holds a '\\' or is
  // held already: the node then stays the caller's. No soft error.
  bool AddOwnKey(CAppParam* node);

  // Removes and destroys the child at `path`; false when there was none.
  bool RemoveParam(const std::string& path);
  void RemoveAll();
  // Makes room for `count` more children, so that adding them reallocates
  // nothing; a loader that knows how many children come calls it first.
  void Reserve(std::size_t count);
  // Swaps the child with the one behind it (toward the end of the order).
  void MoveUp(const std::string& key);
  // Swaps the child with the one before it (toward the front).
  void MoveDown(const std::string& key);

  void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }
  std::uint32_t GetAutoIndex() const { return m_nAutoIndex; }
  void IncAutoIndex() { ++m_nAutoIndex; }
  void SetRef(const std::string& ref) { m_strRef = ref; }
  const std::string& GetRef() const { return m_strRef; }

  // --- Overrides ------------------------------------------------------------
  CAppParamGroup* GetGroup() override { return this; }
  void DataSerialize(CAppDataRecord* record) override;
  void Serialize(CAppRecord* record) override;
  void _Check() override;
  unsigned ObjectSize() override;
  unsigned ObjectCount() override;

  static void _ResourcesInit(CAppResources* resources);

private:
  // A child's SetKey tells its group first.
  friend class CAppParam;
  // Indexes `child` under `key` instead of its key; throws, changing
  // nothing, when `key` is empty or another child holds it.
  void OnChildKey(const CAppParam& child, std::string_view key);

  CAppParamGroup* _FindGroup(std::string& path);
  // Takes `node` under `key` unless the key is empty or already held.
  bool Adopt(CAppParam* node, const std::string& key);
  // Appends `node` as the last child and indexes it under `key`; false,
  // changing nothing, when the key is already held.
  bool AppendIndexed(CAppParam* node, const std::string& key);
  bool RemoveChild(const std::string& key);
  void SwapChildren(std::size_t a, std::size_t b);
  // The place of the child whose key is `key` in any case (hash `hash` of
  // the upper-cased key); npos if none.
  std::size_t FindPlace(std::string_view key, std::uint32_t hash) const;
  // The place of the child under `key`, in any case; npos if none.
  std::size_t PlaceOfKey(const std::string& key) const;
  // The slot that refers to the child at `place`.
  std::size_t SlotOf(std::size_t place) const;
  void InsertSlot(std::uint32_t hash, std::size_t place);
  // Frees the slot and moves up the ones behind it that probed past it.
  void EraseSlot(std::size_t slot);
  // Rebuilds the slots for `count` children (at least those there are).
  void Reindex(std::size_t count);
  void GrowIndex(std::size_t count);

  // Children in iteration order. The index over them is open addressing in
  // one array and keeps no copy of the keys, so that a child costs no
  // allocation of its own: each slot holds the hash of the upper-cased key
  // in its high half and place + 1 in its low half (0: free); a probe
  // compares the child's own key without regard to case.
  std::vector<std::unique_ptr<CAppParam>> m_children;
  std::vector<std::uint64_t> m_slots;
  bool m_bAutoDelete = true;
  std::uint32_t m_nAutoIndex = 0;
  std::string m_strRef;
};

template <class T>
bool CAppParamGroup::GetAt(const std::string& path, T*& out) {
  CAppParam* node = _GetAt(path);
  out = nullptr;
  if (node == nullptr) return false;
  out = static_cast<T*>(CAppDynamic::GetPtrClass(T::StaticRuntimeClass(), node));
  if (out == nullptr) {
    AppThrowException("AppParamGroup", __LINE__, "Not an derived class for this pointer");
  }
  return true;
}
