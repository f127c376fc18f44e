#include "models/AppParamGroupModel.h"

#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppRuleMultiColumns.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "AppUiTrace.h"
#include "models/AppParamDelegate.h"

namespace {

// A list row's icon number: the parameter's image, "RO" when read-only,
// "EX" for the second view; -1 with resources that have no images.
int ListIconOf(CAppResources* resources, CAppParam* param) {
  if (resources == nullptr) return -1;
  const char* variant = param->IsFlagsEnable(PF_READONLY) ? "RO" : param->IsFlagsEnable(PF_VIEW_2) ? "EX" : "";
  try {
    return static_cast<int>(resources->GetImageIndex(param, variant));
  } catch (const CAppException&) {
    return -1;
  }
}

}  // namespace

CAppParamGroupModel::CAppParamGroupModel(CAppLnkWnd& link, CAppParam& top, EN_MODE mode,
                                         CAppRuleMultiColumns* rule, std::unique_ptr<CAppRuleFilter> filter,
                                         QObject* parent)
    : QAbstractItemModel(parent), m_link(link), m_top(top), m_nMode(mode), m_pRule(rule),
      m_pFilter(std::move(filter)) {
  if (mode != MODE_TREE) APP_CHECK_POINTER(top.GetGroup());
  if (mode == MODE_LIST) {
    std::vector<std::string> titles;
    if (rule != nullptr) {
      rule->AddColumns(titles);
    } else {
      link.DefaultNameColumn(titles);
    }
    for (const std::string& title : titles) m_titles.push_back(QString::fromStdString(title));
  }
  Build();
}

CAppParamGroupModel::~CAppParamGroupModel() = default;

void CAppParamGroupModel::SetFlatTop(CAppParam* param, const std::string& text) {
  m_pFlatTop = param;
  m_flatText = QString::fromStdString(text);
  Refill();
}

void CAppParamGroupModel::SetImages(const std::vector<QIcon>& images) {
  m_images = images;
  if (m_root.children.empty()) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void CAppParamGroupModel::Refill() {
  beginResetModel();
  Build();
  endResetModel();
}

void CAppParamGroupModel::Build() {
  m_root.children.clear();
  m_root.fetched = true;
  if (m_nMode == MODE_LIST) {
    for (CAppParam* child : ShownChildren(m_root)) AddChild(m_root, child);
    return;
  }
  Node* top = AddChild(m_root, m_nMode == MODE_FLAT && m_pFlatTop != nullptr ? m_pFlatTop : &m_top);
  if (m_nMode == MODE_FLAT) {
    AddLeavesFlat(*top, *m_top.GetGroup());
    top->fetched = true;
  }
}

CAppParamGroupModel::Node* CAppParamGroupModel::AddChild(Node& parent, CAppParam* param) {
  auto node = std::make_unique<Node>();
  node->param = param;
  node->parent = &parent;
  node->row = static_cast<int>(parent.children.size());
  node->level = &parent == &m_root ? 0 : parent.level + 1;
  node->fetched = param == nullptr || param->GetGroup() == nullptr;
  parent.children.push_back(std::move(node));
  return parent.children.back().get();
}

bool CAppParamGroupModel::Shows(CAppParam* param) const { return m_link.CanShowParam(param, m_pFilter.get()) != 0; }

// A tree node's children: sub-groups above the maximum level and leaves;
// a list's rows: every child shown.
std::vector<CAppParam*> CAppParamGroupModel::ShownChildren(const Node& node) const {
  std::vector<CAppParam*> shown;
  CAppParamGroup* group = &node == &m_root ? m_top.GetGroup() : node.param->GetGroup();
  if (group == nullptr) return shown;
  const bool cutGroups = m_nMode == MODE_TREE && m_nMaxLevel != 0 && node.level + 1 >= m_nMaxLevel;
  shown.reserve(group->GetCount());
  for (POSITION pos = group->GetStartPosition(); pos != nullptr;) {
    CAppParam* child = group->GetNextPtr(pos);
    APP_CHECK_POINTER(child);
    if (Shows(child) && !(cutGroups && child->GetGroup() != nullptr)) shown.push_back(child);
  }
  return shown;
}

void CAppParamGroupModel::AddLeavesFlat(Node& node, CAppParamGroup& group) {
  for (POSITION pos = group.GetStartPosition(); pos != nullptr;) {
    CAppParam* child = group.GetNextPtr(pos);
    APP_CHECK_POINTER(child);
    if (!Shows(child)) continue;
    if (CAppParamGroup* sub = child->GetGroup()) {
      AddLeavesFlat(node, *sub);
    } else {
      AddChild(node, child);
    }
  }
}

CAppParam* CAppParamGroupModel::ParamOf(const QModelIndex& index) {
  if (qobject_cast<const CAppParamGroupModel*>(index.model()) == nullptr) return nullptr;
  return static_cast<const Node*>(index.internalPointer())->param;
}

CAppParamGroupModel::Node* CAppParamGroupModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : const_cast<Node*>(&m_root);
}

// Depth first through the nodes built so far: a walk of the properties
// looks up one node a sheet, a cost no user sees.
const CAppParamGroupModel::Node* CAppParamGroupModel::FindNode(const Node& below, const CAppParam* param) {
  for (const auto& child : below.children) {
    if (child->param == param) return child.get();
    if (const Node* found = FindNode(*child, param)) return found;
  }
  return nullptr;
}

QModelIndex CAppParamGroupModel::IndexOf(const CAppParam* param, int column) const {
  const Node* node = param != nullptr ? FindNode(m_root, param) : nullptr;
  return node != nullptr ? createIndex(node->row, column, node) : QModelIndex();
}

QModelIndex CAppParamGroupModel::AddTextNode(const QModelIndex& parent, const QString& text, const QIcon& icon) {
  fetchMore(parent);
  Node* node = NodeOf(parent);
  const int row = static_cast<int>(node->children.size());
  beginInsertRows(parent, row, row);
  Node* added = AddChild(*node, nullptr);
  added->text = std::make_unique<std::pair<QString, QIcon>>(text, icon);
  endInsertRows();
  return createIndex(row, 0, added);
}

void CAppParamGroupModel::RowChanged(const QModelIndex& index) {
  emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
}

QModelIndex CAppParamGroupModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  return createIndex(row, column, NodeOf(parent)->children[static_cast<size_t>(row)].get());
}

QModelIndex CAppParamGroupModel::parent(const QModelIndex& index) const {
  if (!index.isValid() || m_nMode == MODE_LIST) return {};
  const Node* up = NodeOf(index)->parent;
  return up == &m_root ? QModelIndex() : createIndex(up->row, 0, up);
}

int CAppParamGroupModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(NodeOf(parent)->children.size());
}

int CAppParamGroupModel::columnCount(const QModelIndex& /*parent*/) const {
  return m_nMode == MODE_LIST ? static_cast<int>(m_titles.size()) : 1;
}

bool CAppParamGroupModel::hasChildren(const QModelIndex& parent) const {
  if (parent.column() > 0) return false;
  const Node* node = NodeOf(parent);
  return node->fetched ? !node->children.empty() : true;
}

bool CAppParamGroupModel::canFetchMore(const QModelIndex& parent) const {
  return parent.isValid() && parent.column() == 0 && !NodeOf(parent)->fetched;
}

void CAppParamGroupModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  Node* node = NodeOf(parent);
  node->fetched = true;
  const std::vector<CAppParam*> shown = ShownChildren(*node);
  if (shown.empty()) return;
  beginInsertRows(parent, 0, static_cast<int>(shown.size()) - 1);
  for (CAppParam* child : shown) AddChild(*node, child);
  endInsertRows();
}

std::vector<std::string> CAppParamGroupModel::RowTexts(CAppParam* param) const {
  std::vector<std::string> texts;
  if (m_pRule != nullptr) {
    m_pRule->ShowParam(param, texts);
  } else {
    m_link.DefaultValueColumn(texts, param);
  }
  return texts;
}

QString CAppParamGroupModel::NodeText(const Node& node) const {
  if (node.param == m_pFlatTop && m_nMode == MODE_FLAT && !m_flatText.isEmpty()) return m_flatText;
  std::string name = m_link.OnUserGetNodeName(node.param);
  if (name.empty()) name = node.param->GetKey();
  return QString::fromStdString(name);
}

QVariant CAppParamGroupModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node& node = *NodeOf(index);
  if (node.param == nullptr) {
    if (role == Qt::DisplayRole) return node.text->first;
    return role == Qt::DecorationRole ? QVariant(node.text->second) : QVariant();
  }
  try {
    if (role == Qt::DisplayRole) {
      if (m_nMode != MODE_LIST) return NodeText(node);
      const std::vector<std::string> texts = RowTexts(node.param);
      const auto column = static_cast<size_t>(index.column());
      return column < texts.size() ? QString::fromStdString(texts[column]) : QString();
    }
    if (role == Qt::DecorationRole && index.column() == 0) {
      const int icon = m_nMode == MODE_LIST ? ListIconOf(m_link.GetResources(), node.param)
                                            : m_link.OnUserGetNodeIcon(node.param);
      if (icon >= 0 && static_cast<size_t>(icon) < m_images.size()) return m_images[static_cast<size_t>(icon)];
    }
  } catch (...) {
    // Drawing goes on with an empty cell; the host hears of its failure.
    AppReportCurrentException();
  }
  return {};
}

QVariant CAppParamGroupModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0) return {};
  return static_cast<size_t>(section) < m_titles.size() ? m_titles[static_cast<size_t>(section)] : QVariant();
}

Qt::ItemFlags CAppParamGroupModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (m_nMode != MODE_LIST) return flags;
  flags |= Qt::ItemNeverHasChildren;
  // Asked for every cell drawn: only what is cheap to tell. Whether the
  // cell's parameter edits is decided when its editor is asked for.
  if (!m_link.IsFlagsEnable(CAppLnkWnd::LNK_READONLY) &&
      (m_pRule != nullptr || index.column() == m_link.GetInPlaceColumn())) {
    flags |= Qt::ItemIsEditable;
  }
  return flags;
}

CAppParam* CAppParamGroupModel::EditedParam(const QModelIndex& index) const {
  CAppParam* row = ParamOf(index);
  if (row == nullptr || m_nMode != MODE_LIST || m_link.IsFlagsEnable(CAppLnkWnd::LNK_READONLY)) return nullptr;
  try {
    CAppParam* param = row;
    CAppParam* custom = nullptr;
    if (m_link.GetCustomInPlaceParam(row, custom) != 0 && custom != nullptr) param = custom;
    if (m_pRule != nullptr) {
      // The rule names the parameter of each column it lets edit.
      param = m_pRule->GetParamToEdit(param, index.column());
    } else if (index.column() != m_link.GetInPlaceColumn()) {
      param = nullptr;
    }
    if (param == nullptr || param->IsFlagsEnable(PF_READONLY) || !CAppParamDelegate::HasEditor(*param)) return nullptr;
    return m_link.IsEditable(param) != 0 ? param : nullptr;
  } catch (...) {
    AppTraceCurrentException();
    return nullptr;
  }
}
