// The "Link EnumMulti" parameter link.
//
// A multiple choice: the entries of the enumeration in a list of check
// boxes. The default button checks the default entries and stores them at
// once; it is hidden when the parameter has no default.
//
// The edited parameter must be a CAppParamEnumMulti ("Bad pointer" otherwise). A
// read-only link, or a parameter with PF_READONLY, shows the value and never
// stores it.
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamEnumMulti;

class CAppLnkParamEnumMulti : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamEnumMulti)

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
  CAppParamEnumMulti* GetLinkParam();
};
