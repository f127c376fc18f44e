// The registrations of the library's own classes, all in this one file.
//
// The registry refers to g_bAppLibraryClassesLoaded, so this file is linked
// into every program that uses the registry, static builds included; spread
// over the classes' own sources, registrations of classes a program never
// names would be dropped by the linker. Add each new class here.
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamDefStruct.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppParamStruct.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppRuleMultiColumns.h"

APP_REGISTER_CLASS(CAppParam, "")
APP_REGISTER_CLASS(CAppParamGroup, "Param Group")
APP_REGISTER_CLASS(CAppParamListKey, "Param ListKey")
APP_REGISTER_CLASS(CAppParamEnumSingle, "Param EnumSingle")
APP_REGISTER_CLASS(CAppParamEnumMulti, "Param EnumMulti")
APP_REGISTER_CLASS(CAppParamArray, "Param Array")
APP_REGISTER_CLASS(CAppParamAddress, "Param Address")
APP_REGISTER_CLASS(CAppParamStruct, "Param Fields")
APP_REGISTER_CLASS(CAppParamMail, "Param Mail")
APP_REGISTER_CLASS(CAppParamDefStruct, "Param STRUCT")
APP_REGISTER_CLASS(CAppParamValue, "Param Value")
APP_REGISTER_CLASS(CAppParamNumeric, "Param Numeric")
APP_REGISTER_CLASS(CAppResources, "")
// A data record is no parameter and has no profile.
APP_REGISTER_CLASS_INIT(CAppDataRecord, "", nullptr)
APP_REGISTER_CLASS(CAppRule, "")
APP_REGISTER_CLASS(CAppRuleCheck, "")
APP_REGISTER_CLASS(CAppRuleCheckParam, "")
APP_REGISTER_CLASS(CAppRuleFilter, "")
APP_REGISTER_CLASS(CAppRuleInitParam, "")
APP_REGISTER_CLASS(CAppRuleParam, "")
APP_REGISTER_CLASS(CAppRuleStream, "")
APP_REGISTER_CLASS(CAppRuleValue, "")
APP_REGISTER_CLASS(CAppRuleFilterByKeyInParam, "Rule Filter By Key in Param")
APP_REGISTER_CLASS(CAppRuleFilterByValue, "Rule Filter By Value")
APP_REGISTER_CLASS(CAppRuleMultiColumns, "Rule Multi Columns")
APP_REGISTER_CLASS(CAppRuleMultiColumnsGroup, "Rule Multi Columns by Group")
APP_REGISTER_CLASS(CAppRuleFilterByKey, "Rule Filter By Key")
APP_REGISTER_CLASS(CAppRuleFilterByAlias, "Rule Filter By Alias")
APP_REGISTER_CLASS(CAppRuleArrayDumpExt, "Rule Array Dump Ext")

namespace {

// Runs after the registrations above (same file, so in order): they become
// the library's default context, which seeds the context of every module and
// of the host, and the next registration opens such a context.
bool LoadLibraryClasses() {
  CAppDynamic::KtoDefaultContext();
  CAppDynamic::KtoExitExtensionModule();
  return true;
}

}  // namespace

extern const bool g_bAppLibraryClassesLoaded;
const bool g_bAppLibraryClassesLoaded = LoadLibraryClasses();
