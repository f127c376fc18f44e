// The redraw switch of a window (WM_SETREDRAW in the design): controls turn
// drawing off while a page fills them and on again when it is done.
#pragma once

#include <QWidget>

inline void AppSetRedraw(QWidget* window, bool redraw) {
  if (window != nullptr) window->setUpdatesEnabled(redraw);
}
