#include "appconfig/AppResources.h"

#include <iterator>
#include <memory>

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppUserInterface.h"

APP_IMPLEMENT_DYNCREATE(CAppResources, CAppParamGroup)

namespace {

constexpr std::uint32_t kViewBits = PF_VIEW_1 | PF_VIEW_2 | PF_VIEW_3 | PF_VIEW_4;

// The icons every collection starts with ("RO" is the read-only look).
constexpr CAppResources::ST_ICON_ID kIcons[] = {
    {"Tags", "", 13625},
    {"Tag", "", 13624},
    {"Book", "", 13610},
    {"Books", "", 13611},
    {"Books2", "", 13612},
    {"BroadCast", "", 13629},
    {"Padlock", "", 13613},
    {"Open PadLock", "", 13608},
    {"Board", "", 13615},
    {"Channel", "", 13616},
    {"", "", 13577},
    {"Library", "", 13617},
    {"Equipment Library 1", "", 13618},
    {"Equipment Library 2", "", 13619},
    {"Equipment Network", "", 13628},
    {"Equipment Active", "", 13628},
    {"Equipment InActive", "", 13627},
    {"Expert", "", 13630},
    {"Folder Info", "", 13614},
    {"Info", "", 13609},
    {"Module", "", 13621},
    {"Modules Inactifs", "", 13622},
    {"Modules", "", 13620},
    {"Network", "", 13623},
    {"None", "", 13607},
    {"Layer", "", 13626},
    {"Tree Line", "", 13632},
    {"Tree Line", "RO", 13632},
    {"Tree Node", "", 13631},
    {"Tree Node", "RO", 13631},
};

CAppParamGroup* ChildGroup(CAppParamGroup& parent, const std::string& key) {
  CAppParam* child = parent.FindChild(key);
  return child != nullptr ? child->GetGroup() : nullptr;
}

}  // namespace

CAppResources::CAppResources() {
  SetAlias("CAppParamGroup");
  SetName("Resources");
}

void CAppResources::Init() {
  // Init starts the collection afresh: class profiles are created once.
  RemoveAll();
  SetName("Resources");
  m_imageList.clear();
  m_imageList.reserve(32);
  m_iconMap.clear();
  AddIcon(kIcons, static_cast<unsigned>(std::size(kIcons)));
  CAppDynamic::ResourcesInit(this);
}

// --- Profiles ---------------------------------------------------------------------

CAppParamGroup* CAppResources::CreateProfile(const std::string& name) {
  // A profile name is a key, never a path: a path would put the new group
  // inside another profile.
  auto fresh = std::make_unique<CAppParamGroup>();
  fresh->SetKey(name);
  if (AddOwnKey(fresh.get())) return fresh.release();
  // Not adopted: an empty name, a name with a "\", or a name already taken.
  // Hand out the profile held under it, so that a second section of a
  // profile adds to the first.
  CAppParam* held = name.empty() ? nullptr : FindChild(name);
  CAppParamGroup* group = held != nullptr ? held->GetGroup() : nullptr;
  if (group == nullptr) APP_THROW("Bad pointer");
  return group;
}

CAppParamGroup* CAppResources::CreateClassProfile(const std::string& className,
                                                  const std::string& linkName,
                                                  const std::string& iconName) {
  CAppParamGroup* profile = CreateProfile(className);
  if (!linkName.empty()) AddProfileEntry(profile, "SYS_LINK", new CAppParamGroup(linkName), ADD_AUTO_INDEX);
  if (!iconName.empty()) AddProfileEntry(profile, "SYS_ICON_VALUE", new CAppParamValue(iconName), ADD_BY_KEY);
  return profile;
}

void CAppResources::AddClassIcons(const std::string& displayName) {
  AddIcon(displayName, "", 13607u, true);
  AddIcon(displayName, "RO", 13613u, true);
  AddIcon(displayName, "EX", 13630u, true);
}

CAppParam* CAppResources::AddProfileEntry(CAppParamGroup* profile, const std::string& key,
                                          CAppParam* entry, EN_ADD_MODE mode) {
  if (profile == nullptr) delete entry;
  APP_CHECK_POINTER(profile);
  APP_CHECK_POINTER(entry);
  profile->_SetAt(key, entry, mode);  // destroys `entry` if it throws
  if (entry->GetParent() != profile) {
    delete entry;
    APP_THROW("Bad pointer");
  }
  return entry;
}

CAppParamGroup* CAppResources::FindProfile(CAppParam* param) {
  CAppParamGroup* profile = FindProfileOrNull(param);
  if (profile == nullptr) APP_THROW("Bad pointer");
  return profile;
}

CAppParamGroup* CAppResources::FindProfileOrNull(CAppParam* param) {
  APP_CHECK_POINTER(param);
  const std::string alias = param->GetAlias();
  if (!alias.empty()) {
    if (CAppParamGroup* profile = ChildGroup(*this, alias)) return profile;
    APP_TRACE("Bad Alias:%s for key:%s on resources:%s", alias.c_str(), param->GetKey().c_str(),
              GetKey().c_str());
  }
  return ChildGroup(*this, param->GetClassName());
}

CAppParamGroup* CAppResources::DefaultProfile(const std::string& name) {
  std::string alias;
  if (!FindName(name + "\\SYS_DEFAULT", alias)) return nullptr;
  return ChildGroup(*this, CAppDynamic::GetClassByAlias(alias, "Param "));
}

CAppParam* CAppResources::FindWithDefault(CAppParamGroup* profile, const std::string& key) {
  if (profile == nullptr || profile->GetParent() == nullptr) return nullptr;
  // The path from the top profile down to `profile`, then the key.
  std::string path = key;
  CAppParamGroup* top = profile;
  while (top->GetParent() != nullptr && top->GetParent() != this) {
    path = top->GetKey() + "\\" + path;
    top = top->GetParent();
  }
  if (top->GetParent() != this) return nullptr;
  // A chain of defaults can loop in a bad description: visit each profile once.
  for (unsigned hops = 0; top != nullptr && hops <= GetCount(); ++hops) {
    if (CAppParam* entry = top->_GetAt(path)) return entry;
    top = DefaultProfile(top->GetKey());
  }
  return nullptr;
}

bool CAppResources::FindNameWithDefault(CAppParamGroup* profile, const std::string& key,
                                        std::string& name) {
  CAppParam* entry = FindWithDefault(profile, key);
  if (entry == nullptr) return false;
  name = entry->GetName();
  return true;
}

bool CAppResources::Load(std::string& value, CAppParam* param, const std::string& key) {
  CAppParamGroup* profile = FindProfile(param);
  // A value rule computes the property; a rule entry naming no value rule
  // class counts as absent, so the plain value may still answer.
  if (auto rule = CAppRule::FindRule<CAppRuleValue>(this, profile, key + "_RULE")) {
    value = rule->GetValue(param);
    return true;
  }
  return FindNameWithDefault(profile, key + "_VALUE", value);
}

CAppParamGroup* CAppResources::GetLink(CAppParamGroup* profile, unsigned& index,
                                       CAppRuleInitParam* rule) {
  if (profile == nullptr) return nullptr;
  const std::uint32_t ownViews = static_cast<std::uint32_t>(GetFlags()) & kViewBits;
  for (;;) {
    const std::string key = CAppTools::Format("SYS_LINK_%u", index);
    ++index;
    CAppParam* entry = FindWithDefault(profile, key);
    CAppParamGroup* link = entry != nullptr ? entry->GetGroup() : nullptr;
    if (link == nullptr) return nullptr;
    if (link->GetName().empty()) continue;
    const std::uint32_t views = static_cast<std::uint32_t>(link->GetFlags()) & kViewBits;
    if ((views & ~ownViews) != 0) continue;
    if (rule != nullptr) {
      rule->SetProfile(link);
      if (rule->ShowLink() == 0) continue;
    }
    return link;
  }
}

bool CAppResources::IsProperties(CAppParam* param, CAppParamGroup* profile) {
  if (param == nullptr) return false;
  if (IsFlagsEnable(PF_DEBUG) && AppIsKeyHeld(AppKey::LeftShift)) return true;
  if (profile == nullptr) profile = FindProfileOrNull(param);
  if (profile == nullptr) return false;
  auto rule = CAppRule::FindRule<CAppRuleInitParam>(this, profile, "SYS_INIT");
  if (rule != nullptr) rule->SetParam(param);
  unsigned index = 0;
  return GetLink(profile, index, rule.get()) != nullptr;
}

int CAppResources::OnProperties(CAppParam* param, CAppSheet* sheet) {
  return AppGetUserInterface().OnProperties(*this, param, sheet);
}

int CAppResources::OnDebug(CAppParam* param, CAppSheet* sheet) {
  return AppGetUserInterface().OnDebug(*this, param, sheet);
}

// --- Icons ----------------------------------------------------------------------------

std::string CAppResources::IconKey(const std::string& name, const std::string& variant) {
  return CAppTools::MakeUpper(name + "_" + variant);
}

unsigned CAppResources::GetImageIndex(const std::string& name, const std::string& variant) {
  auto it = m_iconMap.find(IconKey(name, variant));
  if (it == m_iconMap.end() && !variant.empty()) it = m_iconMap.find(IconKey(name, ""));
  if (it == m_iconMap.end()) it = m_iconMap.find("_");
  if (it == m_iconMap.end()) APP_THROW("Error");
  return it->second;
}

unsigned CAppResources::GetImageIndex(CAppParam* param, const std::string& variant) {
  std::string icon;
  Load(icon, param, "SYS_ICON");
  return GetImageIndex(icon, variant);
}

void CAppResources::AddIcon(const std::string& name, const std::string& variant,
                            const CAppIcon* icon, bool report) {
  if (icon == nullptr) APP_THROW("Icon error");
  const std::string key = IconKey(name, variant);
  const auto it = m_iconMap.find(key);
  if (it == m_iconMap.end()) {
    m_iconMap.emplace(key, static_cast<unsigned>(m_imageList.size()));
    m_imageList.push_back(*icon);
  } else if (report) {
    APP_TRACE("Ajout icon error name:%s id : %u", name.c_str(), it->second);
  }
}

void CAppResources::AddIcon(const std::string& name, const std::string& variant,
                            unsigned resourceId, bool report) {
  const CAppIcon icon{resourceId, std::string()};
  AddIcon(name, variant, &icon, report);
}

void CAppResources::AddIcon(const std::string& name, const std::string& variant,
                            const std::string& file) {
  const CAppIcon icon{0, file};
  AddIcon(name, variant, &icon, true);
}

void CAppResources::AddIcon(const ST_ICON_ID* table, unsigned count) {
  APP_CHECK_POINTER(table);
  for (unsigned i = 0; i < count; ++i) {
    AddIcon(table[i].name, table[i].variant, table[i].resourceId, true);
  }
}

void CAppResources::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateProfile("CAppResources");
}
