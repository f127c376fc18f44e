#include "appconfig/AppParamDefStruct.h"

#include <memory>

#include "appconfig/AppException.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamDefStruct, CAppParam)

void CAppParamDefStruct::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  // "STRUCT__" names no link class: a structure definition opens no sheet
  // of its own.
  resources->CreateClassProfile("CAppParamDefStruct", "STRUCT__", "Param STRUCT");
  resources->AddIcon("Param STRUCT", "", 13580u, true);
  resources->AddIcon("Param STRUCT", "RO", 13581u, true);
}
