// The configuration list link ("Link ConfigList"): the children of a group
// in two lists, those available (hidden, PF_HIDDEN) and those configured
// (shown), in the group's order. Add configures the selected available
// parameter, remove makes the selected configured one available again, up
// and down move a configured parameter in the group.
#pragma once

#include "appconfig/ui/AppLnkParamList.h"

class CAppLnkConfigList : public CAppLnkParamList {
  APP_DECLARE_DYNCREATE(CAppLnkConfigList)

public:
  enum : unsigned {
    ID_AVAILABLE = 13512,
    ID_CONFIGURED = 13528,
    ID_ADD = 13506,
    ID_REMOVE = 13508,
    ID_UP = 13510,
    ID_DOWN = 13511,
  };

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  int OnUserExit() override;
  std::string OnUserToolTips(unsigned ctrlId) override;

  CAppCtrlList* GetAvailable() const { return m_pAvailable; }
  CAppCtrlList* GetConfigured() const { return m_pConfigured; }

  static void _ResourcesInit(CAppResources* resources);

private:
  void Fill();
  // Shows the lists again with `param` selected in the list that holds it.
  void Refill(CAppParam* param);
  void SetButtonContext();

  CAppCtrlList* m_pAvailable = nullptr;
  CAppCtrlList* m_pConfigured = nullptr;
};
