// Root object and run-time class records.
//
// Every creatable class of the library (parameters, rules, links, records)
// carries one immutable CAppRuntimeClass: its name, its object size, the record
// of its base class and a factory. Derived-from tests walk the base pointers;
// they never compare names and never use compiler RTTI, so classes defined in a
// host's extension module behave exactly like the library's own.
#pragma once

#include <cstdint>

class CAppObject;

struct CAppRuntimeClass {
  const char* m_lpszClassName;
  std::uint32_t m_nObjectSize;
  const CAppRuntimeClass* m_pBaseClass;
  CAppObject* (*m_pfnCreateObject)();  // null for abstract classes

  // True when this record is `base` or one of its descendants.
  bool IsDerivedFrom(const CAppRuntimeClass* base) const;
  // A new object of this class, or null when the class has no factory.
  CAppObject* CreateObject() const;
};

class CAppObject {
public:
  virtual ~CAppObject() = default;
  virtual const CAppRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CAppRuntimeClass* rtc) const;

  static const CAppRuntimeClass classCAppObject;
  static const CAppRuntimeClass* StaticRuntimeClass() { return &classCAppObject; }

protected:
  CAppObject() = default;
  CAppObject(const CAppObject&) = default;
  CAppObject& operator=(const CAppObject&) = default;
};

#define APP_RUNTIME_CLASS(Class) (&Class::class##Class)

// In the class body: declares the class record and the factory.
#define APP_DECLARE_DYNCREATE(Class)                                  \
public:                                                               \
  static const CAppRuntimeClass class##Class;                         \
  static const CAppRuntimeClass* StaticRuntimeClass() { return &class##Class; } \
  const CAppRuntimeClass* GetRuntimeClass() const override;           \
  static CAppObject* CreateObject();

// In the source file: defines them. The record is constant-initialised, so it
// is valid before any dynamic initialiser runs (registration included).
#define APP_IMPLEMENT_DYNCREATE(Class, Base)                                 \
  CAppObject* Class::CreateObject() { return new Class; }                    \
  const CAppRuntimeClass Class::class##Class = {                             \
      #Class, static_cast<std::uint32_t>(sizeof(Class)),                     \
      APP_RUNTIME_CLASS(Base), &Class::CreateObject};                        \
  const CAppRuntimeClass* Class::GetRuntimeClass() const {                   \
    return APP_RUNTIME_CLASS(Class);                                         \
  }

// Typed downcast through the class records; null when `object` is null or of
// another class. The one test behind every "Bad pointer" check on a class.
template <class T>
T* AppDynamicCast(CAppObject* object) {
  if (object == nullptr || !object->IsKindOf(T::StaticRuntimeClass())) return nullptr;
  return static_cast<T*>(object);
}

template <class T>
const T* AppDynamicCast(const CAppObject* object) {
  if (object == nullptr || !object->IsKindOf(T::StaticRuntimeClass())) return nullptr;
  return static_cast<const T*>(object);
}
