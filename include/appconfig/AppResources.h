// The resource collection: a group of profiles that give parameter classes
// their presentation and behaviour.
//
// This is the part the parameter tree needs today (a group that answers
// property lookups); profiles, icons and the default chain are filled in by
// the resources subsystem.
#pragma once

#include <string>

#include "appconfig/AppParamGroup.h"

class CAppResources : public CAppParamGroup {
  APP_DECLARE_DYNCREATE(CAppResources)

public:
  CAppResources() = default;

  // The profile of a parameter; null while no profile is known.
  CAppParamGroup* FindProfile(CAppParam* param);
  // The value of the property `key` for the parameter; true if found.
  bool Load(std::string& value, CAppParam* param, const std::string& key);
};
