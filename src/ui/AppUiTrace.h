// Window event handlers must not let an exception through to Qt: they trace
// it to the developer's log and go on.
#pragma once

// Traces the exception being handled; call it from a catch (...) block.
void AppTraceCurrentException() noexcept;
