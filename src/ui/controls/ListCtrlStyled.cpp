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

int CListStyledModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CListStyledModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

CListStyledModel::Row* CListStyledModel::RowAt(int row) {
  return row >= 0 && row < static_cast<int>(m_rows.size()) ? &m_rows[static_cast<size_t>(row)] : nullptr;
}

const CListStyledModel::Row* CListStyledModel::RowAt(int row) const {
  return const_cast<CListStyledModel*>(this)->RowAt(row);
}

QVariant CListStyledModel::data(const QModelIndex& index, int role) const {
  const Row* row = RowAt(index.row());
  if (row == nullptr || index.column() < 0) return {};
  const auto column = static_cast<size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return column < row->texts.size() ? row->texts[column] : QString();
    case Qt::DecorationRole:
      if (column == 0 && row->image >= 0 && row->image < static_cast<int>(m_images.size())) {
        return m_images[static_cast<size_t>(row->image)];
      }
      return {};
    default: break;
  }
  if (!m_bAnyStyle) return {};
  const CListCellStyle style = Merged(index.row(), index.column());
  switch (role) {
    case Qt::ForegroundRole: return style.text.isValid() ? QVariant(style.text) : QVariant();
    case Qt::BackgroundRole: return style.background.isValid() ? QVariant(style.background) : QVariant();
    case SelectedTextRole: return style.selectedText.isValid() ? QVariant(style.selectedText) : QVariant();
    case SelectedBackgroundRole:
      return style.selectedBackground.isValid() ? QVariant(style.selectedBackground) : QVariant();
    case Qt::FontRole: {
      if (!style.hasFont && style.flags == 0) return {};
      QFont font = style.font;
      if (style.flags & CListCellStyle::STYLE_BOLD) font.setBold(true);
      if (style.flags & CListCellStyle::STYLE_ITALIC) font.setItalic(true);
      if (style.flags & CListCellStyle::STYLE_UNDERLINE) font.setUnderline(true);
      return font;
    }
    default: return {};
  }
}

QVariant CListStyledModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < static_cast<int>(m_titles.size())) {
    return m_titles[static_cast<size_t>(section)];
  }
  return {};
}

Qt::ItemFlags CListStyledModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int CListStyledModel::InsertColumn(int column, const QString& title) {
  column = std::clamp(column, 0, static_cast<int>(m_titles.size()));
  beginInsertColumns(QModelIndex(), column, column);
  m_titles.insert(m_titles.begin() + column, title);
  m_columnStyles.insert(m_columnStyles.begin() + column, std::nullopt);
  for (Row& row : m_rows) {
    if (static_cast<size_t>(column) <= row.texts.size()) row.texts.insert(row.texts.begin() + column, QString());
    if (row.styles && static_cast<size_t>(column) <= row.styles->cells.size()) {
      row.styles->cells.insert(row.styles->cells.begin() + column, std::nullopt);
    }
  }
  endInsertColumns();
  return column;
}

bool CListStyledModel::RemoveColumn(int column) {
  if (column < 0 || column >= static_cast<int>(m_titles.size())) return false;
  beginRemoveColumns(QModelIndex(), column, column);
  m_titles.erase(m_titles.begin() + column);
  m_columnStyles.erase(m_columnStyles.begin() + column);
  for (Row& row : m_rows) {
    if (static_cast<size_t>(column) < row.texts.size()) row.texts.erase(row.texts.begin() + column);
    if (row.styles && static_cast<size_t>(column) < row.styles->cells.size()) {
      row.styles->cells.erase(row.styles->cells.begin() + column);
    }
  }
  endRemoveColumns();
  return true;
}

int CListStyledModel::InsertRow(int row, Row value) {
  row = std::clamp(row, 0, static_cast<int>(m_rows.size()));
  beginInsertRows(QModelIndex(), row, row);
  m_rows.insert(m_rows.begin() + row, std::move(value));
  endInsertRows();
  return row;
}

bool CListStyledModel::RemoveRow(int row) {
  if (RowAt(row) == nullptr) return false;
  beginRemoveRows(QModelIndex(), row, row);
  m_rows.erase(m_rows.begin() + row);
  endRemoveRows();
  return true;
}

void CListStyledModel::Clear() {
  beginResetModel();
  m_rows.clear();
  endResetModel();
}

bool CListStyledModel::SetText(int row, int column, const QString& text) {
  Row* target = RowAt(row);
  if (target == nullptr || column < 0 || column >= columnCount()) return false;
  if (target->texts.size() <= static_cast<size_t>(column)) target->texts.resize(static_cast<size_t>(column) + 1);
  target->texts[static_cast<size_t>(column)] = text;
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
  return true;
}

void CListStyledModel::RowChanged(int row) {
  emit dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
}

void CListStyledModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged();
  const auto key = static_cast<size_t>(std::max(column, 0));
  std::stable_sort(m_rows.begin(), m_rows.end(), [key, order](const Row& a, const Row& b) {
    const QString left = key < a.texts.size() ? a.texts[key] : QString();
    const QString right = key < b.texts.size() ? b.texts[key] : QString();
    const int compared = QString::localeAwareCompare(left, right);
    return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
  });
  emit layoutChanged();
}

CListStyledModel::Row::Styles& CListStyledModel::StylesOf(Row& row) {
  if (!row.styles) row.styles = std::make_unique<Row::Styles>();
  return *row.styles;
}

void CListStyledModel::SetCellStyle(int row, int column, const CListCellStyle& style) {
  Row* target = RowAt(row);
  if (target == nullptr || column < 0 || column >= columnCount()) return;
  Row::Styles& styles = StylesOf(*target);
  if (styles.cells.size() <= static_cast<size_t>(column)) styles.cells.resize(static_cast<size_t>(column) + 1);
  styles.cells[static_cast<size_t>(column)] = style;
  m_bAnyStyle = true;
  RowChanged(row);
}

void CListStyledModel::SetRowStyle(int row, const CListCellStyle& style) {
  Row* target = RowAt(row);
  if (target == nullptr) return;
  StylesOf(*target).row = style;
  m_bAnyStyle = true;
  RowChanged(row);
}

void CListStyledModel::SetColumnStyle(int column, const CListCellStyle& style) {
  if (column < 0 || column >= columnCount()) return;
  m_columnStyles[static_cast<size_t>(column)] = style;
  m_bAnyStyle = true;
  if (!m_rows.empty()) emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

CListCellStyle CListStyledModel::Merged(int row, int column) const {
  CListCellStyle merged;
  if (column >= 0 && static_cast<size_t>(column) < m_columnStyles.size() && m_columnStyles[static_cast<size_t>(column)]) {
    merged = *m_columnStyles[static_cast<size_t>(column)];
  }
  const Row* target = RowAt(row);
  if (target == nullptr || !target->styles) return merged;
  if (target->styles->row) merged = Overlay(merged, *target->styles->row);
  const auto& cells = target->styles->cells;
  if (column >= 0 && static_cast<size_t>(column) < cells.size() && cells[static_cast<size_t>(column)]) {
    merged = Overlay(merged, *cells[static_cast<size_t>(column)]);
  }
  return merged;
}

void CListStyledModel::SetImages(const std::vector<QIcon>& images) {
  m_images = images;
  if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
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

int CListCtrlStyled::InsertColumn(int column, const QString& title) { return m_pModel->InsertColumn(column, title); }
int CListCtrlStyled::GetColumnCount() const { return model()->columnCount(); }
bool CListCtrlStyled::DeleteColumn(int column) { return m_pModel->RemoveColumn(column); }

int CListCtrlStyled::InsertItem(int row, const QString& label, int image, quintptr data) {
  CListStyledModel::Row value;
  value.texts.push_back(label);
  value.image = image;
  value.data = data;
  return m_pModel->InsertRow(row, std::move(value));
}

bool CListCtrlStyled::SetItemText(int row, int column, const QString& text) {
  return m_pModel->SetText(row, column, text);
}

QString CListCtrlStyled::GetItemText(int row, int column) const {
  return model()->index(row, column).data(Qt::DisplayRole).toString();
}

bool CListCtrlStyled::SetItemData(int row, quintptr data) {
  CListStyledModel::Row* target = m_pModel->RowAt(row);
  if (target == nullptr) return false;
  target->data = data;
  return true;
}

quintptr CListCtrlStyled::GetItemData(int row) const {
  const CListStyledModel::Row* target = m_pModel->RowAt(row);
  return target != nullptr ? target->data : 0;
}

bool CListCtrlStyled::SetItemImage(int row, int image) {
  CListStyledModel::Row* target = m_pModel->RowAt(row);
  if (target == nullptr) return false;
  target->image = image;
  m_pModel->RowChanged(row);
  return true;
}

int CListCtrlStyled::GetItemImage(int row) const {
  const CListStyledModel::Row* target = m_pModel->RowAt(row);
  return target != nullptr ? target->image : -1;
}

bool CListCtrlStyled::DeleteItem(int row) { return m_pModel->RemoveRow(row); }
void CListCtrlStyled::DeleteAllItems() { m_pModel->Clear(); }
int CListCtrlStyled::GetItemCount() const { return model()->rowCount(); }

void CListCtrlStyled::SortItems(int column, bool ascending) {
  m_pModel->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CListCtrlStyled::SetCellStyle(int row, int column, const CListCellStyle& style) {
  m_pModel->SetCellStyle(row, column, style);
}
void CListCtrlStyled::SetRowStyle(int row, const CListCellStyle& style) { m_pModel->SetRowStyle(row, style); }
void CListCtrlStyled::SetColumnStyle(int column, const CListCellStyle& style) {
  m_pModel->SetColumnStyle(column, style);
}
CListCellStyle CListCtrlStyled::GetMergedStyle(int row, int column) const { return m_pModel->Merged(row, column); }

void CListCtrlStyled::SetHighlightColors(const QColor& text, const QColor& background) {
  m_pDelegate->SetHighlightColors(text, background);
  viewport()->update();
}

void CListCtrlStyled::SetImages(const std::vector<QIcon>& images) { m_pModel->SetImages(images); }
