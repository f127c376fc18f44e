// The rows of a styled list and the delegate that draws them (internal).
#pragma once

#include <QStandardItemModel>
#include <QStyledItemDelegate>

#include <vector>

#include "appconfig/ui/ListCtrlStyled.h"

class CAppParam;

// Qt's item model, its cells answering the merged style of cell, row and
// column (a cell's style on its item, a row's on the row's first item, a
// column's on the column's header item, so that each travels with what it
// styles) and the icon of the row's image number.
class CListStyledModel : public QStandardItemModel {
public:
  enum Role { SelectedTextRole = Qt::UserRole + 1, SelectedBackgroundRole, DataRole, ImageRole, ParamRole,
              CellStyleRole, RowStyleRole };

  using QStandardItemModel::QStandardItemModel;

  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // In the user's locale, rows of equal text keeping their order.
  void sort(int column, Qt::SortOrder order) override;

  // The cell's item, made when the cell has none; null outside the table.
  QStandardItem* Cell(int row, int column);
  // Keeps `style` on `holder` under `role`; the cells from `first` to
  // `last` show it anew.
  void SetStyle(QStandardItem* holder, int role, const CListCellStyle& style, const QModelIndex& first,
                const QModelIndex& last);
  CListCellStyle Merged(int row, int column) const;
  void SetImages(const std::vector<QIcon>& images);

private:
  std::vector<QIcon> m_images;
};

// Draws the merged styles, with the list's highlight colours, and places
// an in-place editor over its cell.
class CListStyledDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void SetHighlightColors(const QColor& text, const QColor& background);

  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
  QColor m_highlightText;
  QColor m_highlight;
};
