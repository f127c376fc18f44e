// The "Link Numeric" parameter link.
//
// A number in a numeric edit with its base button, between the minimum
// and maximum statics, with its unit and a button that sets the default.
//
// The edited parameter must be a CAppParamNumeric ("Bad pointer" otherwise). A
// read-only link, or a parameter with PF_READONLY, shows the value and never
// stores it.
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamNumeric;

class CAppLnkParamNumeric : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamNumeric)

public:
  // One page on the link's dialog template.
  void OnUserCreate() override;
  // Attaches the page's controls, then runs the init rule.
  int OnUserInit() override;
  // Shows the parameter.
  void OnUserActive() override;
  // Stores the value unless the link is read-only; FALSE (the page stays)
  // when the control or the check rule ("SYS_VALID") refuses it.
  int OnUserExit() override;
  int OnUserChange(unsigned ctrlId) override;
  // The tip of a dialog item; empty for the others.
  std::string OnUserToolTips(unsigned ctrlId) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppParamNumeric* GetLinkParam();
};
