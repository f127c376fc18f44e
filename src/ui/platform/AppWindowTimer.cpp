#include "platform/AppWindowTimer.h"

#include <QObject>
#include <QTimerEvent>

void CAppWindowTimer::Start(unsigned milliseconds) {
  Stop();
  m_nTimerId = m_pOwner->startTimer(static_cast<int>(milliseconds));
}

void CAppWindowTimer::Stop() {
  if (m_nTimerId != 0) m_pOwner->killTimer(m_nTimerId);
  m_nTimerId = 0;
}

bool CAppWindowTimer::IsMine(const QTimerEvent* event) const {
  return event != nullptr && m_nTimerId != 0 && event->timerId() == m_nTimerId;
}
