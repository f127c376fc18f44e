// The one timer of a page or dialog (QObject::startTimer), with the guard
// that keeps a slow tick from running inside itself.
#pragma once

class QObject;
class QTimerEvent;

class CAppWindowTimer {
public:
  explicit CAppWindowTimer(QObject* owner) : m_pOwner(owner) {}
  ~CAppWindowTimer() { Stop(); }
  CAppWindowTimer(const CAppWindowTimer&) = delete;
  CAppWindowTimer& operator=(const CAppWindowTimer&) = delete;

  // Stops a running timer, then starts one with that period.
  void Start(unsigned milliseconds);
  void Stop();

  // For the owner's timerEvent: runs `tick` when the event is this timer's
  // and no tick is running; true when the event was this timer's.
  template <class Tick>
  bool OnTimerEvent(const QTimerEvent* event, Tick tick) {
    if (!IsMine(event)) return false;
    if (m_bBusy) return true;
    m_bBusy = true;
    struct Clear {
      bool& busy;
      ~Clear() { busy = false; }
    } clear{m_bBusy};
    tick();
    return true;
  }

private:
  bool IsMine(const QTimerEvent* event) const;

  QObject* m_pOwner;
  int m_nTimerId = 0;
  bool m_bBusy = false;
};
