// A single-line editor of one number in a choosable base, with an optional
// base button that steps through the valid bases.
//
// Attached to a dialog item, it checks the text as the user types: an
// unreadable text shows the error colours, keeps the last accepted value and
// reports the error (ErrorReported), for the link to lock the sheet's
// buttons until the text reads again. In place (a list cell's editor) it
// reports nothing and shows no error colours: its host reads it on commit;
// the base button then converts the typed value, and the edit widens to
// its text.
#pragma once

#include <QLineEdit>

#include <string>
#include <utility>
#include <vector>

#include "appconfig/AppTools.h"
#include "appconfig/AppVariant.h"

class QToolButton;

class CAppCtrlEditNumeric : public QLineEdit {
  Q_OBJECT

public:
  explicit CAppCtrlEditNumeric(int withBaseButton = 0, unsigned maxChars = 255,
                               QWidget* parent = nullptr);
  ~CAppCtrlEditNumeric() override;

  // Clears the error, keeps the value and takes its type, then shows it.
  void SetValue(const CAppVariant& value);
  // The last accepted value.
  CAppVariant GetValue() const { return m_value; }
  // Reads the text now in the current base as a value of the control's type;
  // sets or clears the error (an empty variant on error).
  CAppVariant GetCtrlValue();
  // Selects the base with that code among the valid ones (else keeps the
  // current one) and shows the value in it.
  void SetBase(CAppTools::EN_BASE base);
  CAppTools::EN_BASE GetBase() const;
  // The valid bases from a mask of EN_BASE bits, in the order d h b o E; the
  // base button is enabled with two bases or more. 0 changes nothing.
  void SetValideBase(int mask);
  int IsError() const { return m_bError ? 1 : 0; }
  // While set, text changes do not count as user input.
  void SetLock(int lock) { m_bLock = lock != 0; }

  // In-place mode, for a list cell.
  void SetIsEditInPlace(int inPlace);
  int GetIsEditInPlace() const { return m_bInPlace ? 1 : 0; }

  // The base button; null without one.
  QToolButton* GetBaseButton() const { return m_pBaseButton; }
  unsigned GetCtrlId() const;

signals:
  // The user changed the value (not in place). The host answers in
  // `*answer`, left TRUE when nobody listens; FALSE marks the value in error.
  void Changed(int* answer);
  // After each user change: whether the text is now in error.
  void ErrorReported(bool error);

protected:
  bool event(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void Refresh();
  void WriteLocked(const QString& text);
  void OnTextChanged();
  void OnBaseClicked();
  void PlaceBaseButton();
  void UpdateBaseButton();
  void UpdateColours();
  void ResizeEdit();

  std::vector<std::pair<std::uint32_t, char>> m_bases;
  unsigned m_nBase = 0;  // index into m_bases
  CAppVariant m_value;
  CAppTools::Type m_type;
  bool m_bError = false;
  unsigned m_nMaxChars;
  bool m_bWithBaseButton;
  QToolButton* m_pBaseButton = nullptr;
  bool m_bLock = false;
  bool m_bNotifyOnChange = true;
  bool m_bInPlace = false;
};
