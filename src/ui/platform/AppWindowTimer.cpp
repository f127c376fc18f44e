#include "platform/AppWindowTimer.h"

#include <QScopedValueRollback>
#include <QTimer>

#include "AppUiTrace.h"
#include "appconfig/ui/AppLnkWnd.h"

QTimer* AppMakeLinkTimer(QObject* owner, CAppLnkWnd* link) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, owner, [link, busy = false]() mutable {
    if (busy) return;
    const QScopedValueRollback<bool> ticking(busy, true);
    AppGuard([link] { link->OnUserTimer(); });
  });
  return timer;
}
