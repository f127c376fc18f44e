// Starts the installed user interface library: the core then hands
// OnProperties to it (a parameter without properties is accepted at once).
#include <QApplication>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppUiLib.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!InitAppConfigLib() || !InitAppConfigUiLib()) return 1;
  CAppResources resources;
  resources.Init();
  if (resources.FindChild("CAppLnkWnd") == nullptr) return 1;
  CAppParam param;
  param.ModifyFlags(0, PF_NO_PROPERTIES);
  return resources.OnProperties(&param) == 1 ? 0 : 1;
}
