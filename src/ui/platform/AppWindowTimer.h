// The one timer of a page or dialog (a QTimer the window owns), with the
// guard that keeps a slow tick from running inside itself.
#pragma once

class CAppLnkWnd;
class QObject;
class QTimer;

// Each tick runs the link's OnUserTimer, its exceptions reported; a tick
// that comes while one runs (a message box shown by the link) is skipped.
QTimer* AppMakeLinkTimer(QObject* owner, CAppLnkWnd* link);
