#include "appconfig/AppObject.h"

const CAppRuntimeClass CAppObject::classCAppObject = {
    "CAppObject", static_cast<std::uint32_t>(sizeof(CAppObject)), nullptr, nullptr};

const CAppRuntimeClass* CAppObject::GetRuntimeClass() const {
  return &classCAppObject;
}

bool CAppObject::IsKindOf(const CAppRuntimeClass* rtc) const {
  return GetRuntimeClass()->IsDerivedFrom(rtc);
}

bool CAppRuntimeClass::IsDerivedFrom(const CAppRuntimeClass* base) const {
  if (base == nullptr) return false;
  for (const CAppRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == base) return true;
  }
  return false;
}

CAppObject* CAppRuntimeClass::CreateObject() const {
  return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}
