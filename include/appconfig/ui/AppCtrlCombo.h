// A drop-down list of items that carry a 32-bit number each, attached to a
// dialog item or a list cell's editor (in place: a choice is not signalled,
// its host reads it on commit).
//
// Between "wmCtrlBeginActivate" and "wmCtrlEndActivate" (while its page
// shows new values), SetCurrentItem only remembers the index; the end
// message selects it, so that a page's values appear at once.
#pragma once

#include <QComboBox>

#include <string>

class CAppCtrlCombo : public QComboBox {
  Q_OBJECT

public:
  explicit CAppCtrlCombo(QWidget* parent = nullptr);
  ~CAppCtrlCombo() override;

  unsigned GetCtrlId() const;

  // The new item's index.
  int AddItem(unsigned long data, const std::string& text);
  // The item data of item `index`, 0 when there is none.
  unsigned long GetValue(int index) const;
  void SetValue(unsigned long data, int index);
  void RemoveAll();
  // The remembered current index.
  int GetCurrentItem() const { return m_nCurrent; }
  // FALSE past the item count; while its page activates only remembers.
  int SetCurrentItem(int index);

  // In-place mode, for a list cell.
  void SetIsEditInPlace(int inPlace) { m_bInPlace = inPlace != 0; }
  int GetIsEditInPlace() const { return m_bInPlace ? 1 : 0; }

signals:
  // The user chose an item (not in place).
  void Changed();

protected:
  bool event(QEvent* event) override;

private:
  void OnActivated(int index);
  void SelectRememberedItem();

  bool m_bActivating = false;
  int m_nCurrent = -1;
  bool m_bInPlace = false;
};
