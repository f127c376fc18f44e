// The "Link String" parameter link.
//
// A free text: a string parameter in a text edit limited to the
// parameter's text length.
//
// The edited parameter must be a CAppParamValue ("Bad pointer" otherwise). A
// read-only link, or a parameter with PF_READONLY, shows the value and never
// stores it.
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamValue;

class CAppLnkParamString : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamString)

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
  // The tip of a dialog item; empty for the others.
  std::string OnUserToolTips(unsigned ctrlId) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppParamValue* GetLinkParam();
};
