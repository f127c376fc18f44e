#include "EditTreeLink.h"


#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlTree.h"
#include "appconfig/ui/AppPage.h"

CAppPage* EditTreeLink::CreatePage(CAppParam* root, CAppResources& resources) {
  SetUserParam(root);
  SetProfile(resources.CreateProfile("CAppLnkParamTree"));
  SetResources(&resources);
  OnUserCreate();
  if (m_pPage == nullptr || !m_pPage->OnInitDialog()) APP_THROW("Init page error");
  m_pPage->OnSetActive();
  return m_pPage;
}

unsigned EditTreeLink::AddView(unsigned templateId, const std::string& title) {
  m_pPage = new CAppPage(this, templateId);
  m_pPage->SetTitle(title.empty() ? std::string("Tree") : title);
  _AddView(m_pPage);
  return 0;
}

void EditTreeLink::Refill() {
  if (m_pPage != nullptr) m_pPage->OnSetActive();
}

QModelIndex EditTreeLink::FindItem(const std::string& path) {
  CAppCtrlTree* tree = GetTree();
  QAbstractItemModel* model = tree != nullptr ? tree->model() : nullptr;
  if (model == nullptr) return {};
  QModelIndex item = model->index(0, 0);
  std::string walked;
  std::size_t start = 0;
  while (item.isValid() && start < path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    walked += (walked.empty() ? "" : "\\") + path.substr(start, end - start);
    start = end + 1;
    if (model->canFetchMore(item)) model->fetchMore(item);
    QModelIndex found;
    for (int row = 0; row < model->rowCount(item) && !found.isValid(); ++row) {
      CAppParam* param = GetParam(tree, model->index(row, 0, item));
      if (param != nullptr && param->GetPath() == walked) found = model->index(row, 0, item);
    }
    item = found;
  }
  return item;
}

bool EditTreeLink::SelectPath(const std::string& path) {
  const QModelIndex item = FindItem(path);
  if (!item.isValid()) return false;
  GetTree()->SelectItem(item);
  GetTree()->scrollTo(item);
  return true;
}

void EditTreeLink::OpenSelectedProperties() {
  if (GetTree() == nullptr || !GetTree()->GetSelectedItem().isValid()) return;
  OnTreeProperties(GetTree());
  m_host.OnPropertiesDone();
}

int EditTreeLink::OnUserChange(unsigned ctrlId) {
  const bool properties = ctrlId == ID_TREE && GetTree()->GetOnChangeType() == OPERATION_PROPERTIES;
  const int result = CAppLnkParamTree::OnUserChange(ctrlId);
  if (properties) {
    m_host.OnPropertiesDone();
  } else if (ctrlId == ID_TREE) {
    m_host.OnTreeSelect(GetParam(GetTree(), GetTree()->GetSelectedItem()));
  }
  return result;
}

int EditTreeLink::OnProperties(CAppParam* param, CAppSheet* sheet) {
  m_host.BeforeProperties();
  try {
    const int result = CAppLnkParamTree::OnProperties(param, sheet);
    m_host.AfterProperties();
    return result;
  } catch (...) {
    m_host.AfterProperties();
    throw;
  }
}
