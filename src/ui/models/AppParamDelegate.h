// The in-place editing of a group model's cells: the library's editor for
// the edited parameter's class (numeric, string, single choice, address),
// filled from the parameter and written back to it when committed.
//
// A commit runs the parameter's check rule ("SYS_VALID") and the editor's
// own check (a number in its bounds, an address whose fields are valid); a
// refusal puts the parameter's value back into the editor, which stays
// open. Tab, Enter, Escape and focus loss are Qt's; a focus taken by
// another window (a refusal's message box) keeps the editor.
#pragma once

#include "controls/ListStyledModel.h"

class CAppParam;

class CAppParamDelegate : public CListStyledDelegate {
public:
  enum EN_COMMIT { COMMIT_NONE, COMMIT_UNCHANGED, COMMIT_WRITTEN, COMMIT_REFUSED };

  using CListStyledDelegate::CListStyledDelegate;

  // Whether a parameter of this class has an in-place editor.
  static bool HasEditor(const CAppParam& param);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

  // What the last commit did; reading it forgets it.
  EN_COMMIT TakeCommit();

protected:
  bool eventFilter(QObject* object, QEvent* event) override;

private:
  mutable EN_COMMIT m_nCommit = COMMIT_NONE;
};
