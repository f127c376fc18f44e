// The registrations of the user interface library's classes, all in this
// one file (see the core's own list): InitAppConfigUiLib refers to
// g_bAppUiClassesLoaded, which keeps the file linked.
#include "appconfig/AppDynamic.h"
#include "appconfig/ui/AppLnkParamAddress.h"
#include "appconfig/ui/AppLnkParamArray.h"
#include "appconfig/ui/AppLnkParamEnumMulti.h"
#include "appconfig/ui/AppLnkParamEnumSingle.h"
#include "appconfig/ui/AppLnkParamMail.h"
#include "appconfig/ui/AppLnkParamNumeric.h"
#include "appconfig/ui/AppLnkParamString.h"
#include "appconfig/ui/AppLnkSheet.h"
#include "appconfig/ui/AppLnkConfigList.h"
#include "appconfig/ui/AppLnkDebug.h"
#include "appconfig/ui/AppLnkParamList.h"
#include "appconfig/ui/AppLnkParamListFilter.h"
#include "appconfig/ui/AppLnkParamListMultiColumns.h"
#include "appconfig/ui/AppLnkParamStruct.h"
#include "appconfig/ui/AppLnkParamTree.h"
#include "appconfig/ui/AppLnkWnd.h"

APP_REGISTER_CLASS(CAppLnkWnd, "")
APP_REGISTER_CLASS(CAppLnkSheet, "")
APP_REGISTER_CLASS(CAppLnkParamString, "Link String")
APP_REGISTER_CLASS(CAppLnkParamNumeric, "Link Numeric")
APP_REGISTER_CLASS(CAppLnkParamEnumSingle, "Link EnumSingle")
APP_REGISTER_CLASS(CAppLnkParamEnumMulti, "Link EnumMulti")
APP_REGISTER_CLASS(CAppLnkParamArray, "Link Array")
APP_REGISTER_CLASS(CAppLnkParamAddress, "Link Address")
APP_REGISTER_CLASS(CAppLnkParamMail, "Link Mail")
APP_REGISTER_CLASS(CAppLnkConfigList, "Link ConfigList")
APP_REGISTER_CLASS(CAppLnkDebug, "Link Debug")
APP_REGISTER_CLASS(CAppLnkParamList, "Link List")
APP_REGISTER_CLASS(CAppLnkParamListFilter, "Link List Filter")
APP_REGISTER_CLASS(CAppLnkParamListMultiColumns, "Link List Multi Columns")
APP_REGISTER_CLASS(CAppLnkParamStruct, "Link STRUCT")
APP_REGISTER_CLASS(CAppLnkParamTree, "Link Tree")

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
