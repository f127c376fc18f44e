#include "appconfig/ui/AppCtrlTree.h"

#include <QKeyEvent>

#include "appconfig/AppParam.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "AppUiTrace.h"
#include "controls/AppCtrlMessages.h"
#include "platform/AppDialogTemplate.h"

CAppCtrlTree::CAppCtrlTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (current != nullptr && (m_pLink == nullptr || !m_pLink->IsFlagsEnable(CAppLnkWnd::LNK_ACTIVATING))) {
      Notify(1);
    }
  });
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { Notify(0); });
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (IsChildrenPending(item)) emit ChildrenWanted(item);
  });
}

namespace {
constexpr int kPendingRole = Qt::UserRole + 1;
}  // namespace

void CAppCtrlTree::SetChildrenPending(QTreeWidgetItem* item, bool pending) {
  if (item == nullptr) return;
  item->setData(0, kPendingRole, pending);
  item->setChildIndicatorPolicy(pending ? QTreeWidgetItem::ShowIndicator
                                        : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool CAppCtrlTree::IsChildrenPending(const QTreeWidgetItem* item) const {
  return item != nullptr && item->data(0, kPendingRole).toBool();
}

unsigned CAppCtrlTree::GetCtrlId() const { return AppGetDlgItemId(this); }

void CAppCtrlTree::Notify(int changeType) {
  m_nChangeType = changeType;
  emit Changed(static_cast<AppCtrlOperation::EN_OPERATION_TYPE>(changeType));
}

QTreeWidgetItem* CAppCtrlTree::InsertItem(CAppParam* param, QTreeWidgetItem* parent) {
  auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(param)));
  RefreshItem(item);
  return item;
}

void CAppCtrlTree::RefreshItem(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  CAppParam* param = GetParam(item);
  std::string name = m_pLink != nullptr ? m_pLink->OnUserGetNodeName(param) : std::string();
  if (name.empty() && param != nullptr) name = param->GetKey();
  item->setText(0, QString::fromStdString(name));
  const int icon = m_pLink != nullptr ? m_pLink->OnUserGetNodeIcon(param) : 0;
  if (icon >= 0 && static_cast<size_t>(icon) < m_images.size()) item->setIcon(0, m_images[static_cast<size_t>(icon)]);
}

CAppParam* CAppCtrlTree::GetParam(const QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<CAppParam*>(item->data(0, Qt::UserRole).value<quintptr>());
}

void CAppCtrlTree::SelectItem(QTreeWidgetItem* item) { setCurrentItem(item); }

void CAppCtrlTree::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem() != nullptr) {
    Notify(0);
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

bool CAppCtrlTree::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    AppAnswerCtrlMessage(this, message);
    return true;
  }
  return QTreeWidget::event(event);
}
