// The resource collection: a group of profiles that give parameter classes
// their presentation and behaviour, plus the icon table.
//
// Each child is a profile group: class profiles (under the class name,
// created by each registered class) and named profiles (from "Resources"
// sections of description files). Profiles inherit through "SYS_DEFAULT".
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "appconfig/AppParamGroup.h"

class CAppRuleInitParam;
class CAppSheet;

// One icon of the image list: a resource of the library or an icon file.
struct CAppIcon {
  unsigned resourceId = 0;
  std::string file;
};

class CAppResources : public CAppParamGroup {
  APP_DECLARE_DYNCREATE(CAppResources)

public:
  struct ST_ICON_ID {
    const char* name;
    const char* variant;
    unsigned resourceId;
  };

  CAppResources();

  // Names the collection, loads the icon table and lets every registered
  // class create its profile.
  void Init();

  void SetHelpPath(const std::string& path) { m_strHelpPath = path; }
  const std::string& GetHelpPath() const { return m_strHelpPath; }
  const std::vector<CAppIcon>& GetImageList() const { return m_imageList; }
  // Icon keys to image indexes (for the debug window).
  const std::unordered_map<std::string, unsigned>& GetIconMap() const { return m_iconMap; }

  // A new empty profile under `name`; an empty name throws "Bad pointer".
  // A name already held gives the profile held under it.
  CAppParamGroup* CreateProfile(const std::string& name);
  // Adds a default entry to a class profile; an entry the profile does not
  // adopt is destroyed and throws "Bad pointer".
  static CAppParam* AddProfileEntry(CAppParamGroup* profile, const std::string& key,
                                    CAppParam* entry, EN_ADD_MODE mode);
  // A class profile with its default link (a "SYS_LINK_n" group named
  // `linkName`, none when empty) and icon entry ("SYS_ICON_VALUE" named
  // `iconName`, none when empty).
  CAppParamGroup* CreateClassProfile(const std::string& className, const std::string& linkName,
                                     const std::string& iconName);
  // The plain, read-only ("RO") and expert ("EX") icons of a parameter class.
  void AddClassIcons(const std::string& displayName);
  // The profile of a parameter: its alias's profile, else its class's;
  // a missing class profile throws "Bad pointer".
  CAppParamGroup* FindProfile(CAppParam* param);
  // FindProfile for callers with a fallback of their own: null instead of
  // the throw when the class profile is missing. A null param still throws.
  CAppParamGroup* FindProfileOrNull(CAppParam* param);
  // The class profile that profile `name` names under "SYS_DEFAULT", or null.
  CAppParamGroup* DefaultProfile(const std::string& name);
  // The entry `key` through the default chain of `profile`; null if none.
  CAppParam* FindWithDefault(CAppParamGroup* profile, const std::string& key);
  bool FindNameWithDefault(CAppParamGroup* profile, const std::string& key, std::string& name);
  // The value of the property `key` for the parameter; true if found.
  bool Load(std::string& value, CAppParam* param, const std::string& key);

  unsigned GetImageIndex(const std::string& name, const std::string& variant);
  unsigned GetImageIndex(CAppParam* param, const std::string& variant);
  // Maps (name, variant) to a new image unless the key is taken; a taken key
  // is traced when `report` is set. A null icon throws "Icon error".
  void AddIcon(const std::string& name, const std::string& variant, const CAppIcon* icon,
               bool report);
  void AddIcon(const std::string& name, const std::string& variant, unsigned resourceId,
               bool report);
  void AddIcon(const std::string& name, const std::string& variant, const std::string& file);
  void AddIcon(const ST_ICON_ID* table, unsigned count);

  // The next link definition of `profile` at or after `index` ("SYS_LINK_n"
  // through the default chain) that the view bits and the rule accept;
  // `index` then designates the entry after it.
  CAppParamGroup* GetLink(CAppParamGroup* profile, unsigned& index, CAppRuleInitParam* rule);
  // Whether a properties sheet would show a link for the parameter: the
  // profile (the parameter's own when null) offers a link that its
  // "SYS_INIT" rule accepts. False for a null parameter or no profile.
  bool IsProperties(CAppParam* param, CAppParamGroup* profile = nullptr);
  // The properties sheet and the developer's debug sheet of a parameter,
  // shown by the installed user interface (AppUserInterface.h); without
  // one they throw "No user interface is installed".
  int OnProperties(CAppParam* param, CAppSheet* sheet = nullptr);
  int OnDebug(CAppParam* param, CAppSheet* sheet = nullptr);

  static void _ResourcesInit(CAppResources* resources);

private:
  static std::string IconKey(const std::string& name, const std::string& variant);

  std::vector<CAppIcon> m_imageList;
  std::unordered_map<std::string, unsigned> m_iconMap;
  std::string m_strHelpPath;
};
