// A single-line editor of free text, attached to a dialog item or created
// by a list to edit one cell in place.
#pragma once

#include <QLineEdit>

#include <memory>
#include <string>

class CAppCtrlList;
class CAppInPlaceEdit;

class CAppCtrlEditString : public QLineEdit {
  Q_OBJECT

public:
  explicit CAppCtrlEditString(unsigned maxChars = 0, QWidget* parent = nullptr);
  ~CAppCtrlEditString() override;

  // Shows the text with its line ends made CR LF (CAppTools::FormatReturn).
  void SetValue(const std::string& text);
  std::string GetValue() const { return text().toStdString(); }
  // With 1 Changed comes when the edit loses the focus, not at each
  // keystroke.
  void SetModeOnKillFocus(int onKillFocus) { m_bNotifyOnKillFocus = onKillFocus != 0; }

  void SetIsEditInPlace(int inPlace);
  int GetIsEditInPlace() const;
  void SetListCtrl(CAppCtrlList* list);
  void SetInPlaceDefaultText(const std::string& text) { m_strInitial = QString::fromStdString(text); }
  // Commits a changed text to the list; a refusal puts the initial text
  // back, selects it and answers FALSE.
  int EndCurrentEdit();
  unsigned GetCtrlId() const;

signals:
  // The user changed the text (not in place).
  void Changed();

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  void OnTextEdited();
  void ResizeEdit();

  bool m_bNotifyOnKillFocus = false;
  QString m_strInitial;
  std::unique_ptr<CAppInPlaceEdit> m_pInPlace;
};
