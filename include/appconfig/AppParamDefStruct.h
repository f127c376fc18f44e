// The parameter class that description files name for structure
// definitions; it only contributes its profile.
#pragma once

#include "appconfig/AppParam.h"

class CAppParamDefStruct : public CAppParam {
  APP_DECLARE_DYNCREATE(CAppParamDefStruct)

public:
  CAppParamDefStruct() = default;

  static void _ResourcesInit(CAppResources* resources);
};
