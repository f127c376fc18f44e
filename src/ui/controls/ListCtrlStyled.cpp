#include "appconfig/ui/ListCtrlStyled.h"

#include <QHeaderView>

#include <algorithm>

#include "controls/ListStyledModel.h"

namespace {

// `over` where it sets a field, else `base`.
CListCellStyle Overlay(const CListCellStyle& base, const CListCellStyle& over) {
  CListCellStyle merged = base;
  if (over.text.isValid()) merged.text = over.text;
  if (over.background.isValid()) merged.background = over.background;
  if (over.selectedText.isValid()) merged.selectedText = over.selectedText;
  if (over.selectedBackground.isValid()) merged.selectedBackground = over.selectedBackground;
  merged.flags |= over.flags;
  if (over.hasFont) {
    merged.font = over.font;
    merged.hasFont = true;
  }
  return merged;
}

}  // namespace

// --- Model -----------------------------------------------------------------------------------

QStandardItem* CListStyledModel::Cell(int row, int column) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
  if (item(row, column) == nullptr) setItem(row, column, new QStandardItem);
  return item(row, column);
}

void CListStyledModel::SetStyle(QStandardItem* holder, int role, const CListCellStyle& style,
                                const QModelIndex& first, const QModelIndex& last) {
  if (holder == nullptr) return;
  holder->setData(QVariant::fromValue(style), role);
  // A row's or a column's style shows in every cell of it.
  if (first.isValid()) emit dataChanged(first, last);
}

CListCellStyle CListStyledModel::Merged(int row, int column) const {
  CListCellStyle merged = headerData(column, Qt::Horizontal, CellStyleRole).value<CListCellStyle>();
  const QModelIndex cell = index(row, column);
  for (const QVariant& over : {cell.siblingAtColumn(0).data(RowStyleRole), cell.data(CellStyleRole)}) {
    if (over.isValid()) merged = Overlay(merged, over.value<CListCellStyle>());
  }
  return merged;
}

QVariant CListStyledModel::data(const QModelIndex& index, int role) const {
  switch (role) {
    case Qt::DecorationRole: {
      const QVariant image = index.siblingAtColumn(0).data(ImageRole);
      const int number = image.isValid() ? image.toInt() : -1;
      if (index.column() != 0 || number < 0 || number >= static_cast<int>(m_images.size())) return {};
      return m_images[static_cast<size_t>(number)];
    }
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole:
    case SelectedTextRole:
    case SelectedBackgroundRole: break;
    default: return QStandardItemModel::data(index, role);
  }
  const CListCellStyle style = Merged(index.row(), index.column());
  const auto colour = [](const QColor& value) { return value.isValid() ? QVariant(value) : QVariant(); };
  switch (role) {
    case Qt::ForegroundRole: return colour(style.text);
    case Qt::BackgroundRole: return colour(style.background);
    case SelectedTextRole: return colour(style.selectedText);
    case SelectedBackgroundRole: return colour(style.selectedBackground);
    default: {
      if (!style.hasFont && style.flags == 0) return {};
      QFont font = style.font;
      if (style.flags & CListCellStyle::STYLE_BOLD) font.setBold(true);
      if (style.flags & CListCellStyle::STYLE_ITALIC) font.setItalic(true);
      if (style.flags & CListCellStyle::STYLE_UNDERLINE) font.setUnderline(true);
      return font;
    }
  }
}

Qt::ItemFlags CListStyledModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CListStyledModel::sort(int column, Qt::SortOrder order) {
  std::vector<QList<QStandardItem*>> rows;
  while (rowCount() > 0) rows.push_back(takeRow(0));
  const auto text = [column](const QList<QStandardItem*>& row) {
    return column >= 0 && column < row.size() && row[column] != nullptr ? row[column]->text() : QString();
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
    const int compared = QString::localeAwareCompare(text(a), text(b));
    return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
  });
  for (const QList<QStandardItem*>& row : rows) appendRow(row);
}

void CListStyledModel::SetImages(const std::vector<QIcon>& images) {
  m_images = images;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

// --- Delegate ----------------------------------------------------------------------------------

void CListStyledDelegate::SetHighlightColors(const QColor& text, const QColor& background) {
  m_highlightText = text;
  m_highlight = background;
}

void CListStyledDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (!(option->state & QStyle::State_Selected)) return;
  QColor text = index.data(CListStyledModel::SelectedTextRole).value<QColor>();
  QColor back = index.data(CListStyledModel::SelectedBackgroundRole).value<QColor>();
  if (!text.isValid()) text = m_highlightText;
  if (!back.isValid()) back = m_highlight;
  if (text.isValid()) option->palette.setColor(QPalette::HighlightedText, text);
  if (back.isValid()) option->palette.setColor(QPalette::Highlight, back);
}

void CListStyledDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex& /*index*/) const {
  // Over the cell, one pixel more above and below; once placed, an editor
  // that widened itself to its text keeps that width.
  QRect rect = option.rect.adjusted(0, -1, 0, 1);
  rect.setWidth(std::max(rect.width(), editor->minimumSizeHint().width()));
  if (editor->property("appPlaced").toBool()) rect.setWidth(std::max(rect.width(), editor->width()));
  editor->setProperty("appPlaced", true);
  editor->setGeometry(rect);
}

// --- The list ----------------------------------------------------------------------------------

CListCtrlStyled::CListCtrlStyled(QWidget* parent) : CListCtrlStyled(parent, new CListStyledDelegate) {}

CListCtrlStyled::CListCtrlStyled(QWidget* parent, CListStyledDelegate* delegate)
    : QTreeView(parent), m_pModel(new CListStyledModel(this)), m_pDelegate(delegate) {
  m_pDelegate->setParent(this);
  setModel(m_pModel);
  setItemDelegate(m_pDelegate);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
}

CListCtrlStyled::~CListCtrlStyled() = default;

int CListCtrlStyled::InsertColumn(int column, const QString& title) {
  column = std::clamp(column, 0, m_pModel->columnCount());
  QList<QStandardItem*> cells;
  for (int row = 0; row < m_pModel->rowCount(); ++row) cells.append(new QStandardItem);
  m_pModel->insertColumn(column, cells);
  m_pModel->setHorizontalHeaderItem(column, new QStandardItem(title));
  // A row's style stays on its first cell.
  for (int row = 0; column == 0 && row < m_pModel->rowCount(); ++row) {
    QStandardItem* moved = m_pModel->item(row, 1);
    if (moved == nullptr) continue;
    m_pModel->item(row, 0)->setData(moved->data(CListStyledModel::RowStyleRole), CListStyledModel::RowStyleRole);
    moved->setData(QVariant(), CListStyledModel::RowStyleRole);
  }
  return column;
}

int CListCtrlStyled::GetColumnCount() const { return model()->columnCount(); }

bool CListCtrlStyled::DeleteColumn(int column) {
  return column >= 0 && column < m_pModel->columnCount() && m_pModel->removeColumn(column);
}

int CListCtrlStyled::InsertItem(int row, const QString& label, int image, quintptr data) {
  row = std::clamp(row, 0, m_pModel->rowCount());
  QList<QStandardItem*> cells{new QStandardItem(label)};
  for (int column = 1; column < m_pModel->columnCount(); ++column) cells.append(new QStandardItem);
  cells[0]->setData(QVariant::fromValue(data), CListStyledModel::DataRole);
  cells[0]->setData(image, CListStyledModel::ImageRole);
  m_pModel->insertRow(row, cells);
  return row;
}

bool CListCtrlStyled::SetItemText(int row, int column, const QString& text) {
  QStandardItem* cell = m_pModel->Cell(row, column);
  if (cell != nullptr) cell->setText(text);
  return cell != nullptr;
}

QString CListCtrlStyled::GetItemText(int row, int column) const {
  return model()->index(row, column).data(Qt::DisplayRole).toString();
}

bool CListCtrlStyled::SetItemData(int row, quintptr data) {
  QStandardItem* cell = m_pModel->Cell(row, 0);
  if (cell != nullptr) cell->setData(QVariant::fromValue(data), CListStyledModel::DataRole);
  return cell != nullptr;
}

quintptr CListCtrlStyled::GetItemData(int row) const {
  return m_pModel->index(row, 0).data(CListStyledModel::DataRole).value<quintptr>();
}

bool CListCtrlStyled::SetItemImage(int row, int image) {
  QStandardItem* cell = m_pModel->Cell(row, 0);
  if (cell != nullptr) cell->setData(image, CListStyledModel::ImageRole);
  return cell != nullptr;
}

int CListCtrlStyled::GetItemImage(int row) const {
  const QVariant image = m_pModel->index(row, 0).data(CListStyledModel::ImageRole);
  return image.isValid() ? image.toInt() : -1;
}

bool CListCtrlStyled::DeleteItem(int row) { return row >= 0 && row < m_pModel->rowCount() && m_pModel->removeRow(row); }
void CListCtrlStyled::DeleteAllItems() { m_pModel->removeRows(0, m_pModel->rowCount()); }
int CListCtrlStyled::GetItemCount() const { return model()->rowCount(); }

void CListCtrlStyled::SortItems(int column, bool ascending) {
  m_pModel->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CListCtrlStyled::SetCellStyle(int row, int column, const CListCellStyle& style) {
  const QModelIndex cell = m_pModel->index(row, column);
  m_pModel->SetStyle(m_pModel->Cell(row, column), CListStyledModel::CellStyleRole, style, cell, cell);
}

void CListCtrlStyled::SetRowStyle(int row, const CListCellStyle& style) {
  m_pModel->SetStyle(m_pModel->Cell(row, 0), CListStyledModel::RowStyleRole, style, m_pModel->index(row, 0),
                     m_pModel->index(row, m_pModel->columnCount() - 1));
}

void CListCtrlStyled::SetColumnStyle(int column, const CListCellStyle& style) {
  if (column < 0 || column >= m_pModel->columnCount()) return;
  m_pModel->SetStyle(m_pModel->horizontalHeaderItem(column), CListStyledModel::CellStyleRole, style,
                     m_pModel->index(0, column), m_pModel->index(m_pModel->rowCount() - 1, column));
}

CListCellStyle CListCtrlStyled::GetMergedStyle(int row, int column) const { return m_pModel->Merged(row, column); }

void CListCtrlStyled::SetHighlightColors(const QColor& text, const QColor& background) {
  m_pDelegate->SetHighlightColors(text, background);
  viewport()->update();
}

void CListCtrlStyled::SetImages(const std::vector<QIcon>& images) { m_pModel->SetImages(images); }
