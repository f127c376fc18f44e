// A link that records what the controls tell it, and helpers shared by the
// control tests.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "appconfig/AppUserInterface.h"
#include "appconfig/ui/AppLnkSheet.h"

class RecordingLink : public CAppLnkSheet {
public:
  int OnUserChange(unsigned ctrlId) override {
    changes.push_back(ctrlId);
    return onChange ? onChange(ctrlId) : answer;
  }
  void NextCtrl() override { ++nextCtrl; }
  void PrevCtrl() override { ++prevCtrl; }
  std::string OnUserGetNodeName(CAppParam* param) override;

  std::vector<unsigned> changes;
  int answer = 1;
  std::function<int(unsigned)> onChange;
  int nextCtrl = 0;
  int prevCtrl = 0;
};

// Records message boxes instead of showing them, for as long as it lives.
class MessageBoxRecorder : public CAppUserInterface {
public:
  MessageBoxRecorder();
  ~MessageBoxRecorder() override;
  int OnProperties(CAppResources&, CAppParam*, CAppSheet*) override { return 2; }
  int OnDebug(CAppResources&, CAppParam*, CAppSheet*) override { return 2; }
  int MessageBox(const std::string& text, unsigned style) override;

  std::vector<std::string> texts;
  std::vector<unsigned> styles;

private:
  CAppUserInterface* m_pPrevious;
};

// A shown top-level page for controls, with a vertical layout.
QWidget* MakePage(QWidget& owner);
// Gives `control` a dialog item number and puts it on the page.
void PlaceOnPage(QWidget* page, QWidget* control, unsigned id);
