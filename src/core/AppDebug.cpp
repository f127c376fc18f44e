#include "appconfig/AppDebug.h"

#include <cstdarg>
#include <ctime>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"

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
  Info(__FILE__, __LINE__);
  Record(CAppTools::Format("Start Logger %s", NowText().c_str()));
}

CAppDebug::Logger::~Logger() = default;

void CAppDebug::Logger::Info(const char* file, std::uint32_t line) {
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
