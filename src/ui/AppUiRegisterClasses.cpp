// The registrations of the user interface library's classes, all in this
// one file (see the core's own list): InitAppConfigUiLib refers to
// g_bAppUiClassesLoaded, which keeps the file linked.
#include "appconfig/AppDynamic.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "appconfig/ui/AppLnkWnd.h"

APP_REGISTER_CLASS(CAppLnkWnd, "")
APP_REGISTER_CLASS(CAppLnkSheet, "")

namespace {

// Runs after the registrations above: they join the library's default
// context, which seeds the context of every module and of the host.
bool LoadUiClasses() {
  CAppDynamic::KtoDefaultContext();
  CAppDynamic::KtoExitExtensionModule();
  return true;
}

}  // namespace

extern const bool g_bAppUiClassesLoaded;
const bool g_bAppUiClassesLoaded = LoadUiClasses();
