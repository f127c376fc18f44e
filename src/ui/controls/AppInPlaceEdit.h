// The in-place side of an editor that a list lays over one of its cells:
// Tab moves to another cell, Enter commits and closes, Escape (or the wheel)
// restores the initial value and closes, and a focus loss the editor did not
// cause commits and closes. The editor says how to commit and how to restore.
#pragma once

#include <functional>

#include <Qt>

class CAppCtrlList;
class QEvent;
class QKeyEvent;
class QWidget;

class CAppInPlaceEdit {
public:
  // commit answers FALSE when the list refuses the value (the editor stays).
  CAppInPlaceEdit(QWidget* editor, std::function<int()> commit, std::function<void()> restore);

  void SetOn(bool on) { m_bOn = on; }
  bool IsOn() const { return m_bOn; }
  void SetList(CAppCtrlList* list) { m_pList = list; }
  CAppCtrlList* GetList() const { return m_pList; }
  // Once ended, a later commit has nothing more to do.
  bool IsEnded() const { return m_bEnded; }
  void MarkEnded() { m_bEnded = true; }

  // Tab and Shift+Tab belong to the list, not to the dialog's focus chain;
  // true when the event was taken.
  bool TakeTab(QEvent* event);
  // Enter and Escape; true when the key was taken.
  bool TakeKey(const QKeyEvent* key);
  // Makes the edited row the list's current one.
  void OnFocusIn();
  void OnFocusOut(Qt::FocusReason reason);
  // The wheel gives up; true when in place.
  bool TakeWheel();
  void Cancel();
  void Close();

private:
  QWidget* m_pEditor;
  std::function<int()> m_commit;
  std::function<void()> m_restore;
  CAppCtrlList* m_pList = nullptr;
  bool m_bOn = false;
  bool m_bEnding = false;
  bool m_bEnded = false;
};
