#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppResources, CAppParamGroup)

CAppParamGroup* CAppResources::FindProfile(CAppParam* param) {
  APP_CHECK_POINTER(param);
  return nullptr;
}

bool CAppResources::Load(std::string& /*value*/, CAppParam* param, const std::string& /*key*/) {
  APP_CHECK_POINTER(param);
  return false;
}
