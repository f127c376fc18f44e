// Multi-column list rules ("SYS_LIST_0"): the columns of a list of rows,
// the text of each cell, the parameter a cell edits in place, and whether
// rows may be added, removed and moved.
//
// The profile entry must be a key list; setting any other entry throws
// "Bad pointer". The add, remove and move operations take a perform flag:
// 0 only asks whether the operation is allowed (to enable a button),
// nonzero carries it out; both answer 1 for yes/done and 0 otherwise.
#pragma once

#include <string>
#include <vector>

#include "appconfig/AppRuleInterface.h"

// The interface: no columns, nothing may be added, removed or moved.
class CAppRuleMultiColumns : public CAppRule {
  APP_DECLARE_RULE(CAppRuleMultiColumns)

public:
  void SetProfile(CAppParam* profile) override;

  // Empties `titles` and fills it with the column titles.
  virtual void AddColumns(std::vector<std::string>& titles);
  // Empties `texts` and fills it with the row's text in each column.
  virtual void ShowParam(CAppParam* row, std::vector<std::string>& texts);
  // `group` is the group whose rows the list shows; the others take a row.
  virtual int AddParam(CAppParam* group, int perform);
  virtual int RemoveParam(CAppParam* row, int perform);
  virtual int MoveUpParam(CAppParam* row, int perform);
  virtual int MoveDownParam(CAppParam* row, int perform);
  // The parameter that the cell (row, zero-based column) edits in place.
  virtual CAppParam* GetParamToEdit(CAppParam* row, int column);

protected:
  // The profile as a key list; "Bad pointer" before a profile is set.
  CAppParamListKey& GetList();

private:
  CAppParamListKey* m_pList = nullptr;
};

// Rows are groups made from a template row. The list holds the template
// key, the root key of new rows, the n column keys (a child key of a row)
// and the n column titles: 2 + 2n entries. ShowParam, GetParamToEdit and
// AddParam use the keys read by the last AddColumns call.
class CAppRuleMultiColumnsGroup : public CAppRuleMultiColumns {
  APP_DECLARE_RULE(CAppRuleMultiColumnsGroup)

public:
  // A list of fewer than 2 entries, or with an odd number of column
  // entries, throws "Bad Count of Element".
  void AddColumns(std::vector<std::string>& titles) override;
  // A cell whose row lacks the column's child shows "-"; a row that is not
  // a group shows empty cells.
  void ShowParam(CAppParam* row, std::vector<std::string>& texts) override;
  // Clones the template child of `group` (a template that is not a group
  // throws "Not an derived class for this pointer"), adds the clone under
  // the root key in auto-index mode, names it after the template and the
  // group's auto index, and opens its properties; a cancelled sheet removes
  // the row again.
  int AddParam(CAppParam* group, int perform) override;
  int RemoveParam(CAppParam* row, int perform) override;
  int MoveUpParam(CAppParam* row, int perform) override;
  int MoveDownParam(CAppParam* row, int perform) override;
  CAppParam* GetParamToEdit(CAppParam* row, int column) override;
  // List entry 1 (empty when the list is shorter).
  virtual void GetRootName(std::string& name);

  // Opens the property sheet of a new row and answers the sheet's dialog
  // result (2: cancelled). The windowing layer installs one (over
  // CAppResources::OnProperties); without one a new row is accepted as made.
  using PFN_PROPERTIES = int (*)(CAppResources* resources, CAppParam* param);
  static void SetPropertiesHandler(PFN_PROPERTIES handler);
  static PFN_PROPERTIES GetPropertiesHandler();

private:
  std::string m_strTemplateKey;
  std::string m_strRootKey;
  std::vector<std::string> m_columnKeys;
};
