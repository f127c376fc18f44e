// The user interface that the library installs into the core: the
// properties and debug sheets of CAppResources, and message boxes.
#pragma once

#include "appconfig/AppUserInterface.h"

class CAppQtUserInterface : public CAppUserInterface {
public:
  int OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override;
  int OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) override;
  int MessageBox(const std::string& text, unsigned style) override;
};
