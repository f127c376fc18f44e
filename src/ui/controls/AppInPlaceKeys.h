// Keys shared by the in-place editors of a list cell.
#pragma once

#include <QKeyEvent>

// Tab or Shift+Tab (Backtab), which move an in-place editor to another cell.
inline bool AppIsInPlaceTab(const QKeyEvent* key) {
  return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}

inline bool AppIsInPlaceBacktab(const QKeyEvent* key) {
  return key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier) != 0;
}

inline bool AppIsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}
