// A single-line editor of free text, attached to a dialog item or a list
// cell's editor (in place: it reports nothing and widens to its text).
#pragma once

#include <QLineEdit>

#include <string>

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

  void SetIsEditInPlace(int inPlace) { m_bInPlace = inPlace != 0; }
  int GetIsEditInPlace() const { return m_bInPlace ? 1 : 0; }
  unsigned GetCtrlId() const;

signals:
  // The user changed the text (not in place).
  void Changed();

protected:
  bool event(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void OnTextEdited();
  void ResizeEdit();

  bool m_bNotifyOnKillFocus = false;
  bool m_bInPlace = false;
};
