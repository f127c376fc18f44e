// The list link ("Link List"): a parameter group as a list, one row per
// child shown, the value column edited in place, and a properties sheet per
// row that walks the rows with Previous and Next.
//
// The columns and row texts come from the multi-column rule of the profile
// ("SYS_LIST_0"), else name, value and unit; the rows shown from the filter
// rule named by the filter key ("SYS_FILTER_0" when empty).
#pragma once

#include <memory>
#include <string>

#include "appconfig/ui/AppLnkSheet.h"

class CAppCtrlList;
class CAppRuleMultiColumns;

class CAppLnkParamList : public CAppLnkSheet {
  APP_DECLARE_DYNCREATE(CAppLnkParamList)

public:
  enum : unsigned { ID_LIST = 13605, ID_OPTIONS = 2000 };

  CAppLnkParamList();
  ~CAppLnkParamList() override;

  void SetFilter(const std::string& filterKey) { m_strFilter = filterKey; }
  const std::string& GetFilter() const { return m_strFilter; }

  void OnUserCreate() override;
  int OnUserInit() override;
  void OnUserActive() override;
  int OnUserChange(unsigned ctrlId) override;
  int OnUserExit() override;
  std::string OnUserToolTips(unsigned ctrlId) override;

  // The edited group; "Bad pointer" when the parameter is none.
  CAppParamGroup* GetUserGroup();
  CAppCtrlList* GetList() const { return m_pList; }
  CAppRuleMultiColumns* GetListRule() const { return m_pListRule.get(); }

  static void _ResourcesInit(CAppResources* resources);

protected:
  // Attaches the list (with the image list, in edit-in-place mode); then
  // the base initialisation.
  int InitList();
  // Whether the link or the group is read-only.
  bool IsGroupReadOnly();
  // Controls follow the read-only state; the list is filled.
  void ActivateList();
  // The properties action and the list's other changes.
  int OnListCtrlChange();
  // Closes an open in-place editor, then the check rule decides.
  int ExitList();

  std::string m_strFilter;

private:
  std::unique_ptr<CAppRuleMultiColumns> m_pListRule;
  CAppCtrlList* m_pList = nullptr;
};
