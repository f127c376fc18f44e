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
#include <memory>
#include <vector>

#include "appconfig/ui/AppToolsLnk.h"

class CAppCtrlCheck;
class CAppCtrlEditDump;
class CAppDataRecord;
class CAppParamArray;
class CAppParamMail;
class CAppCtrlCombo;
class CAppCtrlList;
class CAppLnkWnd;
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

// A list filled with a group's children (the parameter's own group), as the
// link that owns the list shows them (the list does not know its link).
class CAppToolsLnk::ListExchGroup : public CAppToolsLnk::RuleExchData {
public:
  // Both refused when null.
  ListExchGroup(CAppCtrlList* control, CAppLnkWnd* link);
  int ParamToCtrl() override;
  // Refuses a parameter that yields no group.
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlList* m_pCtrl;
  CAppLnkWnd* m_pLink;
  CAppParamGroup* m_pGroup = nullptr;
};

// A hex dump shows an array parameter's bytes with the display options of
// its profile; the display the user chose goes back into the parameter as
// its options word (CAppParamArray::GetDumpOptions), see CAppCtrlEditDump
// for the bits.
class CAppToolsLnk::DumpExchArray : public CAppToolsLnk::RuleExchData {
public:
  explicit DumpExchArray(CAppCtrlEditDump* control);
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;
  // Refuses null with "Bad pointer".
  void SetResources(CAppResources* resources) override;

  // The stored options (or, when there are none yet, the profile's first
  // choices, which are then stored) applied to the control; TRUE.
  int SetDataToCtrl();
  // The control's present display stored in the parameter; TRUE.
  int GetCtrlToData();
  // The menu's commands (visible) and the first choices (current) of the
  // parameter's profile: keys "SYS_FORMAT_VALUE", "SYS_OPTION_BITS",
  // "SYS_OPTION_IM", "SYS_OPTION_VIEW", "SYS_OPTION_NBCOL",
  // "SYS_OPTION_SPACE" and "SYS_OPTION_MENU_HIDE", each a key list; a
  // missing key gives its defaults. Without resources or profile both words
  // stay as they are. TRUE.
  int GetMenuOptions(std::uint32_t& visible, std::uint32_t& current, char& space);

protected:
  CAppCtrlEditDump* m_pCtrl;
  CAppParamArray* m_pArray = nullptr;
};

// A mailbox's data zone (field 20, at most 1536 bytes) shown, never written
// back: only the display options return to the parameter.
class CAppToolsLnk::DumpExchMail : public CAppToolsLnk::DumpExchArray {
public:
  static constexpr unsigned kDataField = 20;
  static constexpr unsigned kMaxData = 1536;

  explicit DumpExchMail(CAppCtrlEditDump* control) : DumpExchArray(control) {}
  int ParamToCtrl() override;
  int CtrlToParam() override;
  void SetParam(CAppParam* param) override;

private:
  CAppParamMail* m_pMail = nullptr;
};

// Any parameter's device data image, edited as bytes of a fixed length.
class CAppToolsLnk::DumpExchStruct : public CAppToolsLnk::RuleExchData {
public:
  explicit DumpExchStruct(CAppCtrlEditDump* control);
  ~DumpExchStruct() override;
  int ParamToCtrl() override;
  int CtrlToParam() override;
  // Only refuses null.
  void SetParam(CAppParam* param) override;

private:
  CAppCtrlEditDump* m_pCtrl;
  CAppParam* m_pParam = nullptr;
  std::unique_ptr<CAppDataRecord> m_pRecord;
};
