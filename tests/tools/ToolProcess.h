// Runs the appconfig tool as a process, its output kept in files.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TempFolder.h"

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline ToolRun Tool(const std::vector<std::string>& args) {
  static TempFolder scratch;
  std::string command = Quote(APPCONFIG_TOOL);
  for (const std::string& a : args) command += " " + Quote(a);
  const std::string out = scratch.File("stdout.txt"), err = scratch.File("stderr.txt");
  const int status = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::ReadAll(out), TempFolder::ReadAll(err)};
}
