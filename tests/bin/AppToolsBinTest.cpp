#include "appconfig/AppToolsBin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/TempFolder.h"
#include "core/TestSupport.h"

TEST(AppToolsBinStream, Invalid_ThrowWithTheirMessage) {
  TempFolder folder;
  CAppToolsBin::Memory m;
  m._Write(std::vector<std::uint8_t>(8, 1).data(), 8);
  CAppToolsBin::File closed, open;
  ASSERT_TRUE(open.Open(folder.File("new.bin"), true));
  std::uint8_t bytes[12];
  std::uint32_t w = 0, *none = nullptr;
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { m.Seek(9); }, "Bad Position"},
      {[&] { m.Seek(6); m.Read(&w); }, "Bad file size"},
      {[&] { m.Read(none); }, "Bad pointer"},
      {[&] { closed._Read(bytes, 1); }, "File not open"},
      {[&] { open.Open(folder.File("other.bin"), true); }, "File already open"},
  };
  for (const auto& [call, what] : cases) {
    const CAppException e = CatchAppException(call);
    EXPECT_EQ(std::tuple(e.GetMessage(), e.GetPrgFile()), std::tuple(std::string("Exception >") + what, "AppToolsBin"));
  }
  EXPECT_FALSE(closed.Open(folder.File("missing.bin"), false));
}
