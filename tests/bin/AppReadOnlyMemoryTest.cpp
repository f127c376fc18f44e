#include "bin/AppReadOnlyMemory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char kConstant[] = "Constant";
char g_mutable[] = "Mutable";

}  // namespace

// The binary writer trusts a field name to stay as it was only when it lies
// here: literals and constants do, buffers that a caller may refill do not.
TEST(AppReadOnlyMemory, HoldsLiteralsAndConstantsButNoBuffer) {
  const AppReadOnlyMemory memory = AppReadOnlyMemory::Loaded();
#if defined(__linux__) || defined(__FreeBSD__)
  const char* literal = "Literal";
  EXPECT_TRUE(memory.Holds(literal, 8));
  EXPECT_TRUE(memory.Holds(kConstant, sizeof kConstant));
#endif
  char onStack[] = "Stack";
  const auto onHeap = std::make_unique<char[]>(16);
  EXPECT_FALSE(memory.Holds(g_mutable, sizeof g_mutable));
  EXPECT_FALSE(memory.Holds(onStack, sizeof onStack));
  EXPECT_FALSE(memory.Holds(onHeap.get(), 16));
  EXPECT_FALSE(memory.Holds(nullptr, 1));
  // A range that runs past the end of the segment it starts in.
  EXPECT_FALSE(memory.Holds(kConstant, static_cast<std::size_t>(-1) / 2));
}
