// Rules: small objects that a profile names under a reserved key and that
// answer one question about a parameter (does it pass its check, what text
// stands for its value, may the link show this page ...).
//
// A rule is created through the class registry from the name of its profile
// entry (CAppRule::FindRule), handed that entry and the resources, asked, and
// usually destroyed at once. It never owns the profile, the resources, the
// link window or the parameter it points to. A host adds rules of its own by
// deriving from one of the interfaces below and registering the class
// (APP_DECLARE_RULE / APP_IMPLEMENT_RULE and APP_REGISTER_CLASS).
//
// Operations of an interface that the library leaves to derived classes
// throw "Base class call not allowed" (file AppRuleInterface): a description
// named a class that does not implement the question asked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppObject.h"
#include "appconfig/AppVariant.h"

class CAppParam;
class CAppParamGroup;
class CAppParamListKey;
class CAppResources;
// The link window of the windowing layer; rules only keep a pointer to it.
class CAppLnkWnd;

// In the class body of a rule: the run-time class and the resources
// initialiser that creates the class's (empty) profile.
#define APP_DECLARE_RULE(Class) \
  APP_DECLARE_DYNCREATE(Class)  \
                                \
public:                         \
  static void _ResourcesInit(CAppResources* resources);

#define APP_IMPLEMENT_RULE(Class, Base)                        \
  APP_IMPLEMENT_DYNCREATE(Class, Base)                         \
  void Class::_ResourcesInit(CAppResources* resources) {       \
    CAppRule::InitProfile(resources, #Class);                  \
  }

class CAppRule : public CAppObject {
  APP_DECLARE_RULE(CAppRule)

public:
  CAppRule() = default;
  ~CAppRule() override = default;
  CAppRule(const CAppRule&) = delete;
  CAppRule& operator=(const CAppRule&) = delete;

  // The profile entry that named the rule; the rule reads its settings there.
  virtual void SetProfile(CAppParam* profile) { m_pProfile = profile; }
  virtual CAppParam* GetProfile() { return m_pProfile; }
  virtual void SetResources(CAppResources* resources) { m_pResources = resources; }
  virtual CAppResources* GetResources() { return m_pResources; }

  // --- Typed rule lookup ---------------------------------------------------
  // The rule named by `entry`: its name is resolved as a rule alias
  // (GetClassByAlias(name, "Rule ")), and the object is created only when
  // that class is registered and derives from `interfaceClass`. The rule gets
  // the entry as profile and the resources. Null (not an error) for a null
  // entry, an empty name, an unknown class or a class of another interface.
  static std::unique_ptr<CAppRule> _CreateRule(CAppResources* resources, CAppParam* entry,
                                               const CAppRuntimeClass* interfaceClass);
  // The same for the entry `key` of `profile`, looked up through the
  // profile's default chain. Null resources or profile: no rule.
  static std::unique_ptr<CAppRule> _FindRule(CAppResources* resources, CAppParamGroup* profile,
                                             const std::string& key,
                                             const CAppRuntimeClass* interfaceClass);

  template <class T>
  static std::unique_ptr<T> CreateRule(CAppResources* resources, CAppParam* entry) {
    return std::unique_ptr<T>(
        static_cast<T*>(_CreateRule(resources, entry, T::StaticRuntimeClass()).release()));
  }
  template <class T>
  static std::unique_ptr<T> FindRule(CAppResources* resources, CAppParamGroup* profile,
                                     const std::string& key) {
    return std::unique_ptr<T>(
        static_cast<T*>(_FindRule(resources, profile, key, T::StaticRuntimeClass()).release()));
  }

  // Creates the class profile `className`; rules put nothing in it.
  static void InitProfile(CAppResources* resources, const char* className);

private:
  CAppParam* m_pProfile = nullptr;
  CAppResources* m_pResources = nullptr;
};

// "SYS_CHECK_RULE": rejects a parameter by throwing.
class CAppRuleCheck : public CAppRule {
  APP_DECLARE_RULE(CAppRuleCheck)

public:
  virtual void Check(CAppParam* param);
};

// "SYS_EDIT_RULE": nonzero when the parameter may be edited.
class CAppRuleParam : public CAppRule {
  APP_DECLARE_RULE(CAppRuleParam)

public:
  virtual int Run(CAppParam* param);
};

// For the host's streams; the library never asks it.
class CAppRuleStream : public CAppRule {
  APP_DECLARE_RULE(CAppRuleStream)

public:
  virtual int Run(CAppParam* param, const std::string& text, unsigned number);
};

// key + "_RULE": the text that stands for a property of the parameter.
class CAppRuleValue : public CAppRule {
  APP_DECLARE_RULE(CAppRuleValue)

public:
  virtual std::string GetValue(CAppParam* param);
};

// "SYS_FILTER_n", "SYS_SORT_0": a child is shown when Find(child, 0) gives
// back anything. Filters read their settings from a key list entry; any
// other entry throws "Bad pointer" at the first list access.
class CAppRuleFilter : public CAppRule {
  APP_DECLARE_RULE(CAppRuleFilter)

public:
  virtual CAppParam* Find(CAppParam* param, unsigned index);
  // The number of entries of the list.
  virtual unsigned GetCount();

  CAppParamListKey& GetList();
  // Entry `index` of the list; past the end throws "Bad pointer".
  std::string GetValue(unsigned index);
};

// "SYS_VALID", "SYS_EXIT": validity tests of a link window or sheet. The
// library's answers accept everything.
class CAppRuleCheckParam : public CAppRule {
  APP_DECLARE_RULE(CAppRuleCheckParam)

public:
  // Set by the link window right after it creates the rule.
  void SetLink(CAppLnkWnd* link) { m_pLink = link; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  void SetParam(CAppParam* param) { m_pParam = param; }
  CAppParam* GetParam() const { return m_pParam; }

  virtual int IsDataValid(std::vector<std::uint8_t>& data);
  virtual int IsValueValid(CAppVariant& value);
  virtual int IsEnumMultiValid(std::vector<std::uint32_t>& values);
  virtual int IsValid();

private:
  CAppLnkWnd* m_pLink = nullptr;
  CAppParam* m_pParam = nullptr;
};

// "SYS_INIT": page initialisation of a link window, and which link
// definitions ("SYS_LINK_n", handed in as the profile) a sheet offers.
class CAppRuleInitParam : public CAppRule {
  APP_DECLARE_RULE(CAppRuleInitParam)

public:
  void SetLink(CAppLnkWnd* link) { m_pLink = link; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  void SetParam(CAppParam* param) { m_pParam = param; }
  CAppParam* GetParam() const { return m_pParam; }

  virtual int InitializePage();
  virtual int ActivePage();
  // Nonzero when the link definition in the profile is to be offered.
  virtual int ShowLink();

private:
  CAppLnkWnd* m_pLink = nullptr;
  CAppParam* m_pParam = nullptr;
};

// --- Ready rules --------------------------------------------------------------

// Shows a parameter whose upper-cased key matches an entry of the list
// ("*" ends an entry, "?" any one character). Write entries in upper case.
class CAppRuleFilterByKey : public CAppRuleFilter {
  APP_DECLARE_RULE(CAppRuleFilterByKey)

public:
  CAppParam* Find(CAppParam* param, unsigned index) override;
};

// The same on the parameter's alias.
class CAppRuleFilterByAlias : public CAppRuleFilter {
  APP_DECLARE_RULE(CAppRuleFilterByAlias)

public:
  CAppParam* Find(CAppParam* param, unsigned index) override;
};

// Picks the child of a group whose key is list entry `index`: as a
// visibility filter it shows the groups holding a child of the first key.
class CAppRuleFilterByKeyInParam : public CAppRuleFilter {
  APP_DECLARE_RULE(CAppRuleFilterByKeyInParam)

public:
  CAppParam* Find(CAppParam* param, unsigned index) override;
};

// List: a child key, then the accepted values. Keeps the groups whose child
// of that key has one of the values as text (letter case ignored).
class CAppRuleFilterByValue : public CAppRuleFilter {
  APP_DECLARE_RULE(CAppRuleFilterByValue)

public:
  CAppParam* Find(CAppParam* param, unsigned index) override;
};

// Every byte of an array as "%02X ", without the 10-byte limit of the
// array's own display text.
class CAppRuleArrayDumpExt : public CAppRuleValue {
  APP_DECLARE_RULE(CAppRuleArrayDumpExt)

public:
  std::string GetValue(CAppParam* param) override;
};
