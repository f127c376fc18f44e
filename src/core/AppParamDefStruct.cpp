#include "appconfig/AppParamDefStruct.h"

#include <memory>

#include "appconfig/AppException.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamDefStruct, CAppParam)

void CAppParamDefStruct::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  CAppParamGroup* profile = resources->CreateProfile("CAppParamDefStruct");
  // "STRUCT__" names no link class: a structure definition opens no sheet
  // of its own.
  CAppResources::AddProfileEntry(profile, "SYS_LINK", new CAppParamGroup("STRUCT__"),
                                 CAppParamGroup::ADD_AUTO_INDEX);
  auto icon = std::make_unique<CAppParam>();
  icon->SetName("Param STRUCT");
  CAppResources::AddProfileEntry(profile, "SYS_ICON_VALUE", icon.release(),
                                 CAppParamGroup::ADD_BY_KEY);
  resources->AddIcon("Param STRUCT", "", 13580u, true);
  resources->AddIcon("Param STRUCT", "RO", 13581u, true);
}
