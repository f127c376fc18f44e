// A host extension module whose class claims an alias the library already
// registered: its start-up must fail.
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"

class CAppParamAliasClash : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamAliasClash)
};

APP_IMPLEMENT_DYNCREATE(CAppParamAliasClash, CAppParam)

APP_REGISTER_CLASS(CAppParamAliasClash, "Param Group")
APP_EXTENSION_MODULE()
