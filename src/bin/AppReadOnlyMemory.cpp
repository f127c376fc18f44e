#include "AppReadOnlyMemory.h"

#if defined(__linux__) || defined(__FreeBSD__)
#include <link.h>
#define APP_HAVE_PHDR 1
#endif

AppReadOnlyMemory AppReadOnlyMemory::Loaded() {
  AppReadOnlyMemory memory;
#ifdef APP_HAVE_PHDR
  ::dl_iterate_phdr(
      [](dl_phdr_info* image, std::size_t, void* out) {
        auto& segments = static_cast<AppReadOnlyMemory*>(out)->m_segments;
        for (ElfW(Half) i = 0; i < image->dlpi_phnum; ++i) {
          const ElfW(Phdr)& header = image->dlpi_phdr[i];
          // Relocated-then-protected data is left out: it was writable once.
          if (header.p_type != PT_LOAD || (header.p_flags & PF_W) != 0) continue;
          const std::uintptr_t begin = image->dlpi_addr + header.p_vaddr;
          segments.emplace_back(begin, begin + header.p_memsz);
        }
        return 0;
      },
      &memory);
#endif
  return memory;
}

bool AppReadOnlyMemory::Holds(const void* bytes, std::size_t size) const {
  const auto begin = reinterpret_cast<std::uintptr_t>(bytes);
  for (const auto& [from, to] : m_segments) {
    if (begin >= from && begin < to && size <= to - begin) return true;
  }
  return false;
}
