// Window event handlers must not let an exception through to Qt: one that
// reached Qt's event loop would end the host's program.
#pragma once

#include <utility>

// Traces the exception being handled; call it from a catch (...) block.
void AppTraceCurrentException() noexcept;

// Reports the exception being handled as the library reports errors: its
// message goes to the host's output interface and to the log. Call it from
// a catch (...) block.
void AppReportCurrentException() noexcept;

// Runs `step` for a Qt slot, event override or timer that reaches link or
// host code: an exception is reported and goes no further (false then), so
// that the program and the sheet go on.
template <class Step>
bool AppGuard(Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (...) {
    AppReportCurrentException();
    return false;
  }
}
