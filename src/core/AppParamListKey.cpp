#include "appconfig/AppParamListKey.h"

#include <iterator>

#include "appconfig/AppException.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamListKey, CAppParam)

CAppParamListKey::Position CAppParamListKey::GetStartPosition() {
  return Position(m_list.begin(), !m_list.empty());
}

CAppParamListKey::Position CAppParamListKey::GetEndPosition() {
  return m_list.empty() ? Position() : Position(std::prev(m_list.end()), true);
}

const std::string& CAppParamListKey::GetNext(Position& position) {
  if (!position) APP_THROW("Bad pointer");
  const std::string& entry = *position.m_it;
  ++position.m_it;
  position.m_bValid = position.m_it != m_list.end();
  return entry;
}

const std::string& CAppParamListKey::GetPrevious(Position& position) {
  if (!position) APP_THROW("Bad pointer");
  const std::string& entry = *position.m_it;
  if (position.m_it == m_list.begin()) {
    position = Position();
  } else {
    --position.m_it;
  }
  return entry;
}

const std::string& CAppParamListKey::GetAt(Position position) const {
  if (!position) APP_THROW("Bad pointer");
  return *position.m_it;
}

const std::string& CAppParamListKey::GetAt(unsigned index) const {
  if (index >= m_list.size()) APP_THROW("Bad pointer");
  return *std::next(m_list.begin(), index);
}

CAppParamListKey::Position CAppParamListKey::InsertAfter(const std::string& key,
                                                         Position position) {
  const auto where = position ? std::next(position.m_it) : m_list.end();
  return Position(m_list.insert(where, key), true);
}

CAppParamListKey::Position CAppParamListKey::InsertBefore(const std::string& key,
                                                          Position position) {
  const auto where = position ? position.m_it : m_list.begin();
  return Position(m_list.insert(where, key), true);
}

bool CAppParamListKey::RemoveAt(Position position) {
  if (!position) APP_THROW("Bad pointer");
  m_list.erase(position.m_it);
  return true;
}

bool CAppParamListKey::Find(const std::string& key) const {
  const std::string upper = CAppTools::MakeUpper(key);
  for (const std::string& entry : m_list) {
    if (CAppTools::MatchKey(upper, entry)) return true;
  }
  return false;
}

void CAppParamListKey::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("List", m_list);
}

void CAppParamListKey::_Check() {
  if (AppDynamicCast<CAppParamListKey>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParam::_Check();
}

void CAppParamListKey::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateProfile("CAppParamListKey");
  resources->AddClassIcons("Param ListKey");
}
