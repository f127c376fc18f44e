// A drop-down list of items that carry a 32-bit number each, attached to a
// dialog item or created by a list to edit one cell in place.
//
// Between "wmCtrlBeginActivate" and "wmCtrlEndActivate" (while its page
// shows new values), SetCurrentItem only remembers the index; the end
// message selects it, so that a page's values appear at once.
#pragma once

#include <QComboBox>

#include <memory>
#include <string>
#include <vector>

class CAppCtrlList;
class CAppInPlaceEdit;

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
  void SetIsEditInPlace(int inPlace);
  int GetIsEditInPlace() const;
  void SetListCtrl(CAppCtrlList* list);
  // The texts, item data their index, and the current one selected.
  void FillInPlaceCombo(const std::vector<std::string>& texts, int current);
  // Commits a changed choice to the list; FALSE (choice restored) when the
  // list refuses it.
  int EndCurrentEdit();

signals:
  // The user chose an item (not in place).
  void Changed();

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void OnActivated(int index);
  void SelectRememberedItem();

  bool m_bActivating = false;
  int m_nCurrent = -1;
  int m_nInitial = -1;
  std::unique_ptr<CAppInPlaceEdit> m_pInPlace;
};
