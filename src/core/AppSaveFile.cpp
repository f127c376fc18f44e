#include "AppSaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "appconfig/AppException.h"

namespace {

// The most links followed, as the system itself allows.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at (the name itself when it is no
// link); false with errno set when the chain loops or cannot be read.
bool ResolveLinks(const std::string& file, std::string& target) {
  target = file;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT;  // a new file
    if (!S_ISLNK(info.st_mode)) return true;
    std::vector<char> text(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) >= text.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string pointed(text.data(), static_cast<std::size_t>(n));
    target = pointed.starts_with('/') ? pointed : FolderOf(target) + "/" + pointed;
  }
  errno = ELOOP;
  return false;
}

// A suffix unlikely to be taken: the process, the time and the attempt.
std::string Suffix(unsigned attempt) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  char text[48];
  std::snprintf(text, sizeof text, ".%x.%llx.%x", static_cast<unsigned>(::getpid()),
                static_cast<unsigned long long>(now), attempt);
  return text;
}

// A new file beside `target`, open for writing; -1 with errno set.
int CreateTemporaryBeside(const std::string& target, mode_t mode, std::string& temp) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp = target + Suffix(attempt);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The owner first: a change of owner may clear the set-id bits of the mode.
// An owner the user may not give is left as the system made it, but the
// group is still kept where the user belongs to it.
void KeepOwnerAndMode(int fd, const struct stat& previous) {
  if (::fchown(fd, previous.st_uid, previous.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), previous.st_gid);
  (void)::fchmod(fd, previous.st_mode & 07777);
}

// The rename is on disk too once the folder is flushed; a folder that
// cannot be flushed still holds the new file.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

[[noreturn]] void Refuse(const std::string& file, const std::string& reason) {
  APP_THROW("File not create : %s (%s)", file.c_str(), reason.c_str());
}

}  // namespace

void AppSaveFile(const std::string& file, std::string_view bytes) {
  std::string target;
  if (file.empty()) Refuse(file, "no file name");
  if (!ResolveLinks(file, target)) Refuse(file, std::strerror(errno));

  struct stat previous {};
  const bool exists = ::stat(target.c_str(), &previous) == 0;
  if (!exists && errno != ENOENT) Refuse(file, std::strerror(errno));
  if (exists) {
    if (!S_ISREG(previous.st_mode)) Refuse(file, "not a regular file");
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) Refuse(file, std::strerror(errno));
  }

  // Private while it is written; the usual mode of a new file otherwise.
  std::string temp;
  const int fd = CreateTemporaryBeside(target, exists ? 0600 : 0666, temp);
  if (fd < 0) {
    Refuse(file, std::string("no temporary file can be made in its folder: ") + std::strerror(errno));
  }
  int error = 0;
  if (!WriteAll(fd, bytes)) error = errno;
  if (error == 0 && exists) KeepOwnerAndMode(fd, previous);
  // On disk, mode included, before the rename: a crash leaves the old file or the new one.
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    APP_THROW("File not written : %s (%s)", file.c_str(), std::strerror(error));
  }
  SyncFolder(FolderOf(target));
}
