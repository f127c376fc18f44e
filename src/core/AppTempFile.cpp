#include "AppTempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

int AppCreateTemporaryBeside(const std::string& target, std::string& temp) {
  temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return fd;
  // mkstemp makes the file private (0600).
  struct stat previous {};
  if (::stat(target.c_str(), &previous) == 0) {
    ::fchmod(fd, previous.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  return fd;
}
