#include "bin/AppFreshMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

// Mapping ahead of a write is a hint: bytes already written stay as they
// are, at any alignment and size, and fresh memory takes writes at once.
TEST(AppFreshMemory, MappingKeepsWhatIsWrittenAndFreshMemoryTakesWrites) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{64 * 1024 + 3}, std::size_t{1 << 20}}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> bytes(size + 1);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    const std::vector<std::uint8_t> before = bytes;
    AppMapForWriting(bytes.data() + 1, size);  // unaligned on purpose
    EXPECT_EQ(bytes, before);

    const auto fresh = AppNewBytesForWriting(size + 1);
    std::copy(before.begin(), before.end(), fresh.get());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), fresh.get()));
  }
}

#ifdef __linux__
// Memory mapped but not yet touched at its start is mapped ahead; a page
// written already keeps its bytes.
TEST(AppFreshMemory, MappingAheadKeepsAPageWrittenBefore) {
  constexpr std::size_t kSize = 1 << 20;
  void* region = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(region, MAP_FAILED);
  auto* bytes = static_cast<std::uint8_t*>(region);
  std::fill(bytes + kSize - 4096, bytes + kSize, std::uint8_t{0x5A});
  AppMapForWriting(bytes, kSize);
  EXPECT_TRUE(std::all_of(bytes, bytes + kSize - 4096, [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(bytes + kSize - 4096, bytes + kSize, [](std::uint8_t b) { return b == 0x5A; }));
  ::munmap(region, kSize);
}
#endif
