// The list exchange: a group's children as the rows of a list.
#include "appconfig/ui/AppToolsLnkExch.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"

CAppToolsLnk::ListExchGroup::ListExchGroup(CAppCtrlList* control, CAppLnkWnd* link)
    : m_pCtrl(control), m_pLink(link) {
  APP_CHECK_POINTER(control);
  APP_CHECK_POINTER(link);
}

void CAppToolsLnk::ListExchGroup::SetParam(CAppParam* param) {
  APP_CHECK_POINTER(param);
  m_pGroup = param->GetGroup();
  APP_CHECK_POINTER(m_pGroup);
}

// One row per child the link shows: the link's default cells (name, value,
// unit) and the child as the row's data.
int CAppToolsLnk::ListExchGroup::ParamToCtrl() {
  APP_CHECK_POINTER(m_pGroup);
  CAppLnkWnd* link = m_pLink;
  m_pCtrl->RemoveAll();
  if (m_pCtrl->GetColumnCount() == 0) {
    std::vector<std::string> titles;
    link->DefaultNameColumn(titles);
    for (const std::string& title : titles) m_pCtrl->AddColumn(title);
  }
  POSITION position = m_pGroup->GetStartPosition();
  while (CAppParam* child = m_pGroup->GetNextPtr(position)) {
    if (!link->CanShowParam(child, nullptr)) continue;
    std::vector<std::string> cells;
    link->DefaultValueColumn(cells, child);
    if (cells.empty()) continue;
    const int row = m_pCtrl->AddParamItem(child, cells.front());
    for (size_t column = 1; column < cells.size(); ++column) {
      m_pCtrl->SetText(cells[column], row, static_cast<int>(column));
    }
  }
  return 1;
}
