// The rows of a styled list and the delegate that draws them (internal).
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>
#include <vector>

#include "appconfig/ui/ListCtrlStyled.h"

class CAppParam;

class CListStyledModel : public QAbstractTableModel {
public:
  enum Role { SelectedTextRole = Qt::UserRole + 1, SelectedBackgroundRole };

  struct Row {
    std::vector<QString> texts;
    quintptr data = 0;
    CAppParam* param = nullptr;  // the parameter the row stands for, if any
    int image = -1;
    // Null until a style is set on the row or one of its cells.
    struct Styles {
      std::optional<CListCellStyle> row;
      std::vector<std::optional<CListCellStyle>> cells;
    };
    std::unique_ptr<Styles> styles;
  };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void sort(int column, Qt::SortOrder order) override;

  int InsertColumn(int column, const QString& title);
  bool RemoveColumn(int column);
  int InsertRow(int row, Row value);
  bool RemoveRow(int row);
  void Clear();
  Row* RowAt(int row);
  const Row* RowAt(int row) const;
  bool SetText(int row, int column, const QString& text);
  void RowChanged(int row);

  void SetCellStyle(int row, int column, const CListCellStyle& style);
  void SetRowStyle(int row, const CListCellStyle& style);
  void SetColumnStyle(int column, const CListCellStyle& style);
  CListCellStyle Merged(int row, int column) const;
  void SetImages(const std::vector<QIcon>& images);

private:
  Row::Styles& StylesOf(Row& row);

  std::vector<QString> m_titles;
  std::vector<std::optional<CListCellStyle>> m_columnStyles;
  std::vector<Row> m_rows;
  std::vector<QIcon> m_images;
  bool m_bAnyStyle = false;
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
