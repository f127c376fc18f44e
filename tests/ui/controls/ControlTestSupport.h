// A page to put controls on, shared by the control tests, and a link that
// records what it is told, for the tree, which asks a link for node names.
#pragma once

#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "appconfig/AppParam.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "platform/AppDialogTemplate.h"

class RecordingLink : public CAppLnkSheet {
public:
  int OnUserChange(unsigned ctrlId) override {
    changes.push_back(ctrlId);
    return 1;
  }
  std::string OnUserGetNodeName(CAppParam* param) override {
    return param != nullptr ? "Node " + param->GetKey() : std::string();
  }

  std::vector<unsigned> changes;
};

// A shown top-level page for controls, with a vertical layout.
inline QWidget* MakePage(QWidget& owner) {
  new QVBoxLayout(&owner);
  owner.resize(360, 240);
  owner.show();
  owner.activateWindow();
  QApplication::setActiveWindow(&owner);
  return &owner;
}

// Gives `control` a dialog item number and puts it on the page.
inline void PlaceOnPage(QWidget* page, QWidget* control, unsigned id) {
  AppSetDlgItemId(control, id);
  control->setParent(page);
  page->layout()->addWidget(control);
  control->show();
}
