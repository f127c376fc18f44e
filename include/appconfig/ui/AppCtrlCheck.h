// A check box of a link page; a click tells the link.
#pragma once

#include <QCheckBox>

class CAppLnkWnd;

class CAppCtrlCheck : public QCheckBox {
  Q_OBJECT

public:
  explicit CAppCtrlCheck(QWidget* parent = nullptr);

  void SetLink(CAppLnkWnd* link) { m_pLink = link; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  unsigned GetCtrlId() const;
  // The check state: 0 unchecked, 1 checked, 2 indeterminate.
  unsigned GetValue() const;
  void SetValue(unsigned state);

protected:
  bool event(QEvent* event) override;

private:
  CAppLnkWnd* m_pLink = nullptr;
};
