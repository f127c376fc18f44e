#include "EditTreeLink.h"

#include <QTreeWidgetItem>

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

QTreeWidgetItem* EditTreeLink::FindItem(const std::string& path) {
  CAppCtrlTree* tree = GetTree();
  if (tree == nullptr || tree->topLevelItemCount() == 0) return nullptr;
  QTreeWidgetItem* item = tree->topLevelItem(0);
  std::string walked;
  std::size_t start = 0;
  while (item != nullptr && start < path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    walked += (walked.empty() ? "" : "\\") + path.substr(start, end - start);
    start = end + 1;
    if (tree->IsChildrenPending(item)) ExpandTreeNode(tree, item);
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < item->childCount() && found == nullptr; ++i) {
      CAppParam* param = GetParam(tree, item->child(i));
      if (param != nullptr && param->GetPath() == walked) found = item->child(i);
    }
    item = found;
  }
  return item;
}

bool EditTreeLink::SelectPath(const std::string& path) {
  QTreeWidgetItem* item = FindItem(path);
  if (item == nullptr) return false;
  GetTree()->SelectItem(item);
  GetTree()->scrollToItem(item);
  return true;
}

void EditTreeLink::OpenSelectedProperties() {
  if (GetTree() == nullptr || GetTree()->GetSelectedItem() == nullptr) return;
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
