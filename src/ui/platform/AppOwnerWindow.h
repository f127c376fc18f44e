// The window new sheets, dialogs and message boxes belong to: the modal
// window on top (a sheet opened from a sheet), else the active window.
#pragma once

#include <QApplication>
#include <QWidget>

inline QWidget* AppOwnerWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}
