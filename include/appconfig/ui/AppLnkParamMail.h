// The "Link Mail" parameter link.
//
// A mailbox shown field by field (twenty numeric edits) with its data zone
// in a hex dump. Nothing is written back but the dump's display options.
//
// The edited parameter must be a CAppParamMail ("Bad pointer" otherwise).
#pragma once

#include "appconfig/ui/AppLnkSheet.h"

class CAppParamMail;

class CAppLnkParamMail : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamMail)

public:
  // One page on the link's dialog template.
  void OnUserCreate() override;
  // Attaches the page's controls, then runs the init rule.
  int OnUserInit() override;
  // Shows the parameter's name and help (the controls got their values
  // when they were attached).
  void OnUserActive() override;
  // TRUE: the fields and the data zone are not written back.
  int OnUserExit() override;
  // The tip of a dialog item; empty for the others.
  std::string OnUserToolTips(unsigned ctrlId) override;

  static void _ResourcesInit(CAppResources* resources);

private:
  CAppParamMail* GetLinkParam();
};
