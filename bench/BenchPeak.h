// Peak resident memory of one piece of work, for the benchmarks whose
// targets are stated in memory.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

// A field of /proc/self/status, in KiB; 0 when absent.
inline long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  }
  return 0;
}

// Growth of the peak resident memory (KiB) while `work` runs once, measured
// in a child process whose peak is reset first; -1 when it could not be told.
inline long PeakGrowthKiB(const std::function<void()>& work) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to the current size
    const long before = StatusKiB("VmRSS");
    work();
    const long growth = StatusKiB("VmHWM") - before;
    if (write(pipefd[1], &growth, sizeof growth) != sizeof growth) _exit(1);
    _exit(0);
  }
  close(pipefd[1]);
  long growth = -1;
  if (read(pipefd[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return growth;
}
