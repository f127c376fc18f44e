// Developer diagnostics: the trace logger.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CAppDebug {
public:
  CAppDebug() = delete;

  // Counts trace messages by text and source location, in order of first
  // appearance.
  class Logger {
  public:
    struct Entry {
      std::string text;
      std::string location;
      std::uint32_t count = 0;
    };

    Logger();
    virtual ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Sets the location of the next recorded message:
    // " @ line:%04u file:" + the file name after its last "\" or "/".
    void Info(const char* file, std::uint32_t line);
    void Trace(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void Warning(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    void SetPath(const std::string& path) { m_strPath = path; }
    const std::string& GetPath() const { return m_strPath; }

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    // The count of a text at any location (for hosts and tests).
    std::uint32_t CountOf(const std::string& text) const;

  protected:
    void Record(const std::string& text);

  private:
    std::vector<Entry> m_entries;
    std::unordered_map<std::string, std::size_t> m_index;
    std::string m_strPending;
    std::string m_strPath;
  };

  // The process's logger, created on first use.
  static Logger& GetLogger();
  static std::uint64_t GetMemoryUsed();
};

// Records the caller's location, then the printf-style trace.
#define APP_TRACE(...)                                   \
  do {                                                   \
    CAppDebug::GetLogger().Info(__FILE__, __LINE__);     \
    CAppDebug::GetLogger().Trace(__VA_ARGS__);           \
  } while (0)
