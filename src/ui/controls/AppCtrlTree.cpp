#include "appconfig/ui/AppCtrlTree.h"

#include <QKeyEvent>

#include <deque>

#include "AppUiTrace.h"
#include "controls/AppCtrlMessages.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppDialogTemplate.h"

namespace {

// Trees up to this many nodes show fully expanded; beyond, a node gets its
// children when the user first expands it.
constexpr int kEagerTreeNodes = 2000;

}  // namespace

CAppCtrlTree::CAppCtrlTree(QWidget* parent) : QTreeView(parent) {
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QTreeView::doubleClicked, this, [this] { Notify(0); });
}

CAppCtrlTree::~CAppCtrlTree() = default;

unsigned CAppCtrlTree::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlTree::Notify(int changeType) {
  m_nChangeType = changeType;
  emit Changed(static_cast<AppCtrlOperation::EN_OPERATION_TYPE>(changeType));
}

void CAppCtrlTree::SetImageList(const std::vector<QIcon>& images) {
  m_images = images;
  if (m_pModel != nullptr) m_pModel->SetImages(images);
}

void CAppCtrlTree::SetGroupModel(CAppParamGroupModel* model) {
  CAppParamGroupModel* old = m_pModel;
  m_pModel = model;
  if (model != nullptr) {
    model->setParent(this);
    model->SetImages(m_images);
  }
  QItemSelectionModel* oldSelection = selectionModel();
  setModel(model);
  delete oldSelection;
  delete old;
  ExpandSmallTree();
}

void CAppCtrlTree::RemoveAll() { SetGroupModel(nullptr); }

// Breadth first, so that a large tree still shows its upper levels open.
void CAppCtrlTree::ExpandSmallTree() {
  if (m_pModel == nullptr) return;
  std::deque<QModelIndex> waiting{m_pModel->index(0, 0)};
  int nodes = 1;
  while (!waiting.empty()) {
    const QModelIndex node = waiting.front();
    waiting.pop_front();
    if (!node.isValid() || (nodes >= kEagerTreeNodes && node.parent().isValid())) continue;
    m_pModel->fetchMore(node);
    const int children = m_pModel->rowCount(node);
    if (children == 0) continue;
    expand(node);
    nodes += children;
    for (int row = 0; row < children; ++row) {
      const QModelIndex child = m_pModel->index(row, 0, node);
      if (m_pModel->hasChildren(child)) waiting.push_back(child);
    }
  }
}

CAppParam* CAppCtrlTree::GetParam(const QModelIndex& item) const { return CAppParamGroupModel::ParamOf(item); }

void CAppCtrlTree::SelectItem(const QModelIndex& item) { setCurrentIndex(item); }

QModelIndex CAppCtrlTree::FindItem(const CAppParam* param) const {
  return m_pModel != nullptr ? m_pModel->IndexOf(param) : QModelIndex();
}

bool CAppCtrlTree::IsChildrenPending(const QModelIndex& item) const {
  return m_pModel != nullptr && m_pModel->canFetchMore(item);
}

void CAppCtrlTree::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (current.isValid()) Notify(1);
}

void CAppCtrlTree::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
    Notify(0);
    return;
  }
  QTreeView::keyPressEvent(event);
}

bool CAppCtrlTree::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    AppAnswerCtrlMessage(this, message);
    return true;
  }
  return QTreeView::event(event);
}
