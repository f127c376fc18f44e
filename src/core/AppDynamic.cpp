#include "appconfig/AppDynamic.h"

#include <vector>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"

// Defined with the registrations of the library's own classes. Referring to
// it here keeps that file in every program that uses the registry, also when
// the library is linked statically.
extern const bool g_bAppLibraryClassesLoaded;

using KEY_REGISTER_CLASS = CAppDynamic::KEY_REGISTER_CLASS;
using ST_REGISTER_CLASS = CAppDynamic::ST_REGISTER_CLASS;

namespace {

// Registry state. Registrations run from static initialisers in any order,
// so the state is plain pointers (zero before any initialiser runs) and is
// built on first use. The contexts are never freed: records of modules and
// contexts held by them stay valid until the process ends.
constinit std::vector<std::unique_ptr<KEY_REGISTER_CLASS>>* m_pAutoDelete = nullptr;
constinit KEY_REGISTER_CLASS* m_pKtoClassRegister = nullptr;
constinit KEY_REGISTER_CLASS* m_pCurrentClassRegister = nullptr;

KEY_REGISTER_CLASS* NewContext() {
  if (m_pAutoDelete == nullptr) {
    m_pAutoDelete = new std::vector<std::unique_ptr<KEY_REGISTER_CLASS>>;
  }
  m_pAutoDelete->push_back(std::make_unique<KEY_REGISTER_CLASS>());
  return m_pAutoDelete->back().get();
}

KEY_REGISTER_CLASS& LibraryContext() {
  if (m_pKtoClassRegister == nullptr) m_pKtoClassRegister = NewContext();
  return *m_pKtoClassRegister;
}

// The context registrations go to: a new one, seeded with the library's
// classes, when none is current.
KEY_REGISTER_CLASS& RegistrationContext() {
  KEY_REGISTER_CLASS& library = LibraryContext();
  if (m_pCurrentClassRegister == nullptr) {
    KEY_REGISTER_CLASS* context = NewContext();
    context->m_mapClass = library.m_mapClass;
    context->m_mapClassToAlias = library.m_mapClassToAlias;
    context->m_mapAliasToClass = library.m_mapAliasToClass;
    m_pCurrentClassRegister = context;
  }
  return *m_pCurrentClassRegister;
}

// The context lookups read.
const KEY_REGISTER_CLASS& LookupContext() {
  return m_pCurrentClassRegister != nullptr ? *m_pCurrentClassRegister : LibraryContext();
}

const ST_REGISTER_CLASS* FindClass(const std::string& className) {
  const KEY_REGISTER_CLASS& context = LookupContext();
  auto it = context.m_mapClass.find(CAppTools::MakeUpper(className));
  return it != context.m_mapClass.end() ? it->second : nullptr;
}

// Exact classes, not derived ones: the link windows choose their in-place
// editor by it.
struct ClassIndexRow {
  const char* name;
  unsigned index;
};
constexpr ClassIndexRow kClassIndex[] = {
    {"CAPPPARAM", 1},        {"CAPPPARAMGROUP", 2},      {"CAPPPARAMNUMERIC", 3},
    {"CAPPPARAMVALUE", 4},   {"CAPPPARAMENUMSINGLE", 5}, {"CAPPPARAMARRAY", 6},
    {"CAPPPARAMENUMMULTI", 7}, {"CAPPPARAMLISTKEY", 8},  {"CAPPPARAMSTRUCT", 9},
    {"CAPPPARAMMAIL", 10},   {"CAPPPARAMADDRESS", 11},
};

}  // namespace

// --- Registration -------------------------------------------------------------

bool CAppDynamic::SetRegisterClass(const ST_REGISTER_CLASS* record) {
  KEY_REGISTER_CLASS& context = RegistrationContext();
  if (record == nullptr || record->m_pRuntimeClass == nullptr) APP_THROW("Bad runtime pointer");

  const char* name = record->m_pRuntimeClass->m_lpszClassName;
  const std::string className = CAppTools::MakeUpper(name != nullptr ? name : "");
  if (className.empty() || context.m_mapClass.count(className) != 0) {
    APP_THROW("Duplicate or invalid key");
  }

  // Every test comes before the first change, so a refused record leaves
  // the context as it was.
  std::string alias;
  if (record->m_lpszAlias != nullptr && record->m_lpszAlias[0] != '\0') {
    if (context.m_mapClassToAlias.count(className) != 0) APP_THROW("Class name error");
    alias = CAppTools::MakeUpper(record->m_lpszAlias);
    if (context.m_mapAliasToClass.count(alias) != 0) APP_THROW("Alias name error");
  }

  context.m_mapClass.emplace(className, record);
  if (!alias.empty()) {
    context.m_mapClassToAlias.emplace(className, alias);
    context.m_mapAliasToClass.emplace(alias, className);
  }
  return true;
}

bool CAppDynamic::SetRegisterClassAtLoad(const ST_REGISTER_CLASS* record) noexcept {
  try {
    return SetRegisterClass(record);
  } catch (const CAppException& e) {
    try {
      KEY_REGISTER_CLASS& context = RegistrationContext();
      if (context.m_strLoadError.empty()) context.m_strLoadError = e.GetMessage();
      const char* name = record != nullptr && record->m_pRuntimeClass != nullptr
                             ? record->m_pRuntimeClass->m_lpszClassName
                             : nullptr;
      CAppDebug::Logger& log = CAppDebug::GetLogger();
      log.Info(__FILE__, __LINE__);
      log.Trace("Registration of class %s failed: %s", name != nullptr ? name : "(null)",
                e.GetMessage().c_str());
    } catch (...) {
      // Out of memory while reporting: the failure is lost, the process lives.
    }
  } catch (...) {
  }
  return false;
}

// --- Lookups ------------------------------------------------------------------

CAppObject* CAppDynamic::_GetRegisterClass(const std::string& className,
                                           const CAppRuntimeClass* base) {
  const ST_REGISTER_CLASS* record = FindClass(className);
  if (record == nullptr || !IsDerivedFrom(record->m_pRuntimeClass, base)) return nullptr;
  return record->m_pRuntimeClass->CreateObject();
}

std::string CAppDynamic::GetClassByAlias(const std::string& alias, const std::string& prefix) {
  const KEY_REGISTER_CLASS& context = LookupContext();
  const std::string upper = CAppTools::MakeUpper(alias);
  auto it = context.m_mapAliasToClass.find(CAppTools::MakeUpper(prefix) + upper);
  if (it != context.m_mapAliasToClass.end()) return it->second;
  it = context.m_mapAliasToClass.find(upper);
  if (it != context.m_mapAliasToClass.end()) return it->second;
  return upper;
}

std::string CAppDynamic::GetAliasByClass(const std::string& className) {
  const KEY_REGISTER_CLASS& context = LookupContext();
  const std::string upper = CAppTools::MakeUpper(className);
  auto it = context.m_mapClassToAlias.find(upper);
  return it != context.m_mapClassToAlias.end() ? it->second : upper;
}

bool CAppDynamic::IsDerivedFrom(const CAppRuntimeClass* runtimeClass,
                                const CAppRuntimeClass* base) {
  if (runtimeClass == nullptr || base == nullptr) return false;
  // A derived class is never smaller than its base: a cheap early refusal.
  if (base->m_nObjectSize > runtimeClass->m_nObjectSize) return false;
  return runtimeClass->IsDerivedFrom(base);
}

CAppObject* CAppDynamic::GetPtrClass(const CAppRuntimeClass* runtimeClass, CAppObject* object) {
  if (object == nullptr) return nullptr;
  return IsDerivedFrom(object->GetRuntimeClass(), runtimeClass) ? object : nullptr;
}

unsigned CAppDynamic::GetClassIndex(const CAppParam* param) {
  APP_CHECK_POINTER(param);
  const std::string name = CAppTools::MakeUpper(param->GetRuntimeClass()->m_lpszClassName);
  for (const ClassIndexRow& row : kClassIndex) {
    if (name == row.name) return row.index;
  }
  return 0;
}

void CAppDynamic::ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  for (const auto& [name, record] : LookupContext().m_mapClass) {
    APP_CHECK_POINTER(record);
    if (record->m_pfnResourcesInit != nullptr) record->m_pfnResourcesInit(resources);
  }
}

// --- Contexts and extension modules ---------------------------------------------

bool CAppDynamic::KtoInitExtensionModule(KTO_EXTENSION_MODULE& module, void* hModule) {
  module.m_hModule = hModule;
  module.m_pContext = nullptr;
  module.m_strError.clear();
  // The module's classes registered into the current context: a failure
  // there is the module's.
  if (!InitAppConfigLib(module.m_strError)) return false;
  KEY_REGISTER_CLASS& context = RegistrationContext();
  module.m_pContext = &context;
  return true;
}

void CAppDynamic::KtoActiveExtensionModule(const KTO_EXTENSION_MODULE& module) {
  APP_CHECK_POINTER(module.m_pContext);
  m_pCurrentClassRegister = module.m_pContext;
}

void CAppDynamic::KtoExitExtensionModule() { m_pCurrentClassRegister = nullptr; }

void CAppDynamic::KtoDefaultContext() {
  KEY_REGISTER_CLASS& library = LibraryContext();
  if (m_pCurrentClassRegister == nullptr || m_pCurrentClassRegister == &library) return;
  const KEY_REGISTER_CLASS& current = *m_pCurrentClassRegister;
  library.m_mapClass.insert(current.m_mapClass.begin(), current.m_mapClass.end());
  library.m_mapClassToAlias.insert(current.m_mapClassToAlias.begin(),
                                   current.m_mapClassToAlias.end());
  library.m_mapAliasToClass.insert(current.m_mapAliasToClass.begin(),
                                   current.m_mapAliasToClass.end());
  if (library.m_strLoadError.empty()) library.m_strLoadError = current.m_strLoadError;
}

CAppDynamic::KEY_REGISTER_CLASS* CAppDynamic::GetCurrentContext() { return m_pCurrentClassRegister; }

void CAppDynamic::SetCurrentContext(KEY_REGISTER_CLASS* context) {
  m_pCurrentClassRegister = context;
}

bool InitAppConfigLib() {
  std::string error;
  return InitAppConfigLib(error);
}

bool InitAppConfigLib(std::string& error) {
  // The classes registered while the program loaded; this only reports it.
  // The host's own classes went into the current context.
  error = LibraryContext().m_strLoadError;
  if (error.empty() && m_pCurrentClassRegister != nullptr) error = m_pCurrentClassRegister->m_strLoadError;
  if (error.empty() && !g_bAppLibraryClassesLoaded) error = "The library's classes are not registered";
  return error.empty();
}
