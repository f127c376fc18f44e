#include "AppFreshMemory.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

void AppMapForWriting(void* bytes, std::size_t size) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(bytes) + page - 1) & ~(page - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(bytes) + size) & ~(page - 1);
  // A few pages cost less mapped one by one than a call.
  constexpr std::uintptr_t kWorthACall = 64 * 1024;
  if (end <= begin || end - begin < kWorthACall) return;
  // Memory the allocator had in use before is mapped already: its first
  // page tells.
  unsigned char mapped = 0;
  if (::mincore(reinterpret_cast<void*>(begin), page, &mapped) == 0 && (mapped & 1u) != 0) return;
  // Only a hint: without it, the pages are mapped as they are written.
  (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
  (void)bytes;
  (void)size;
#endif
}

std::unique_ptr<std::uint8_t[]> AppNewBytesForWriting(std::size_t size) {
  auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  AppMapForWriting(bytes.get(), size);
  return bytes;
}
