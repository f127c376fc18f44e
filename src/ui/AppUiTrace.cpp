#include "AppUiTrace.h"

#include <exception>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"

void AppTraceCurrentException() noexcept {
  try {
    try {
      throw;
    } catch (const CAppException& e) {
      APP_TRACE("%s", e.GetMessage().c_str());
    } catch (const std::exception& e) {
      APP_TRACE("%s", e.what());
    } catch (...) {
      APP_TRACE("Unknown exception");
    }
  } catch (...) {
    // The log itself failed: nothing more to do.
  }
}
