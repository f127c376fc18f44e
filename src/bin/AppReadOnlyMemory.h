// Where the loaded program and its libraries keep bytes that cannot change:
// their read-only segments, string literals among them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class AppReadOnlyMemory {
public:
  // The read-only segments loaded now; none where the system cannot tell.
  static AppReadOnlyMemory Loaded();
  // Whether the `size` bytes at `bytes` lie within one segment.
  bool Holds(const void* bytes, std::size_t size) const;

private:
  std::vector<std::pair<std::uintptr_t, std::uintptr_t>> m_segments;  // [begin, end)
};
