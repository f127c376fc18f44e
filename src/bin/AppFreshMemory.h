// Memory that a large write is about to fill. The system maps fresh memory a
// page at a time, on the first touch of each; asked for a whole range at
// once, it does the same work for a fraction of the cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Maps the whole pages of the `size` bytes at `bytes` now, where the system
// can; their contents are unchanged.
void AppMapForWriting(void* bytes, std::size_t size);

// `size` bytes of uninitialised memory, mapped for writing.
std::unique_ptr<std::uint8_t[]> AppNewBytesForWriting(std::size_t size);
