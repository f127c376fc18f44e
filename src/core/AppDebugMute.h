// Keeps a helper thread of the library away from the process logger and the
// host's output (CAppLog), neither of which has a lock.
#pragma once

// While one lives, the traces and soft errors of the thread that made it
// are not passed on but noted: a helper that was about to output hands its
// work back to the calling thread, which then outputs the same, in order.
class CAppDebugMute {
public:
  CAppDebugMute();
  ~CAppDebugMute();
  CAppDebugMute(const CAppDebugMute&) = delete;
  CAppDebugMute& operator=(const CAppDebugMute&) = delete;

  // Whether the thread was about to output since the mute began.
  bool Stopped() const { return m_bStopped; }

  // For the outputs: true, the attempt noted, when the calling thread is muted.
  static bool Stop();

private:
  CAppDebugMute* m_pOuter;
  bool m_bStopped = false;
};
