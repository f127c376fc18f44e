#include "appconfig/AppToolsBin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

// --- Stream --------------------------------------------------------------------

void CAppToolsBin::Stream::Write(const std::string& text) {
  if (text.size() >= std::numeric_limits<unsigned>::max()) APP_THROW("Bad file size");
  _Write(text.c_str(), static_cast<unsigned>(text.size() + 1));
}

char CAppToolsBin::Stream::GetChar() {
  char c = 0;
  return _Read(&c, 1) == 1 ? c : 0;
}

void CAppToolsBin::Stream::Read(std::string& text) {
  text.clear();
  // Byte by byte through the stream's own reads (a file's are buffered),
  // never asking for the position or length per byte: a string cut off by
  // the end of the stream still counts.
  char c = 0;
  while (_Read(&c, 1) == 1 && c != 0) text.push_back(c);
}

void CAppToolsBin::Stream::ReadBytes(void* buffer, unsigned count) {
  APP_CHECK_POINTER(buffer);
  if (_Read(buffer, count) != count) APP_THROW("Bad file size");
}

void CAppToolsBin::Stream::WriteBytes(const void* buffer, unsigned count) {
  APP_CHECK_POINTER(buffer);
  _Write(buffer, count);
}

// --- Memory --------------------------------------------------------------------

void CAppToolsBin::Memory::RemoveAll() {
  m_data.clear();
  m_data.shrink_to_fit();
  m_nPosition = 0;
}

void CAppToolsBin::Memory::Assign(std::vector<std::uint8_t>&& data) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max()) APP_THROW("Bad Position");
  m_data = std::move(data);
  m_nPosition = static_cast<std::uint32_t>(m_data.size());
}

void CAppToolsBin::Memory::Seek(unsigned long position) {
  if (position > m_data.size()) APP_THROW("Bad Position");
  m_nPosition = static_cast<std::uint32_t>(position);
}

unsigned CAppToolsBin::Memory::_Read(void* buffer, unsigned count) {
  if (m_data.capacity() == 0) APP_THROW("Bad pointer");
  APP_CHECK_POINTER(buffer);
  const std::size_t left = m_data.size() - std::min<std::size_t>(m_nPosition, m_data.size());
  const unsigned n = static_cast<unsigned>(std::min<std::size_t>(count, left));
  if (n != 0) std::memcpy(buffer, m_data.data() + m_nPosition, n);
  m_nPosition += n;
  return n;
}

void CAppToolsBin::Memory::_Write(const void* buffer, unsigned count) {
  if (count == 0) return;
  APP_CHECK_POINTER(buffer);
  const std::uint64_t end = std::uint64_t{m_nPosition} + count;
  if (end > std::numeric_limits<std::uint32_t>::max()) APP_THROW("Bad Position");
  if (m_data.size() < end) {
    // Storage by whole steps; the vector still doubles underneath, so long
    // streams of small writes stay linear.
    const std::uint64_t steps = (end + m_nGrowBy - 1) / m_nGrowBy;
    if (m_data.capacity() < end) {
      m_data.reserve(static_cast<std::size_t>(
          std::max<std::uint64_t>(steps * m_nGrowBy, std::uint64_t{m_data.capacity()} * 2)));
    }
    m_data.resize(static_cast<std::size_t>(end));
  }
  std::memcpy(m_data.data() + m_nPosition, buffer, count);
  m_nPosition = static_cast<std::uint32_t>(end);
}

// --- File ----------------------------------------------------------------------

// A failing system call: the library's exception, naming the file.
void CAppToolsBin::File::ThrowSystemError(const char* what) const {
  APP_THROW("File error : %s (%s: %s)", m_strName.c_str(), what, std::strerror(errno));
}

CAppToolsBin::File::File(unsigned bufferSize) : m_buffer(bufferSize != 0 ? bufferSize : 1) {}

CAppToolsBin::File::~File() { Close(); }

bool CAppToolsBin::File::Open(const std::string& name, bool write) {
  if (IsOpen()) APP_THROW("File already open");
  m_nFill = 0;
  m_nIndex = 0;
  // POSIX has no share modes: a reader cannot keep other processes from
  // writing, only open read-only itself. A writer never follows a link and
  // truncates nothing but a plain file (not blocking on a pipe to find out):
  // a name in a shared folder must not make it write someone else's file.
  const int flags = write ? (O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK) : O_RDONLY;
  do {
    m_fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  } while (m_fd < 0 && errno == EINTR);
  struct stat info {};
  if (write && m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(m_fd, 0) != 0)) {
    ::close(m_fd);
    m_fd = -1;
  }
  m_bWrite = write;
  if (m_fd >= 0) m_strName = name;
  return m_fd >= 0;
}

void CAppToolsBin::File::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_nFill = 0;
  m_nIndex = 0;
}

void CAppToolsBin::File::CheckOpen() const {
  if (!IsOpen()) APP_THROW("File not open");
}

void CAppToolsBin::File::DropReadAhead() {
  const std::uint32_t unread = m_nFill - m_nIndex;
  if (unread != 0 && ::lseek(m_fd, -static_cast<off_t>(unread), SEEK_CUR) < 0) {
    ThrowSystemError("seek");
  }
  m_nFill = 0;
  m_nIndex = 0;
}

void CAppToolsBin::File::RemoveAll() {
  if (!IsOpen()) return;
  m_nFill = 0;
  m_nIndex = 0;
  if (::ftruncate(m_fd, 0) != 0) ThrowSystemError("truncate");
  if (::lseek(m_fd, 0, SEEK_SET) < 0) ThrowSystemError("seek");
}

std::uint32_t CAppToolsBin::File::GetPosition() {
  CheckOpen();
  const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
  if (at < 0) ThrowSystemError("seek");
  return static_cast<std::uint32_t>(at - static_cast<off_t>(m_nFill - m_nIndex));
}

std::uint32_t CAppToolsBin::File::GetLength() {
  CheckOpen();
  struct stat info {};
  if (::fstat(m_fd, &info) != 0) ThrowSystemError("stat");
  return static_cast<std::uint32_t>(info.st_size);
}

void CAppToolsBin::File::Seek(unsigned long position) {
  CheckOpen();
  m_nFill = 0;
  m_nIndex = 0;
  if (::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) < 0) ThrowSystemError("seek");
}

unsigned CAppToolsBin::File::_Read(void* buffer, unsigned count) {
  APP_CHECK_POINTER(buffer);
  CheckOpen();
  auto* out = static_cast<std::uint8_t*>(buffer);
  unsigned done = 0;
  while (done < count) {
    if (m_nIndex >= m_nFill && count - done >= m_buffer.size()) {
      // Staging a large read in the buffer would only add a copy.
      ssize_t got;
      do {
        got = ::read(m_fd, out + done, count - done);
      } while (got < 0 && errno == EINTR);
      if (got < 0) ThrowSystemError("read");
      if (got == 0) break;
      done += static_cast<unsigned>(got);
      continue;
    }
    if (m_nIndex >= m_nFill) {
      ssize_t got;
      do {
        got = ::read(m_fd, m_buffer.data(), m_buffer.size());
      } while (got < 0 && errno == EINTR);
      if (got < 0) ThrowSystemError("read");
      m_nIndex = 0;
      m_nFill = static_cast<std::uint32_t>(got);
      if (got == 0) break;
    }
    const unsigned n = std::min(count - done, m_nFill - m_nIndex);
    std::memcpy(out + done, m_buffer.data() + m_nIndex, n);
    m_nIndex += n;
    done += n;
  }
  return done;
}

void CAppToolsBin::File::_Write(const void* buffer, unsigned count) {
  if (count == 0) return;
  APP_CHECK_POINTER(buffer);
  CheckOpen();
  // A write after reads lands at the logical position, not past the buffer.
  DropReadAhead();
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  while (count != 0) {
    const ssize_t put = ::write(m_fd, in, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("write");
    }
    in += put;
    count -= static_cast<unsigned>(put);
  }
}
