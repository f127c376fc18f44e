#include "appconfig/ui/AppUiLib.h"

#include <QApplication>

#include "AppQtUserInterface.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppKeyboard.h"
#include "platform/AppKeyState.h"
#include "platform/AppWindowMessages.h"

extern const bool g_bAppUiClassesLoaded;

namespace {

CAppQtUserInterface& UserInterface() {
  static CAppQtUserInterface ui;
  return ui;
}

// Nothing of Qt may be used once the application object is gone.
void Uninstall() {
  AppSetUserInterface(nullptr);
  AppSetKeyStateProvider(nullptr);
}

}  // namespace

bool InitAppConfigUiLib() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  AppMessageType(AppWindowMessage::ReadOnly);  // the four messages get their numbers now
  AppSetUserInterface(&UserInterface());
  AppSetKeyStateProvider(&AppQtKeyHeld);
  QObject::connect(app, &QObject::destroyed, &Uninstall);
  return g_bAppUiClassesLoaded && InitAppConfigLib();
}
