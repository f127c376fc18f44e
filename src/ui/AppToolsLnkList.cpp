// The list exchange: a group's children as the rows of a list.
#include "appconfig/ui/AppToolsLnkExch.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "models/AppParamGroupModel.h"

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

// The group through its model: a row per child the link shows, in the
// link's default columns (name, value, unit).
int CAppToolsLnk::ListExchGroup::ParamToCtrl() {
  APP_CHECK_POINTER(m_pGroup);
  m_pCtrl->SetGroupModel(
      new CAppParamGroupModel(*m_pLink, *m_pGroup, CAppParamGroupModel::MODE_LIST, nullptr, nullptr));
  return 1;
}
