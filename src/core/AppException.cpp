#include "appconfig/AppException.h"

#include <cstdarg>
#include "appconfig/AppDebug.h"
#include "appconfig/AppTools.h"

namespace {

std::string ReplaceBlankEscapes(const char* format) {
  // Built by appending rather than with std::string::replace, which trips a
  // false -Wrestrict in GCC 12.
  const std::string in = format != nullptr ? format : "";
  std::string out;
  out.reserve(in.size());
  for (std::size_t pos = 0; pos < in.size();) {
    if (in.compare(pos, 3, "%20") == 0) {
      out += ' ';
      pos += 3;
    } else {
      out += in[pos++];
    }
  }
  return out;
}

CAppException MakeException(const std::string& file, std::uint32_t line, const char* format,
                            va_list args) {
  CAppException e;
  const std::string text = CAppTools::FormatV(ReplaceBlankEscapes(format).c_str(), args);
  e.SetMessage("Exception >" + text);
  e.SetPrgLine(line);
  e.SetPrgFile(file);
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  log.Info(file.c_str(), line);
  log.Trace("%s", e.GetMessage().c_str());
  return e;
}

}  // namespace

CAppException::CAppException() : m_strMessage("Internal Error") {}

CAppException::CAppException(const std::string& file, std::uint32_t line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  *this = MakeException(file, line, format, args);
  va_end(args);
}

std::string AppSourceFileName(const char* sourcePath) {
  std::string name = sourcePath != nullptr ? sourcePath : "";
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

void AppThrowException(const char* sourcePath, std::uint32_t line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  CAppException e = MakeException(AppSourceFileName(sourcePath), line, format, args);
  va_end(args);
  throw e;
}
