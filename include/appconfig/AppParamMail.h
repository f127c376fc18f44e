// The mailbox block of a controller: 1584 bytes, 21 packed little-endian
// fields (header words, addressing fields and a 1536-byte data area).
#pragma once

#include "appconfig/AppParamStruct.h"

class CAppParamMail : public CAppParamStruct {
  APP_DECLARE_DYNCREATE(CAppParamMail)

public:
  static constexpr std::uint16_t kFieldCount = 21;
  static constexpr std::uint16_t kSize = 1584;

  CAppParamMail();

  // "Codef : " and the first field.
  bool _GetFmtValue(std::string& out, CAppResources* resources) override;
  void Serialize(CAppRecord* record) override;

  static void _ResourcesInit(CAppResources* resources);
};
