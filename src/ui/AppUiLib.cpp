#include "appconfig/ui/AppUiLib.h"

#include <QApplication>

#include "AppQtUserInterface.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "platform/AppKeyState.h"
#include "platform/AppWindowMessages.h"

extern const bool g_bAppUiClassesLoaded;

namespace {

// Nothing of Qt may be used once the application object is gone.
void Uninstall() {
  CAppRuleMultiColumnsGroup::SetPropertiesHandler(nullptr);
  AppSetUserInterface(nullptr);
  AppSetKeyStateProvider(nullptr);
}

}  // namespace

bool InitAppConfigUiLib() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return false;
  AppMessageType(AppWindowMessage::ReadOnly);  // the four messages get their numbers now
  static CAppQtUserInterface userInterface;
  AppSetUserInterface(&userInterface);
  AppSetKeyStateProvider(&AppQtKeyHeld);
  // A row added to a multi-column list opens its properties; a cancelled
  // sheet removes the row again.
  CAppRuleMultiColumnsGroup::SetPropertiesHandler([](CAppResources* resources, CAppParam* row) {
    return resources != nullptr ? resources->OnProperties(row) : 1;
  });
  QObject::connect(app, &QObject::destroyed, &Uninstall);
  return g_bAppUiClassesLoaded && InitAppConfigLib();
}
