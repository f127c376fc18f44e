// The host's output channel for soft data errors.
#pragma once

#include <string>

// Implemented by the host; receives each finished soft-error line.
class COutputInfoInterface {
public:
  virtual ~COutputInfoInterface() = default;
  // The library always passes 0 as `param`; its meaning is the host's.
  virtual void OutputInfo(const std::string& text, unsigned long param) = 0;
};

// Process-wide context of the soft errors. Never instantiated.
class CAppLog {
public:
  CAppLog() = delete;

  static void SetFileName(const std::string& fileName) { m_strFileName = fileName; }
  static void SetParentName(const std::string& parentName) { m_strParentName = parentName; }
  // Registers (or, with null, unregisters) the host's output interface; not owned.
  static void SetPtr(COutputInfoInterface* output) { m_ptrOutputInfoInterface = output; }
  static COutputInfoInterface* GetPtr() { return m_ptrOutputInfoInterface; }

  // Sends "Erreur: " [+ "Fichier <file>. "] [+ "<parent>. "] + text to the
  // output interface; does nothing without one. Never throws.
  static void DisplayErrorMessage(const std::string& text) noexcept;

  // Fills the resource string `id` printf-style and displays it. Arguments
  // must match the string's conversions (pass `unsigned long` for "%lu").
  static void DisplayResourceMessage(unsigned id, ...) noexcept;

private:
  static void WriteInfos(std::string& line);

  static std::string m_strFileName;
  static std::string m_strParentName;
  static COutputInfoInterface* m_ptrOutputInfoInterface;
};
