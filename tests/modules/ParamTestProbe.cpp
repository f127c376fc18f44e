// A host extension module with one parameter class of its own, registered
// under an alias; its profile marks that its initialiser ran.
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"

class CAppParamTestProbe : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamTestProbe)

public:
  static void _ResourcesInit(CAppResources* resources);
};

APP_IMPLEMENT_DYNCREATE(CAppParamTestProbe, CAppParam)

void CAppParamTestProbe::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  if (resources->FindChild("CAppParamTestProbe") == nullptr) {
    resources->SetAt("CAppParamTestProbe", new CAppParamGroup("Param Test Probe"));
  }
}

APP_REGISTER_CLASS(CAppParamTestProbe, "Param Test Probe")
APP_EXTENSION_MODULE()
