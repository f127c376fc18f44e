// The class registry: creates objects from a class name or a display alias.
//
// Every creatable class registers once, during static initialisation, with
// its run-time class record, its display alias and its resources initialiser
// (APP_REGISTER_CLASS below). Registrations go into a context; the library's
// own classes form the default context, and each host extension module gets
// a context of its own that starts as a copy of it.
//
// Names and aliases are compared without regard to letter case (they are
// stored upper-cased). Lookups never throw: an unknown name gives null or the
// name itself.
//
// Contexts live until the process ends. An extension module must therefore
// stay loaded once its start-up has run: its context points at its records.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "appconfig/AppObject.h"

class CAppParam;
class CAppResources;

class CAppDynamic {
public:
  CAppDynamic() = delete;

  // One per registered class, with static storage duration. Plain data so
  // that it is constant-initialised and valid before any registration runs.
  struct ST_REGISTER_CLASS {
    const CAppRuntimeClass* m_pRuntimeClass;
    // Creates the class's profile in the resources; null for a class
    // without one.
    void (*m_pfnResourcesInit)(CAppResources*);
    const char* m_lpszAlias;  // "" or null: no alias
  };

  // A registration context. Keys of all three maps are upper-cased.
  struct KEY_REGISTER_CLASS {
    std::map<std::string, const ST_REGISTER_CLASS*> m_mapClass;
    std::map<std::string, std::string> m_mapClassToAlias;
    std::map<std::string, std::string> m_mapAliasToClass;
    // The first registration that failed while the classes were loading;
    // a module whose context carries one fails its start-up.
    std::string m_strLoadError;
  };

  // Held by each host extension module.
  struct KTO_EXTENSION_MODULE {
    KEY_REGISTER_CLASS* m_pContext = nullptr;
    void* m_hModule = nullptr;  // the module's dlopen handle, if known
    std::string m_strError;     // why the start-up failed, else empty
  };

  // --- Registration -----------------------------------------------------------
  // Enters the record in the current context (a new one, seeded with the
  // library's classes, when there is none). Throws "Bad runtime pointer"
  // (null record or record without a class), "Duplicate or invalid key"
  // (class name empty or already registered), "Class name error" (class
  // already has an alias) or "Alias name error" (alias already taken). A
  // failed registration leaves the context unchanged.
  static bool SetRegisterClass(const ST_REGISTER_CLASS* record);
  // SetRegisterClass for static initialisers, where a throw would end the
  // process: the failure is logged and kept in the current context (see
  // m_strLoadError) and the result is false.
  static bool SetRegisterClassAtLoad(const ST_REGISTER_CLASS* record) noexcept;

  // --- Lookups (current context, else the library's own) ----------------------
  // A new object of the class registered under `className` (any case), if
  // that class derives from `base`; else null. The caller owns the object.
  static CAppObject* _GetRegisterClass(const std::string& className, const CAppRuntimeClass* base);
  template <class T>
  static std::unique_ptr<T> GetRegisterClass(const std::string& className) {
    return std::unique_ptr<T>(static_cast<T*>(_GetRegisterClass(className, T::StaticRuntimeClass())));
  }
  // The class registered for the alias prefix + alias, else for the alias
  // alone, else the alias itself upper-cased (taken to be a class name).
  static std::string GetClassByAlias(const std::string& alias, const std::string& prefix);
  // The alias registered for the class (upper-cased), else the upper-cased
  // class name.
  static std::string GetAliasByClass(const std::string& className);
  // Whether `runtimeClass` is `base` or derives from it; false when either is
  // null or base's objects are larger than the class's.
  static bool IsDerivedFrom(const CAppRuntimeClass* runtimeClass, const CAppRuntimeClass* base);
  // `object` when its class derives from `runtimeClass`, else null.
  static CAppObject* GetPtrClass(const CAppRuntimeClass* runtimeClass, CAppObject* object);
  // 1 to 11 for the built-in parameter classes (exact class, not derived
  // ones), 0 for any other. A null parameter throws "Bad pointer".
  static unsigned GetClassIndex(const CAppParam* param);

  // Runs the resources initialiser of every class of the current context, in
  // class-name order. Null resources throw "Bad pointer".
  static void ResourcesInit(CAppResources* resources);

  // --- Contexts and extension modules ------------------------------------------
  // Runs InitAppConfigLib, then keeps the current context (the one the
  // module's classes registered into) in the module record. False, with the
  // reason in m_strError, when one of those registrations failed.
  static bool KtoInitExtensionModule(KTO_EXTENSION_MODULE& module, void* hModule);
  // Makes the module's context current; a null context throws "Bad pointer".
  static void KtoActiveExtensionModule(const KTO_EXTENSION_MODULE& module);
  // Clears the current context: the next registration opens a new one, and
  // lookups use the library's own context meanwhile.
  static void KtoExitExtensionModule();
  // Copies the registrations of the current context into the library's own
  // context (which seeds every context created later).
  static void KtoDefaultContext();

  // The current context (null: the library's own is used), and a way to put
  // back one saved earlier.
  static KEY_REGISTER_CLASS* GetCurrentContext();
  static void SetCurrentContext(KEY_REGISTER_CLASS* context);
};

// Makes sure the library's own classes are registered and its default
// context is set up; true when all of them registered, and so did the
// host's own classes (those it registers with APP_REGISTER_CLASS in its
// program: an alias already taken, say). Hosts call it once after loading
// the library; calling it again is harmless.
bool InitAppConfigLib();
// The same, with the text of the first failed registration in `error`
// ("Exception >Alias name error"; empty on success).
bool InitAppConfigLib(std::string& error);

// Registers a class with its alias ("" for none) and its _ResourcesInit.
// Write it at namespace scope in a source file that is always linked: the
// library's own classes are listed in one such file, and a module's classes
// in the module. A failed registration is kept, not thrown (see
// SetRegisterClassAtLoad).
#define APP_REGISTER_CLASS(Class, Alias) \
  APP_REGISTER_CLASS_INIT(Class, Alias, &Class::_ResourcesInit)

// The same with an explicit resources initialiser (nullptr for none).
#define APP_REGISTER_CLASS_INIT(Class, Alias, ResourcesInit)                          \
  static const CAppDynamic::ST_REGISTER_CLASS s_stRegisterClass##Class = {            \
      APP_RUNTIME_CLASS(Class), ResourcesInit, Alias};                                \
  [[maybe_unused]] static const bool s_bRegistered##Class =                           \
      CAppDynamic::SetRegisterClassAtLoad(&s_stRegisterClass##Class);

// --- Host extension modules ----------------------------------------------------
//
// A host extension module is a shared library that links libappconfig.so and
// registers classes of its own with APP_REGISTER_CLASS. It writes
// APP_EXTENSION_MODULE() once, in one of its source files. The host loads it
// with dlopen and then calls its entry point (APP_MODULE_INIT_SYMBOL, found
// with dlsym) at once, before loading anything else:
//
//   auto init = reinterpret_cast<PFN_APP_MODULE_INIT>(dlsym(handle, APP_MODULE_INIT_SYMBOL));
//   CAppDynamic::KTO_EXTENSION_MODULE* module = init(handle);
//
// The entry point finishes the module's start-up and returns its record. A
// registration that failed while the module loaded (an alias already taken,
// say) cannot stop dlopen, so it surfaces here: the record's context is null
// and m_strError holds the message ("Exception >Alias name error"). The host
// then unloads the module. Calling the entry point again returns the same
// record. To create the module's classes by name, make its context current
// with KtoActiveExtensionModule; the start-up leaves the host's own context
// current, as it was.
#define APP_MODULE_INIT_SYMBOL "AppConfigModuleInit"
using PFN_APP_MODULE_INIT = CAppDynamic::KTO_EXTENSION_MODULE* (*)(void* hModule);

#define APP_EXTENSION_MODULE()                                                        \
  namespace {                                                                         \
  CAppDynamic::KTO_EXTENSION_MODULE s_appExtensionModule;                             \
  CAppDynamic::KEY_REGISTER_CLASS* s_pAppHostContext = nullptr;                       \
  /* Before the module's registrations (which run at default priority): */            \
  /* they must open a context of their own, not join the host's. */                   \
  __attribute__((constructor(101))) void AppExtensionModuleBegin() {                  \
    s_pAppHostContext = CAppDynamic::GetCurrentContext();                             \
    CAppDynamic::KtoExitExtensionModule();                                            \
  }                                                                                   \
  }                                                                                   \
  extern "C" __attribute__((visibility("default"))) CAppDynamic::KTO_EXTENSION_MODULE* \
  AppConfigModuleInit(void* hModule) {                                                \
    /* A second dlopen of a loaded module gives the same module: same record. */      \
    static bool s_bStarted = false;                                                   \
    if (!s_bStarted) {                                                                \
      s_bStarted = true;                                                              \
      CAppDynamic::KtoInitExtensionModule(s_appExtensionModule, hModule);             \
      CAppDynamic::KtoExitExtensionModule();                                          \
      CAppDynamic::SetCurrentContext(s_pAppHostContext);                              \
    }                                                                                 \
    return &s_appExtensionModule;                                                     \
  }
