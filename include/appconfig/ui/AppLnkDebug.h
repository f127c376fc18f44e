// The developer's debug window ("Link Debug"): the internals of one
// parameter (a list of its data, a tree of it), the resources with their
// image list and the class aliases, and a page where a describer proposes a
// new name and help text; leaving that page appends the proposal to
// "Verify.txt" in the logger's folder, ready to paste into a description.
#pragma once

#include <string>

#include "appconfig/ui/AppLnkSheet.h"

class CAppLnkDebug : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkDebug)

public:
  enum : unsigned {
    ID_LIST = 13503,
    ID_TREE = 13513,
    ID_NEW_NAME = 13671,
    ID_NEW_HELP = 13672,
    ID_NOTE = 13673,
  };
  enum : unsigned { PAGE_LIST = 0, PAGE_TREE = 1, PAGE_RESOURCES = 2, PAGE_VERIFY = 3 };

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  // On the verify page: records the proposal, if any. Always TRUE.
  int OnUserExit() override;
  std::string OnUserGetNodeName(CAppParam* param) override;
  int OnUserGetNodeIcon(CAppParam* param) override;
  // The debug window has no init or check rule.
  void InitRules() override {}
  // Any parameter: its own debug window.
  int IsProperties(CAppParam* param) override { return param != nullptr ? 1 : 0; }
  int OnProperties(CAppParam* param, CAppSheet* sheet) override;

  // The text of an item of the active page ("Bad pointer" without it).
  void SetCtrlText(unsigned id, const std::string& text);
  std::string GetCtrlText(unsigned id);

  // The record the verify page's texts make for the parameter; empty when
  // nothing differs and there is no note. Lines end with "\r\n".
  static std::string BuildVerifyRecord(CAppParam* param, const std::string& newName,
                                       const std::string& newHelp, const std::string& note);
  // Appends the record to "Verify.txt" in `folder`, with the date line
  // before the first record of the process; false when the file cannot be
  // written.
  static bool AppendVerifyRecord(const std::string& folder, const std::string& record);

  static void _ResourcesInit(CAppResources* resources);

private:
  void ShowParamList();
  void ShowParamTree();
  void ShowResourcesTree();

  unsigned m_nVerifyPage = PAGE_VERIFY;
};
