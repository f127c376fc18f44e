// The list of a link page: rows in columns, in select, check or disable
// mode. A link shows a parameter group in it as a view of the group's
// model, whose value cells edit in place; a host may also fill rows by
// hand (the texts and data of each row its own).
//
// User actions are signalled (Changed) with a change kind, also kept for
// GetOnChangeType: 1 a row was selected, 0 the properties action (double
// click, Space, the menu's first command), 2 a cell's editor is about to
// open (the host may refuse it), 3 an editor's value was written to its
// parameter.
#pragma once

#include <QPointer>

#include <string>
#include <vector>

#include "appconfig/ui/AppCtrlOperation.h"
#include "appconfig/ui/ListCtrlStyled.h"

class CAppParam;
class CAppParamDelegate;
class CAppParamGroupModel;
class QAbstractButton;
class QMenu;

class CAppCtrlList : public CListCtrlStyled {
  Q_OBJECT

public:
  // Menu commands.
  enum : unsigned { ID_PROPERTIES = 32773, ID_EDIT = 32774, ID_OPTIONS_BUTTON = 2000, ID_INPLACE_EDITOR = 2001 };

  explicit CAppCtrlList(int withHeader = 1, QWidget* parent = nullptr);
  ~CAppCtrlList() override;

  unsigned GetCtrlId() const;

  // --- Rows and columns --------------------------------------------------------------
  // Shows `model` (the list owns it from then on) instead of the rows
  // filled by hand; null goes back to those, emptied.
  void SetGroupModel(CAppParamGroupModel* model);
  CAppParamGroupModel* GetGroupModel() const { return m_pGroupModel; }
  int AddColumn(const std::string& title);
  int AddItem(unsigned long data, const std::string& label, int image = -1);
  void SetText(const std::string& text, int row, int column);
  void SetValue(unsigned long data, int row);
  // The row's data (-1: the current row); 0 when there is none.
  unsigned long GetValue(int row = -1) const;
  // A row that stands for a parameter, and the parameter of a row (-1: the
  // current row); null when the row stands for none.
  int AddParamItem(CAppParam* param, const std::string& label, int image = -1);
  CAppParam* GetParam(int row = -1) const;
  void SetImageIndex(unsigned image, int row);
  void SetImageList(const std::vector<QIcon>& images);
  void RemoveItem(int row);
  void RemoveAll();
  int GetCount() const { return GetItemCount(); }
  int GetCurrentItem() const { return m_nCurrent; }
  // Selects and focuses the row; refused past the last row.
  void SetCurrentItem(unsigned row);
  // The row after (before) `row`, -1 when none.
  int GetNextItem(int row) const;
  int GetPreviousItem(int row) const;

  // --- Modes ---------------------------------------------------------------------------------
  void SetModeEditInPlace(int editInPlace);
  int GetModeEditInPlace() const { return m_bEditInPlace ? 1 : 0; }
  void SetModeSelect();
  // Rows show a check image; the properties action toggles it.
  void SetModeCheck();
  int IsModeCheck() const { return m_bCheck ? 1 : 0; }
  void SetModeDisable(int disable);
  int IsReadOnly() const { return m_bReadOnly ? 1 : 0; }
  void SetOnChangeType(int type) { m_nChangeType = type; }
  int GetOnChangeType() const { return m_nChangeType; }

  // --- In-place editing ---------------------------------------------------------------------
  // Opens the cell's editor, when the group model lets it edit and the host
  // agrees (change kind 2); TRUE when it opened. A column that does not
  // exist hands the focus to the page's previous (row below 1) or next
  // control and answers TRUE. Tab in an editor commits and moves to the
  // next (Shift: previous) editable cell; past the last row the focus goes
  // to the next control, before the first to the previous one.
  int EditSubItem(int row, int column);
  // Closes the open editor, if any, without committing.
  void OnExitInPlaceControl();
  QWidget* GetInPlaceEditor() const { return m_pEditor; }
  int GetInPlaceRow() const { return m_nInPlaceRow; }
  int GetInPlaceColumn() const { return m_nInPlaceColumn; }

  // Scrolls so that the column shows; FALSE when there is no such column.
  int EnsureColumnVisible(int column, int partialOk = 0);
  // The row under `point` (viewport coordinates), -1 when none; `column`
  // receives the column.
  int HitTestEx(const QPoint& point, int* column) const;

  // --- Menu -------------------------------------------------------------------------------------
  // The menu at `globalPos`; runs the chosen command.
  void PopupMenu(const QPoint& globalPos);
  // Runs a menu command (ID_PROPERTIES, ID_EDIT).
  void OnMenuCommand(unsigned command);
  // The menu, built on first use.
  QMenu* GetMenu();
  // The page's options button (dialog item 2000): a click opens the menu
  // below it.
  void SetOptionsButton(QAbstractButton* button);

  // The properties action: in check mode toggles the current row, then
  // tells the link (change kind 0).
  void OnProperties();

signals:
  // A user action; the host answers in `*answer`, left TRUE when nobody
  // listens. FALSE refuses an in-place edit or a committed text.
  void Changed(AppCtrlOperation::EN_OPERATION_TYPE operation, int* answer);
  // The focus is to leave the list for the page's previous (or next)
  // control: Tab past the first (last) cell, a column out of reach.
  void LeaveFocus(bool previous);

protected:
  bool event(QEvent* event) override;
  void commitData(QWidget* editor) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
  int Notify(int changeType);
  void UpdateColours();
  void OnEndActivate();
  int FirstValueColumn() const;
  void EditNextCell(bool previous);

  // Between "wmCtrlBeginActivate" and "wmCtrlEndActivate": its page shows
  // new values, which are no user selection.
  bool m_bActivating = false;
  int m_nCurrent = -1;
  bool m_bCheck = false;
  bool m_bSelect = true;
  bool m_bDisable = false;
  bool m_bReadOnly = false;
  bool m_bEditInPlace = false;
  int m_nChangeType = 0;
  int m_nInPlaceRow = -1;
  int m_nInPlaceColumn = -1;
  QPointer<QWidget> m_pEditor;
  CAppParamDelegate* m_pDelegate;
  // What the editor's last commit did, for the close that follows it.
  int m_nLastCommit = 0;
  CAppParamGroupModel* m_pGroupModel = nullptr;
  std::vector<QIcon> m_images;
  QMenu* m_pMenu = nullptr;
};
