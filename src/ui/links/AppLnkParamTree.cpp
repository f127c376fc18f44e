#include "appconfig/ui/AppLnkParamTree.h"

#include <cstdlib>

#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "links/AppLnkParamCommon.h"
#include "platform/AppImageList.h"

namespace {

constexpr unsigned kTemplate = 13606;

// A profile value read as a number: its value, else its name.
unsigned ReadNumber(CAppParam* entry) {
  std::string text = entry->GetFmtValue();
  if (text.empty()) text = entry->GetName();
  return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 0));
}

}  // namespace

APP_IMPLEMENT_LINK(CAppLnkParamTree, CAppLnkSheet)

CAppParamGroup* CAppLnkParamTree::GetUserGroup() { return AppLnkUserGroup(*this); }

void CAppLnkParamTree::OnUserCreate() {
  AddView(kTemplate, std::string());
  CAppParamGroup* profile = GetProfile();
  if (profile == nullptr) return;
  if (CAppParam* level = profile->FindChild("SYS_MAX_LVL")) m_nMaxLevel = ReadNumber(level);
  m_bFlat = profile->FindChild("SYS_FLAT_TREE") != nullptr;
}

int CAppLnkParamTree::OnUserInit() {
  m_pTree = AddCtrl(ID_TREE, new CAppCtrlTree);
  m_pTree->SetMaxLevel(m_nMaxLevel);
  if (CAppResources* resources = GetResources()) m_pTree->SetImageList(AppImageListIcons(*resources));
  return CAppLnkWnd::OnUserInit();
}

void CAppLnkParamTree::OnUserActive() {
  CAppLnkWnd::OnUserActive();
  CAppParamGroup* group = GetUserGroup();
  if (m_bFlat) {
    m_pFlatGroup = group;
    SetValue(m_pTree, group, m_pFlatGroup, m_strFilter, group->GetName(GetResources()));
  } else {
    SetValue(m_pTree, group, m_strFilter);
  }
}

int CAppLnkParamTree::OnUserChange(unsigned ctrlId) {
  if (ctrlId != ID_TREE) return 1;
  CAppParam* param = GetParam(m_pTree, m_pTree->GetSelectedItem());
  // The flat display's top node stands for the whole group.
  if (param == nullptr || (m_pFlatGroup != nullptr && param->GetKey() == m_pFlatGroup->GetKey())) return 0;
  if (m_pTree->GetOnChangeType() == OPERATION_PROPERTIES) {
    OnTreeProperties(m_pTree);
  } else {
    SetDescription(param);
  }
  return 1;
}

int CAppLnkParamTree::OnUserExit() {
  if (IsFlagsEnable(LNK_READONLY) || GetUserGroup()->IsFlagsEnable(PF_READONLY)) return 1;
  return GetCheckRule() != nullptr ? GetCheckRule()->IsValid() : 1;
}

std::string CAppLnkParamTree::OnUserToolTips(unsigned ctrlId) {
  return ctrlId == ID_TREE ? CAppTools::LoadString(57731) : std::string();
}

std::string CAppLnkParamTree::OnUserGetNodeName(CAppParam* param) {
  APP_CHECK_POINTER(param);
  std::string name;
  if (GetResources() == nullptr || !GetResources()->Load(name, param, "SYS_NAME") || name.empty()) {
    name = param->GetName();
  }
  // A parameter described without a name is known by its key.
  if (name.empty()) name = param->GetKey();
  if (param->GetGroup() == nullptr) name += " : " + param->GetFmtValue(GetResources());
  return name;
}

int CAppLnkParamTree::OnUserGetNodeIcon(CAppParam* param) {
  if (param == nullptr || GetResources() == nullptr) return 0;
  try {
    return static_cast<int>(GetResources()->GetImageIndex(param, param->IsFlagsEnable(PF_READONLY) ? "RO" : ""));
  } catch (const CAppException&) {
    return 0;
  }
}
