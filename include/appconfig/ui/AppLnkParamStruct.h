// The structure link ("Link STRUCT"): a group whose children are the fields
// of one device data structure, listed with each field's byte position in
// the device image, and the image itself in a hex dump. The check box
// switches between editing the fields in the list and the bytes in the
// dump; while the dump is being edited the page cannot be left.
#pragma once

#include <unordered_map>

#include "appconfig/ui/AppLnkParamList.h"
#include "appconfig/ui/AppToolsLnkExch.h"

class CAppCtrlCheck;
class CAppCtrlEditDump;

class CAppLnkParamStruct : public CAppLnkParamList {
  APP_DECLARE_DYNCREATE(CAppLnkParamStruct)

public:
  enum : unsigned { ID_DUMP = 13606, ID_HEX = 13667 };

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  int OnUserExit() override;
  // "Position", "Nom", "Valeur", "Unité".
  void DefaultNameColumn(std::vector<std::string>& names) override;
  // The field's byte position ("%3u"), name, value and unit.
  void DefaultValueColumn(std::vector<std::string>& values, CAppParam* param) override;
  // Counts the bits of every field considered, shown or not.
  int CanShowParam(CAppParam* param, CAppRuleFilter* filter) override;
  int GetInPlaceColumn() override { return 2; }

  CAppCtrlEditDump* GetDump() const { return m_pDump; }

  static void _ResourcesInit(CAppResources* resources);

private:
  void SetHexMode(bool hex);

  CAppCtrlCheck* m_pCheck = nullptr;
  CAppCtrlEditDump* m_pDump = nullptr;
  CAppToolsLnk::DumpExchStruct* m_pExchange = nullptr;
  unsigned m_nOffset = 0;
  unsigned m_nLastBits = 0;
  // Bit offset of each field of the last fill.
  std::unordered_map<const CAppParam*, unsigned> m_positions;
};
