// The "Link EnumSingle" parameter link.
//
// A single choice: the entries of the enumeration in a list, the current
// one selected. A double click on an entry chooses it and closes the sheet
// with OK; the default button stores the default entry at once.
//
// The edited parameter must be a CAppParamEnumSingle ("Bad pointer" otherwise). A
// read-only link, or a parameter with PF_READONLY, shows the value and never
// stores it.
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamEnumSingle;

class CAppLnkParamEnumSingle : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamEnumSingle)

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
  CAppParamEnumSingle* GetLinkParam();
};
