// A report-style list with styles per cell, row and column.
//
// The rows live in a table model and a tree view without branches shows
// them, asking only for the rows on screen. A derived list may show
// another model instead; the counts and texts then are that model's, and
// the row and style setters have nothing to act on. A style (text and background
// colours, style flags and font, each also for the selected state) may be
// set on a cell, a row or a column; when drawn, a cell's style wins over its
// row's, which wins over its column's. Styles travel with their rows through
// inserts, removals and sorts.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QTreeView>

#include <cstdint>
#include <vector>

class CListStyledModel;
class CListStyledDelegate;

struct CListCellStyle {
  enum : unsigned { STYLE_BOLD = 1, STYLE_ITALIC = 2, STYLE_UNDERLINE = 4 };
  QColor text;        // invalid: not set
  QColor background;  // invalid: not set
  unsigned flags = 0;
  QFont font;
  bool hasFont = false;
  QColor selectedText;
  QColor selectedBackground;
};

class CListCtrlStyled : public QTreeView {
  Q_OBJECT

public:
  explicit CListCtrlStyled(QWidget* parent = nullptr);
  ~CListCtrlStyled() override;

  // --- Columns -------------------------------------------------------------------
  int InsertColumn(int column, const QString& title);
  int GetColumnCount() const;
  bool DeleteColumn(int column);

  // --- Rows ------------------------------------------------------------------------
  // Inserts a row (at the end when `row` is past it); its index.
  int InsertItem(int row, const QString& label, int image = -1, quintptr data = 0);
  bool SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  bool SetItemData(int row, quintptr data);
  quintptr GetItemData(int row) const;
  bool SetItemImage(int row, int image);
  int GetItemImage(int row) const;
  bool DeleteItem(int row);
  void DeleteAllItems();
  int GetItemCount() const;
  void SortItems(int column, bool ascending);

  // --- Styles ------------------------------------------------------------------------
  void SetCellStyle(int row, int column, const CListCellStyle& style);
  void SetRowStyle(int row, const CListCellStyle& style);
  void SetColumnStyle(int column, const CListCellStyle& style);
  // The style a cell is drawn with (cell over row over column).
  CListCellStyle GetMergedStyle(int row, int column) const;
  void SetHighlightColors(const QColor& text, const QColor& background);

  // The images rows refer to by index.
  void SetImages(const std::vector<QIcon>& images);

protected:
  // With a delegate of the derived list's own (the list owns it).
  CListCtrlStyled(QWidget* parent, CListStyledDelegate* delegate);
  CListStyledModel* StyledModel() const { return m_pModel; }
  CListStyledDelegate* StyledDelegate() const { return m_pDelegate; }

private:
  CListStyledModel* m_pModel;
  CListStyledDelegate* m_pDelegate;
};
