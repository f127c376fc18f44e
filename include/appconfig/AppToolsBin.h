// Positioned byte streams: over memory and over disk files. The binary
// parameter file, the undo snapshots and the developer files go through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "appconfig/AppException.h"

// The types the typed transfers accept: integers and enumerations. Not bool,
// and not char, so that Write("text") cannot write a single byte.
template <class T>
concept AppBinScalar = (std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                        !std::is_same_v<T, char>) ||
                       std::is_enum_v<T>;

// The unsigned integer that carries a scalar's bytes.
template <class T>
using AppBinUnsigned = std::make_unsigned_t<
    typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type>;

class CAppToolsBin {
public:
  CAppToolsBin() = delete;

  class Stream {
  public:
    Stream() = default;
    virtual ~Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    virtual void RemoveAll() = 0;
    virtual std::uint32_t GetPosition() = 0;
    virtual std::uint32_t GetLength() = 0;
    virtual void Seek(unsigned long position) = 0;
    // Reads up to `count` bytes; returns how many came.
    virtual unsigned _Read(void* buffer, unsigned count) = 0;
    virtual void _Write(const void* buffer, unsigned count) = 0;

    bool Eof() { return GetPosition() >= GetLength(); }
    void SeekToEnd() { Seek(GetLength()); }
    bool IsEndOfLimit(unsigned long limit) { return GetPosition() >= limit; }

    // The characters of `text` and one zero byte.
    void Write(const std::string& text);
    // One byte, or 0 when none could be read.
    char GetChar();
    // The bytes up to the next zero byte or the end of the stream.
    void Read(std::string& text);

    // Exactly `count` bytes; fewer throw "Bad file size".
    void ReadBytes(void* buffer, unsigned count);
    void WriteBytes(const void* buffer, unsigned count);

    // Integers travel little-endian, whatever the host's byte order. A null
    // pointer throws "Bad pointer"; a short read throws "Bad file size".
    template <class T>
      requires AppBinScalar<T>
    void Read(T* value);
    template <class T>
      requires AppBinScalar<T>
    void Write(const T* value);
  };

  // A growable byte array; grows by whole steps of the given size.
  class Memory : public Stream {
  public:
    explicit Memory(unsigned growBy = 1024) : m_nGrowBy(growBy != 0 ? growBy : 1) {}

    void RemoveAll() override;
    std::uint32_t GetPosition() override { return m_nPosition; }
    std::uint32_t GetLength() override { return static_cast<std::uint32_t>(m_data.size()); }
    // Up to the length included; further throws "Bad Position".
    void Seek(unsigned long position) override;
    // A stream that never held a byte throws "Bad pointer".
    unsigned _Read(void* buffer, unsigned count) override;
    void _Write(const void* buffer, unsigned count) override;

    const std::vector<std::uint8_t>& GetData() const { return m_data; }
    // Takes `data` as the whole content, without copying it; the position
    // goes to its end, as after writing it into an emptied stream.
    void Assign(std::vector<std::uint8_t>&& data);

  private:
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_nPosition = 0;
    unsigned m_nGrowBy;
  };

  // A disk file read through a buffer of the size given at construction (a
  // read of a buffer or more goes straight to the caller's memory); writes
  // go straight to the file. A stream is either read or written. A failing
  // system call (a read of a folder, a full disk) throws "File error :
  // <file> (<call>: <reason>)".
  class File : public Stream {
  public:
    explicit File(unsigned bufferSize = 4096);
    ~File() override;

    // Creates (truncating) for writing, or opens read-only. False when the
    // file cannot be opened; "File already open" when this one is. For
    // writing, a symbolic link or anything but a plain file is refused
    // (false), and left as it was.
    bool Open(const std::string& name, bool write);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();
    // Truncates an open file to 0 bytes.
    void RemoveAll() override;
    // The logical position: the file's, less what the buffer read ahead.
    std::uint32_t GetPosition() override;
    std::uint32_t GetLength() override;
    void Seek(unsigned long position) override;
    unsigned _Read(void* buffer, unsigned count) override;
    void _Write(const void* buffer, unsigned count) override;

  private:
    void CheckOpen() const;
    // Throws "File error : <file> (<what>: <reason>)" for the last system error.
    [[noreturn]] void ThrowSystemError(const char* what) const;
    // Moves the file back over the bytes read ahead and empties the buffer.
    void DropReadAhead();

    int m_fd = -1;
    bool m_bWrite = false;
    std::string m_strName;  // of the open file, for messages
    std::vector<std::uint8_t> m_buffer;
    std::uint32_t m_nFill = 0;
    std::uint32_t m_nIndex = 0;
  };
};

template <class T>
  requires AppBinScalar<T>
void CAppToolsBin::Stream::Read(T* value) {
  if (value == nullptr) AppThrowException("AppToolsBin", __LINE__, "Bad pointer");
  std::uint8_t bytes[sizeof(T)];
  ReadBytes(bytes, sizeof(T));
  using U = AppBinUnsigned<T>;
  U v = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) v = static_cast<U>((v << 4 << 4) | bytes[i]);
  *value = static_cast<T>(v);
}

template <class T>
  requires AppBinScalar<T>
void CAppToolsBin::Stream::Write(const T* value) {
  if (value == nullptr) AppThrowException("AppToolsBin", __LINE__, "Bad pointer");
  using U = AppBinUnsigned<T>;
  U v = static_cast<U>(*value);
  std::uint8_t bytes[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    bytes[i] = static_cast<std::uint8_t>(v & 0xFFu);
    v = static_cast<U>(v >> 4 >> 4);
  }
  WriteBytes(bytes, sizeof(T));
}
