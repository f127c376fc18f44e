#include "appconfig/AppRecord.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "appconfig/AppException.h"

bool CAppRecord::IsModeLoad() { return false; }

CAppParamGroup::EN_ADD_MODE CAppRecord::GetAddMode() { return CAppParamGroup::ADD_BY_KEY; }

bool CAppRecord::GetField() {
  if (IsModeLoad()) APP_THROW("Error");
  return true;
}

unsigned CAppRecord::GetCount() { return 0; }

void CAppRecord::Validate() {}

std::uint64_t CAppRecord::LoadInteger(const void* value, unsigned bytes) {
  switch (bytes) {
    case 1: return *static_cast<const std::uint8_t*>(value);
    case 2: return *static_cast<const std::uint16_t*>(value);
    case 4: return *static_cast<const std::uint32_t*>(value);
    default: return *static_cast<const std::uint64_t*>(value);
  }
}

void CAppRecord::StoreInteger(void* value, unsigned bytes, std::uint64_t n) {
  switch (bytes) {
    case 1: *static_cast<std::uint8_t*>(value) = static_cast<std::uint8_t>(n); break;
    case 2: *static_cast<std::uint16_t*>(value) = static_cast<std::uint16_t>(n); break;
    case 4: *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(n); break;
    default: *static_cast<std::uint64_t*>(value) = n; break;
  }
}

void CAppRecord::DoScalar(std::uint32_t code, void* value) {
  SetType(code);
  if (!GetField()) return;
  Serialize(value, 0);
  Validate();
}

template <class Array>
void CAppRecord::DoArray(std::uint32_t code, Array& array) {
  SetType(code);
  if (!GetField()) return;
  if (IsModeLoad()) array.resize(GetCount());
  for (std::size_t i = 0; i < array.size(); ++i) {
    Serialize(&array[i], static_cast<unsigned>(i));
  }
  Validate();
}

void CAppRecord::_Do(CAppTools::Type& value) { DoScalar(FT_TYPE, &value); }
void CAppRecord::_Do(CAppTools::Flags& value) { DoScalar(FT_FLAGS, &value); }
template <class Narrow, class Wide>
void CAppRecord::DoNarrowed(std::uint32_t code, Wide& value) {
  SetType(code);
  if (!GetField()) return;
  if (!IsModeLoad() && !std::in_range<Narrow>(value)) {
    APP_THROW("Value does not fit 32 bits : %s = %s", GetName().c_str(), std::to_string(value).c_str());
  }
  auto narrow = static_cast<Narrow>(value);
  Serialize(&narrow, 0);
  if (IsModeLoad()) value = narrow;
  Validate();
}

void CAppRecord::_Do(unsigned long& value) { DoNarrowed<std::uint32_t>(FT_UI4, value); }
void CAppRecord::_Do(long& value) { DoNarrowed<std::int32_t>(FT_I4, value); }
void CAppRecord::_Do(unsigned long long& value) {
  DoScalar(IntegerCode<unsigned long long>(), &value);
}
void CAppRecord::_Do(long long& value) { DoScalar(IntegerCode<long long>(), &value); }
void CAppRecord::_Do(unsigned int& value) { DoScalar(IntegerCode<unsigned int>(), &value); }
void CAppRecord::_Do(int& value) { DoScalar(IntegerCode<int>(), &value); }
void CAppRecord::_Do(unsigned short& value) { DoScalar(IntegerCode<unsigned short>(), &value); }
void CAppRecord::_Do(short& value) { DoScalar(IntegerCode<short>(), &value); }
void CAppRecord::_Do(unsigned char& value) { DoScalar(IntegerCode<unsigned char>(), &value); }
void CAppRecord::_Do(signed char& value) { DoScalar(IntegerCode<signed char>(), &value); }
void CAppRecord::_Do(std::string& value) { DoScalar(FT_STRING, &value); }
void CAppRecord::_Do(CAppText& value) {
  SetType(FT_STRING);
  if (!GetField()) return;
  std::string text = value.Get();
  Serialize(&text, 0);
  if (IsModeLoad()) value = text;
  Validate();
}

void CAppRecord::_Do(std::vector<std::uint8_t>& array) { DoArray(FT_BYTES, array); }
void CAppRecord::_Do(std::vector<std::uint32_t>& array) { DoArray(FT_DWORDS, array); }
void CAppRecord::_Do(std::vector<std::string>& array) { DoArray(FT_STRINGS, array); }
void CAppRecord::_Do(std::vector<CAppText>& array) {
  SetType(FT_STRINGS);
  if (!GetField()) return;
  if (IsModeLoad()) array.resize(GetCount());
  for (std::size_t i = 0; i < array.size(); ++i) {
    std::string text = array[i].Get();
    Serialize(&text, static_cast<unsigned>(i));
    if (IsModeLoad()) array[i] = text;
  }
  Validate();
}

void CAppRecord::_Do(std::list<std::string>& list) {
  SetType(FT_STRINGS);
  if (!GetField()) return;
  if (IsModeLoad()) {
    list.clear();
    const unsigned count = GetCount();
    for (unsigned i = 0; i < count; ++i) {
      std::string text;
      Serialize(&text, i);
      list.push_back(std::move(text));
    }
  } else {
    unsigned i = 0;
    for (const std::string& item : list) {
      std::string text = item;
      Serialize(&text, i++);
    }
  }
  Validate();
}

void CAppRecord::_Do(CAppVariant& value) {
  SetType(FT_VARIANT);
  if (!GetField()) return;
  if (IsModeLoad() && GetCount() == 0) {
    value.Clear();
    return;
  }
  Serialize(&value, 0);
  Validate();
}

void CAppRecord::LoadChildren(CAppParamGroup& group) {
  const CAppParamGroup::EN_ADD_MODE mode = GetAddMode();
  if (mode == CAppParamGroup::ADD_BY_KEY || mode == CAppParamGroup::ADD_AUTO_INDEX) {
    group.RemoveAll();
  } else if (mode != CAppParamGroup::ADD_MERGE) {
    APP_THROW("Invalid Data");
  }
  const unsigned count = GetCount();
  // A count read from a file may lie: room is made for a bounded number only.
  group.Reserve(std::min(count, 65536u));
  const std::string none;
  for (unsigned i = 0; i < count; ++i) {
    CAppParam* created = nullptr;
    try {
      Serialize(&created, i);
    } catch (...) {
      delete created;
      throw;
    }
    // A record that creates nothing is broken: _SetAt reports "Bad pointer".
    // _SetAt destroys the node if it throws; a node it did not adopt (key
    // already held) has no parent and dies here.
    const std::string& key = created != nullptr ? created->GetKey() : none;
    // A key read from a source is a key, never a path: taken as a path it
    // would put the child into another group, or replace nothing and vanish.
    if (key.find('\\') != std::string::npos) {
      const std::string bad = key;
      delete created;
      APP_THROW("Bad key : %s", bad.c_str());
    }
    // The usual child, under a key of its own, is taken as it stands.
    if (mode == CAppParamGroup::ADD_BY_KEY && !key.empty()) {
      std::unique_ptr<CAppParam> holder(created);  // until adopted
      if (group.AddOwnKey(created)) (void)holder.release();
      continue;
    }
    CAppParam* adopted = group._SetAt(key, created, mode);
    if (adopted == nullptr || created->GetParent() == nullptr) delete created;
  }
}

void CAppRecord::_Do(CAppParamGroup& group) {
  SetType(FT_GROUP);
  if (!GetField()) return;
  if (IsModeLoad()) {
    LoadChildren(group);
  } else {
    POSITION pos = group.GetStartPosition();
    unsigned i = 0;
    while (pos != nullptr) {
      CAppParam* child = group.GetNextPtr(pos);
      Serialize(&child, i++);
    }
  }
  Validate();
}
