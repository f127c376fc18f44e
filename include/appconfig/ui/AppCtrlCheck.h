// A check box of a link page; a click is its clicked() signal.
#pragma once

#include <QCheckBox>

class CAppCtrlCheck : public QCheckBox {
  Q_OBJECT

public:
  explicit CAppCtrlCheck(QWidget* parent = nullptr);

  unsigned GetCtrlId() const;
  // The check state: 0 unchecked, 1 checked, 2 indeterminate.
  unsigned GetValue() const;
  void SetValue(unsigned state);

protected:
  bool event(QEvent* event) override;
};
