// A link that records what the framework asks of it, with a line edit bound
// to a string parameter, for the lifecycle tests.
#pragma once

#include <QLineEdit>

#include <set>
#include <string>
#include <vector>

#include "appconfig/AppParamValue.h"
#include "appconfig/ui/AppLnkSheet.h"

// An edit control that answers the framework's messages (recording them);
// the recording link hears of its typed changes.
class TestEdit : public QLineEdit {
  Q_OBJECT

public:
  std::vector<std::string> messages;  // names of the messages received

protected:
  bool event(QEvent* event) override;
};

// Copies a string parameter to the edit and back.
class TestExchValue : public CAppToolsLnk::RuleExchData {
public:
  explicit TestExchValue(TestEdit* edit) : m_pEdit(edit) {}
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;

private:
  TestEdit* m_pEdit;
  CAppParam* m_pParam = nullptr;
};

// The recording link: "Link Test Value". It adds `pages` pages on the value
// template (13588); the value edit (13605) of each is bound to the user
// parameter, or to its child `childKey` when that is set.
class TestRecordingLink : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(TestRecordingLink)

public:
  // What every link of the class records into, and how it behaves; tests
  // set them up before the link is made (links are made by name).
  struct Script {
    std::vector<std::string> events;
    int pages = 1;
    int refuseExitOnPage = -1;  // that page's exit answers FALSE
    bool writeOnChange = false;  // store every change at once
    std::string childKey;
    // Hooks that throw once reached (and recorded): "show" (the exchange's
    // ParamToCtrl), "change", "exit", "timer", "tips", "node", "next".
    std::set<std::string> throwing;
  };
  static Script& Current();
  static void Reset() { Current() = Script(); }

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  int OnUserExit() override;
  void OnCancel() override;
  void OnUserTimer() override;
  std::string OnUserToolTips(unsigned ctrlId) override;
  std::string OnUserGetNodeName(CAppParam* param) override;
  void OnUserBeginMove(CAppParam* param) override { Record("begin move " + param->GetKey()); }
  void OnUserEndMove(CAppParam* param) override { Record("end move " + param->GetKey()); }
  void OnUserDelete(CAppParam* param) override { Record("delete " + param->GetKey()); }
  void NextCtrl() override;
  // Records `hook` and throws when the script says so.
  static void Reached(const std::string& hook);

  static void _ResourcesInit(CAppResources* resources);

private:
  void Record(const std::string& event);
};
