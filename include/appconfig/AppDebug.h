// Developer diagnostics: the trace logger.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CAppDebug {
public:
  CAppDebug() = delete;

  // Counts trace messages by text and source location, in order of first
  // appearance. The tally keeps at most kMaxEntries distinct entries; the
  // messages of any further kind are only counted, and the file ends with
  // that count.
  class Logger {
  public:
    static constexpr std::size_t kMaxEntries = 1000;

    struct Entry {
      std::string text;
      std::string location;
      std::uint32_t count = 0;
    };

    Logger();
    // Records "End Logger ..." and writes path + "Log.txt" (see WriteFile);
    // a file that cannot be created loses the tally.
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

    // The folder of "Log.txt", ending in a separator ("/var/log/app/"), set
    // by the host or the user. Empty, as it starts: no file is written.
    void SetPath(const std::string& path) { m_strPath = path; }
    const std::string& GetPath() const { return m_strPath; }

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    // The count of a text at any location (for hosts and tests).
    std::uint32_t CountOf(const std::string& text) const;
    // How many messages came after the tally was full, of kinds it does not hold.
    std::uint32_t GetOthers() const { return m_nOthers; }

    // Writes the tally to path + "Log.txt" now; false when no path is set or
    // the file could not be created. The file is never reached through a
    // symbolic link, and only a plain file is replaced.
    bool WriteFile() const;

  protected:
    void Record(const std::string& text);

  private:
    void SetPending(const char* file, std::uint32_t line);

    std::vector<Entry> m_entries;
    std::unordered_map<std::string, std::size_t> m_index;
    std::string m_strPending;
    std::string m_strPath;
    std::uint32_t m_nOthers = 0;
    bool m_bEnding = false;  // the last entry is kept whatever the tally holds
  };

  // The process's logger, created on first use.
  static Logger& GetLogger();
  static std::uint64_t GetMemoryUsed();
};

// Named time measurements with a monotonic high-resolution counter; the
// process's instance writes path + "Time.txt" when the process ends.
class CAppDebugTime {
public:
  static constexpr std::uint32_t kMaxEntries = 3000;
  static constexpr std::size_t kMaxName = 49;

  CAppDebugTime();
  // Writes the results (DisplayResult).
  virtual ~CAppDebugTime();
  CAppDebugTime(const CAppDebugTime&) = delete;
  CAppDebugTime& operator=(const CAppDebugTime&) = delete;

  // The process's instance, created on first use.
  static CAppDebugTime& GetLog();

  // Starts a measurement in the next free entry and returns its number; a
  // full table stores nothing and returns kMaxEntries - 1.
  std::uint32_t Begin(const char* name, std::uint32_t line);
  // Ends a measurement; numbers outside the table are ignored.
  void End(std::uint32_t entry);
  std::uint64_t GetTick() const;
  std::uint64_t TickToMicro(std::uint64_t ticks) const;
  // The folder of "Time.txt", as the logger's; empty: no file is written.
  void SetPath(const std::string& path) { m_strPath = path; }
  const std::string& GetPath() const { return m_strPath; }
  std::uint32_t GetCount() const { return m_nCount; }
  // Writes path + "Time.txt": one line per used entry; false when no path is
  // set or the file could not be created (as the logger's file).
  bool DisplayResult() const;

private:
  struct Entry {
    char name[kMaxName + 1];
    std::uint32_t line;
    std::uint64_t start;
    std::uint64_t duration;
  };

  std::uint64_t m_nFrequency;
  std::vector<Entry> m_entries;
  std::uint32_t m_nCount = 0;
  std::string m_strPath;
};

// Records the caller's location, then the printf-style trace.
#define APP_TRACE(...)                                   \
  do {                                                   \
    CAppDebug::GetLogger().Info(__FILE__, __LINE__);     \
    CAppDebug::GetLogger().Trace(__VA_ARGS__);           \
  } while (0)
