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


void CAppParamValue::_ResourcesInit(CAppResources* resources) {
  APP_CHECK_POINTER(resources);
  resources->CreateClassProfile("CAppParamValue", "String", "Param Value");
  resources->AddClassIcons("Param Value");
}
