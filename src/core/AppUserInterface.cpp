#include "appconfig/AppUserInterface.h"

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"

namespace {
CAppUserInterface* g_pUserInterface = nullptr;
}  // namespace

void AppSetUserInterface(CAppUserInterface* ui) { g_pUserInterface = ui; }

CAppUserInterface& AppGetUserInterface() {
  if (g_pUserInterface == nullptr) APP_THROW("No user interface is installed");
  return *g_pUserInterface;
}

int CAppTools::MessageBox(const std::string& text, unsigned style) {
  return AppGetUserInterface().MessageBox(text, style);
}
