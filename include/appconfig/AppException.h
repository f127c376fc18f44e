// The one exception type of the library.
#pragma once

#include <cstdint>
#include <string>

class CAppException {
public:
  // Message "Internal Error", line 0, no file.
  CAppException();
  // Builds the message from a printf-style format: every "%20" of the format
  // becomes a blank first, the filled text is prefixed with "Exception >", and
  // the debug logger receives the location and then the message.
  // (No printf format check: "%20" is not a printf conversion.)
  CAppException(const std::string& file, std::uint32_t line, const char* format, ...);

  const std::string& GetMessage() const { return m_strMessage; }
  void SetMessage(const std::string& message) { m_strMessage = message; }
  std::uint32_t GetPrgLine() const { return m_nPrgLine; }
  void SetPrgLine(std::uint32_t line) { m_nPrgLine = line; }
  const std::string& GetPrgFile() const { return m_strPrgFile; }
  void SetPrgFile(const std::string& file) { m_strPrgFile = file; }

private:
  std::string m_strMessage;
  std::uint32_t m_nPrgLine = 0;
  std::string m_strPrgFile;
};

// The shared throw routine: the exception carries the source file name without
// directory and extension ("AppParamGroup") and the line of the throw.
[[noreturn]] void AppThrowException(const char* sourcePath, std::uint32_t line,
                                    const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Reduces a source path to its bare name: "src/core/AppParam.cpp" -> "AppParam".
std::string AppSourceFileName(const char* sourcePath);

#define APP_THROW(...) AppThrowException(__FILE__, __LINE__, __VA_ARGS__)

// The test every public operation makes on its pointer arguments.
#define APP_CHECK_POINTER(p) \
  do {                       \
    if ((p) == nullptr) APP_THROW("Bad pointer"); \
  } while (0)
