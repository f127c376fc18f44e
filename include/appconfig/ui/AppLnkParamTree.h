// The tree link ("Link Tree"): a parameter group as a tree, every
// sub-group a node and every other parameter a leaf with its name and
// value, down to the profile's maximum level ("SYS_MAX_LVL", 0 for all).
// A profile with "SYS_FLAT_TREE" shows every leaf under one node instead.
// The properties action opens a node's properties, with Previous and Next
// walking the nodes.
#pragma once

#include <string>

#include "appconfig/ui/AppLnkSheet.h"

class CAppCtrlTree;

class CAppLnkParamTree : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamTree)

public:
  enum : unsigned { ID_TREE = 13605 };

  void SetFilter(const std::string& filterKey) { m_strFilter = filterKey; }
  unsigned GetMaxLevel() const { return m_nMaxLevel; }
  bool IsFlat() const { return m_bFlat; }

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  int OnUserExit() override;
  std::string OnUserToolTips(unsigned ctrlId) override;
  // The resources' "SYS_NAME" of the parameter, else its name, else its
  // key; a leaf adds
  // " : " and its formatted value. A null parameter throws "Bad pointer".
  std::string OnUserGetNodeName(CAppParam* param) override;
  // The parameter's icon in the resources ("RO" when read-only).
  int OnUserGetNodeIcon(CAppParam* param) override;

  CAppCtrlTree* GetTree() const { return m_pTree; }

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppParamGroup* GetUserGroup();

  CAppCtrlTree* m_pTree = nullptr;
  std::string m_strFilter;
  unsigned m_nMaxLevel = 0;
  bool m_bFlat = false;
  CAppParamGroup* m_pFlatGroup = nullptr;
};
