#include "appconfig/AppDebug.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdarg>
#include <cstring>
#include <ctime>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppToolsBin.h"

namespace {
std::string NowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[128] = {};
  std::strftime(buffer, sizeof buffer, "%A, %B %d, %Y At %H:%M", &local);
  return buffer;
}
}  // namespace

CAppDebug::Logger::Logger() {
  SetPending(__FILE__, __LINE__);
  Record(CAppTools::Format("Start Logger %s", NowText().c_str()));
}

CAppDebug::Logger::~Logger() {
  m_bEnding = true;
  SetPending(__FILE__, __LINE__);
  Record(CAppTools::Format("End Logger %s", NowText().c_str()));
  // Runs at process exit: nothing may escape, and a lost tally is acceptable.
  try {
    (void)WriteFile();
  } catch (...) {
  }
}

bool CAppDebug::Logger::WriteFile() const {
  CAppToolsBin::File file(4096);
  if (m_strPath.empty() || !file.Open(m_strPath + "Log.txt", true)) return false;
  for (const Entry& e : m_entries) {
    std::string line;
    if (e.text.size() < 75) {
      line = CAppTools::Format("%-75s ** count:%04u %s \r\n", e.text.c_str(), e.count,
                               e.location.c_str());
    } else {
      line = CAppTools::Format("%s \r\n", e.text.c_str()) +
             CAppTools::Format("%-75s ** count:%04u %s \r\n", "", e.count, e.location.c_str());
    }
    file.WriteBytes(line.data(), static_cast<unsigned>(line.size()));
  }
  if (m_nOthers != 0) {
    const std::string line = CAppTools::Format("%-75s ** count:%04u \r\n", "Messages of other kinds, not kept",
                                               m_nOthers);
    file.WriteBytes(line.data(), static_cast<unsigned>(line.size()));
  }
  return true;
}

void CAppDebug::Logger::Info(const char* file, std::uint32_t line) {
  SetPending(file, line);
}

void CAppDebug::Logger::SetPending(const char* file, std::uint32_t line) {
  std::string name = file != nullptr ? file : "";
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  m_strPending = CAppTools::Format(" @ line:%04u file:", line) + name;
}

void CAppDebug::Logger::Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = CAppTools::FormatV(format, args);
  va_end(args);
  Record(text);
}

void CAppDebug::Logger::Warning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = CAppTools::FormatV(format, args);
  va_end(args);
  Record("WARNING: " + text);
}

void CAppDebug::Logger::Record(const std::string& text) {
  const std::string key = text + m_strPending;
  auto it = m_index.find(key);
  if (it == m_index.end()) {
    if (m_entries.size() >= kMaxEntries && !m_bEnding) {
      m_strPending.clear();
      ++m_nOthers;
      return;
    }
    it = m_index.emplace(key, m_entries.size()).first;
    m_entries.push_back(Entry{text, m_strPending, 0});
  }
  m_strPending.clear();
  m_entries[it->second].count += 1;
}

std::uint32_t CAppDebug::Logger::CountOf(const std::string& text) const {
  std::uint32_t total = 0;
  for (const Entry& e : m_entries) {
    if (e.text == text) total += e.count;
  }
  return total;
}

CAppDebug::Logger& CAppDebug::GetLogger() {
  static Logger logger;
  return logger;
}

std::uint64_t CAppDebug::GetMemoryUsed() { return 0; }

// --- CAppDebugTime ----------------------------------------------------------------

namespace {
using TickClock = std::chrono::steady_clock;
}  // namespace

CAppDebugTime::CAppDebugTime()
    : m_nFrequency(static_cast<std::uint64_t>(TickClock::period::den / TickClock::period::num)),
      m_entries(kMaxEntries, Entry{}) {}

CAppDebugTime::~CAppDebugTime() {
  try {
    (void)DisplayResult();
  } catch (...) {
  }
}

CAppDebugTime& CAppDebugTime::GetLog() {
  static CAppDebugTime log;
  return log;
}

std::uint32_t CAppDebugTime::Begin(const char* name, std::uint32_t line) {
  if (m_nCount >= kMaxEntries) return kMaxEntries - 1;
  Entry& e = m_entries[m_nCount];
  const char* text = name != nullptr ? name : "";
  const std::size_t length = std::min(std::strlen(text), kMaxName);
  std::memcpy(e.name, text, length);
  e.name[length] = 0;
  e.line = line;
  e.start = GetTick();
  e.duration = 0;
  return m_nCount++;
}

void CAppDebugTime::End(std::uint32_t entry) {
  if (entry >= kMaxEntries) return;
  Entry& e = m_entries[entry];
  e.duration = GetTick() - e.start;
}

std::uint64_t CAppDebugTime::GetTick() const {
  return static_cast<std::uint64_t>(TickClock::now().time_since_epoch().count());
}

std::uint64_t CAppDebugTime::TickToMicro(std::uint64_t ticks) const {
  // Split so that ticks * 1000000 cannot overflow.
  return ticks / m_nFrequency * 1000000u + ticks % m_nFrequency * 1000000u / m_nFrequency;
}

bool CAppDebugTime::DisplayResult() const {
  CAppToolsBin::File file(4096);
  if (m_strPath.empty() || !file.Open(m_strPath + "Time.txt", true)) return false;
  for (std::uint32_t i = 0; i < m_nCount; ++i) {
    const Entry& e = m_entries[i];
    const std::string line = CAppTools::Format("%-50s L%4u D:%-10" PRIu64 " us\r\n", e.name, e.line,
                                               TickToMicro(e.duration));
    file.WriteBytes(line.data(), static_cast<unsigned>(line.size()));
  }
  return true;
}
