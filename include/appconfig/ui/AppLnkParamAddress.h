// The "Link Address" parameter link.
//
// A dotted address (a TCP/IP address by default) in an address editor
// built from the parameter: its number of parts, separator, format and
// maximum part value. The default button, labelled with the default
// address, is hidden with its caption when there is no default.
//
// The edited parameter must be a CAppParamAddress ("Bad pointer" otherwise). A
// read-only link, or a parameter with PF_READONLY, shows the value and never
// stores it.
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamAddress;

class CAppLnkParamAddress : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamAddress)

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
  CAppParamAddress* GetLinkParam();
};
