#include "AppTempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace {

// A suffix unlikely to be taken: the process, the time and the attempt.
std::string Suffix(unsigned attempt) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  char text[48];
  std::snprintf(text, sizeof text, ".%x.%llx.%x", static_cast<unsigned>(::getpid()),
                static_cast<unsigned long long>(now), attempt);
  return text;
}

}  // namespace

int AppCreateTemporaryBeside(const std::string& target, std::string& temp) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp = target + Suffix(attempt);
    // Created with the usual mode of a new file: the system applies the
    // process's umask.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    struct stat previous {};
    if (fd >= 0 && ::stat(target.c_str(), &previous) == 0) ::fchmod(fd, previous.st_mode & 07777);
    return fd;
  }
  return -1;
}
