// Settings of the binary reader that only the library's own tests change.
#pragma once

#include <cstdint>

namespace AppStreamBinInternal {

// A group whose children span at least this many bytes of a file may have
// its later children read by a second thread; 0 keeps every load on the
// calling thread. Returns the previous value.
std::uint32_t SetSplitFrom(std::uint32_t bytes);

// How many groups have been split between two threads so far.
std::uint64_t SplitCount();

}  // namespace AppStreamBinInternal
