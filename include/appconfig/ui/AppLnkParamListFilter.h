// The filtered list link ("Link List Filter"): the list link with a combo
// box that chooses one of the profile's filters. The profile's key list
// "SYS_FILTER_NAME" gives the combo's items (its name the caption); item i
// shows the rows that the filter rule "SYS_FILTER_<i>" lets through.
#pragma once

#include "appconfig/ui/AppLnkParamList.h"

class CAppCtrlCombo;
class CAppCtrlStatic;

class CAppLnkParamListFilter : public CAppLnkParamList {
  APP_DECLARE_DYNCREATE(CAppLnkParamListFilter)

public:
  enum : unsigned { ID_FILTER = 13549, ID_CAPTION = 13550 };

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  std::string OnUserToolTips(unsigned ctrlId) override;

  CAppCtrlCombo* GetFilterCombo() const { return m_pCombo; }

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppCtrlCombo* m_pCombo = nullptr;
};
