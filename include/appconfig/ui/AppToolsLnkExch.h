// The exchange objects: each copies one value between one kind of control
// and one kind of parameter, both ways. A link makes them in its init, binds
// them with AddRule (which calls SetParam) and its view owns them; the view
// runs ParamToCtrl on activation and CtrlToParam on leaving the page (not
// for a read-only link).
//
// Constructors refuse a null control and SetParam a parameter of the wrong
// class, both with "Bad pointer". Values pass as unsigned 32-bit numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "appconfig/ui/AppToolsLnk.h"

class CAppCtrlCheck;
class CAppCtrlCombo;
class CAppCtrlList;
class CAppParamEnumSingle;
class CAppParamGroup;
class CAppParamNumeric;

// A check box shows a single-choice parameter's value (0 or 1).
class CAppToolsLnk::CheckExchEnumSingle : public CAppToolsLnk::RuleExchData {
public:
  explicit CheckExchEnumSingle(CAppCtrlCheck* control);
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlCheck* m_pCtrl;
  CAppParamEnumSingle* m_pParam = nullptr;
};

// The numbers minimum .. maximum - 1 as items "000", "001" ...; the item at
// the value's index is selected, and the selected index is stored.
class CAppToolsLnk::ComboExchNumeric : public CAppToolsLnk::RuleExchData {
public:
  explicit ComboExchNumeric(CAppCtrlCombo* control);
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlCombo* m_pCtrl;
  CAppParamNumeric* m_pParam = nullptr;
};

// The entries of a single-choice enumeration, in its order.
class CAppToolsLnk::ComboExchEnumSingle : public CAppToolsLnk::RuleExchData {
public:
  explicit ComboExchEnumSingle(CAppCtrlCombo* control);
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlCombo* m_pCtrl;
  CAppParamEnumSingle* m_pParam = nullptr;
};

// Each number of the parameter's range that no sibling entry uses yet: the
// siblings are the entries with the same key in the groups of the
// parameter's grand-parent (a list of records, each holding the number).
class CAppToolsLnk::ComboExchUniqueNum : public CAppToolsLnk::RuleExchData {
public:
  // Ranges wider than this are not offered (one byte per number).
  static constexpr std::uint32_t kMaxRange = 0x10000;

  explicit ComboExchUniqueNum(CAppCtrlCombo* control);
  int ParamToCtrl() override;
  int CtrlToParam() override;
  // Keeps a numeric parameter; anything else leaves the exchange unbound.
  void SetParam(CAppParam* param) override;
  // One byte per number of minimum..maximum, 1 where a sibling holds it;
  // FALSE without a parameter, a grand-parent or a usable range.
  virtual int GetValues(std::vector<std::uint8_t>& used);

private:
  CAppCtrlCombo* m_pCtrl;
  CAppParamNumeric* m_pParam = nullptr;
};

// A list filled with a group's children (the parameter's own group).
class CAppToolsLnk::ListExchGroup : public CAppToolsLnk::RuleExchData {
public:
  explicit ListExchGroup(CAppCtrlList* control);
  int ParamToCtrl() override;
  // Refuses a parameter that yields no group.
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlList* m_pCtrl;
  CAppParamGroup* m_pGroup = nullptr;
};
