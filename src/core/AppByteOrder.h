// Little-endian reads and writes over byte spans. Packed device blocks are
// decoded field by field through these, never by overlaying a struct.
#pragma once

#include <cstdint>
#include <span>

namespace AppByteOrder {

// Reads the first `size` bytes (1 to 8) of `bytes`, least significant first.
// The caller checks that `bytes` holds them.
inline std::uint64_t ReadLE(std::span<const std::uint8_t> bytes, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

// Writes the low `size` bytes (1 to 8) of `value`, least significant first.
inline void WriteLE(std::span<std::uint8_t> bytes, std::size_t size, std::uint64_t value) {
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
}

}  // namespace AppByteOrder
