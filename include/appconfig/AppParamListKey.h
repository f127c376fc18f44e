// A parameter holding an ordered list of strings (duplicates allowed), used
// mostly inside profiles: format lists, filter patterns, column lists.
#pragma once

#include <list>
#include <string>

#include "appconfig/AppParam.h"

class CAppParamListKey : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamListKey)

public:
  // A place in the list; stays valid until its entry is removed. A
  // default-constructed position is "none".
  class Position {
  public:
    Position() : m_bValid(false) {}
    bool operator==(std::nullptr_t) const { return !m_bValid; }
    explicit operator bool() const { return m_bValid; }

  private:
    friend class CAppParamListKey;
    Position(std::list<std::string>::iterator it, bool valid) : m_it(it), m_bValid(valid) {}
    std::list<std::string>::iterator m_it;
    bool m_bValid;
  };

  CAppParamListKey() = default;
  explicit CAppParamListKey(const std::string& name) { SetName(name); }

  unsigned GetCount() const { return static_cast<unsigned>(m_list.size()); }
  Position GetStartPosition();
  Position GetEndPosition();
  // The entry at the position; the position moves on (or to none).
  const std::string& GetNext(Position& position);
  const std::string& GetPrevious(Position& position);
  // A position of none throws "Bad pointer".
  const std::string& GetAt(Position position) const;
  // An index at or past GetCount() throws "Bad pointer".
  const std::string& GetAt(unsigned index) const;
  Position InsertAfter(const std::string& key, Position position);
  Position InsertBefore(const std::string& key, Position position);
  bool RemoveAt(Position position);
  void RemoveAll() { m_list.clear(); }
  // True when an entry matches the upper-cased key ("*" and "?" wildcards).
  bool Find(const std::string& key) const;

  void Serialize(CAppRecord* record) override;
  void _Check() override;

  static void _ResourcesInit(CAppResources* resources);

private:
  std::list<std::string> m_list;
};
