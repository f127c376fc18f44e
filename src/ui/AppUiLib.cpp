#include "appconfig/ui/AppUiLib.h"

#include "appconfig/AppDynamic.h"

#include <QApplication>

bool InitAppConfigUiLib() {
  // Widgets need their application object; without one nothing can be shown.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  return InitAppConfigLib();
}
