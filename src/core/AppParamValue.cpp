#include "appconfig/AppParamValue.h"

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppResources.h"

APP_IMPLEMENT_DYNCREATE(CAppParamValue, CAppParam)

void CAppParamValue::DataSerialize(CAppDataRecord* record) {
  const unsigned bits = GetBitSize();
  if (!IsDataSerializable(record, bits)) return;
  CAppVariant value = GetVariant();
  record->Do(value, bits, IsFlagsEnable(PF_MOTOROLA));
  SetVariant(value);
}

void CAppParamValue::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  record->Do("Value", m_value);
  record->Do("MaxSize", m_nMaxSize);
  record->Do("BitSize", m_nBitSize);
}

void CAppParamValue::_Check() {
  if (AppDynamicCast<CAppParamValue>(this) == nullptr) APP_THROW("Bad pointer");
  CAppParam::_Check();
}

void CAppParamValue::InitClassProfile(CAppResources* resources, const char* className,
                                      const char* displayName, const char* linkName) {
  APP_CHECK_POINTER(resources);
  CAppParamGroup* profile = resources->CreateProfile(className);
  CAppResources::AddProfileEntry(profile, "SYS_LINK", new CAppParamGroup(linkName),
                                 CAppParamGroup::ADD_AUTO_INDEX);
  CAppResources::AddProfileEntry(profile, "SYS_ICON_VALUE", new CAppParamValue(displayName),
                                 CAppParamGroup::ADD_BY_KEY);
  resources->AddIcon(displayName, "", 13607u, true);
  resources->AddIcon(displayName, "RO", 13613u, true);
  resources->AddIcon(displayName, "EX", 13630u, true);
}

void CAppParamValue::_ResourcesInit(CAppResources* resources) {
  InitClassProfile(resources, "CAppParamValue", "Param Value", "String");
}
