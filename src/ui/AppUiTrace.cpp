#include "AppUiTrace.h"

#include <exception>
#include <string>

#include "appconfig/AppDebug.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"

namespace {

// The message of the exception being handled.
std::string CurrentMessage() {
  try {
    throw;
  } catch (const CAppException& e) {
    return e.GetMessage();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace

void AppTraceCurrentException() noexcept {
  try {
    APP_TRACE("%s", CurrentMessage().c_str());
  } catch (...) {
    // The log itself failed: nothing more to do.
  }
}

void AppReportCurrentException() noexcept {
  try {
    const std::string message = CurrentMessage();
    APP_TRACE("%s", message.c_str());
    CAppLog::DisplayErrorMessage(message);
  } catch (...) {
    // The log itself failed: nothing more to do.
  }
}
