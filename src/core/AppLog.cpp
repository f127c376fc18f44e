#include "appconfig/AppLog.h"

#include <cstdarg>

#include "appconfig/AppTools.h"

namespace {
constexpr unsigned kIdError = 13690;       // "Erreur: "
constexpr unsigned kIdFileName = 13693;    // "Fichier %s. "
constexpr unsigned kIdParentName = 13694;  // "%s. "

std::string FillOne(unsigned id, const std::string& value) {
  return CAppTools::Format(CAppTools::LoadString(id).c_str(), value.c_str());
}
}  // namespace

std::string CAppLog::m_strFileName;
std::string CAppLog::m_strParentName;
COutputInfoInterface* CAppLog::m_ptrOutputInfoInterface = nullptr;

void CAppLog::WriteInfos(std::string& line) {
  if (!m_strFileName.empty()) line += FillOne(kIdFileName, m_strFileName);
  if (!m_strParentName.empty()) line += FillOne(kIdParentName, m_strParentName);
}

void CAppLog::DisplayErrorMessage(const std::string& text) noexcept {
  if (m_ptrOutputInfoInterface == nullptr) return;
  try {
    std::string line = CAppTools::LoadString(kIdError);
    WriteInfos(line);
    line += text;
    m_ptrOutputInfoInterface->OutputInfo(line, 0);
  } catch (...) {
    // A soft error must never stop the work, whatever the host does.
  }
}

void CAppLog::DisplayResourceMessage(unsigned id, ...) noexcept {
  if (m_ptrOutputInfoInterface == nullptr) return;
  try {
    const std::string format = CAppTools::LoadString(id);
    va_list args;
    va_start(args, id);
    const std::string text = CAppTools::FormatV(format.c_str(), args);
    va_end(args);
    DisplayErrorMessage(text);
  } catch (...) {
  }
}
