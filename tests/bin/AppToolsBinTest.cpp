#include "appconfig/AppToolsBin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/TempFolder.h"
#include "core/TestSupport.h"

using Bytes = std::vector<std::uint8_t>;

// Typed values little-endian at their exact size, strings zero-terminated.
TEST(AppToolsBinStream, TypedRoundTrip_GoldenBytes) {
  CAppToolsBin::Memory m(4);
  const std::uint32_t word = 0x11223344;
  const std::int16_t negative = -2;
  m.Write(&word);
  m.Write(&negative);
  m.Write(std::string("ab"));
  m.Write(std::string());
  EXPECT_EQ(m.GetData(), (Bytes{0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 'a', 'b', 0, 0}));
  m.Seek(0);
  std::uint32_t w = 0;
  std::int16_t n = 0;
  std::string a = "old", b = "old";
  m.Read(&w);
  m.Read(&n);
  m.Read(a);
  m.Read(b);
  EXPECT_EQ(std::make_tuple(w, n, a, b), std::make_tuple(word, negative, "ab", ""));
  EXPECT_TRUE(m.Eof());
  EXPECT_EQ(m.GetChar(), 0);
  std::uint8_t two[2] = {0, 5};
  EXPECT_EQ(m._Read(two, 2), 0u);  // a raw read at the end returns what it got
}

TEST(AppToolsBinStream, Invalid_ThrowWithTheirMessage) {
  TempFolder folder;
  CAppToolsBin::Memory m;
  m._Write(Bytes(8, 1).data(), 8);
  CAppToolsBin::Memory fresh;
  CAppToolsBin::File closed, open;
  ASSERT_TRUE(open.Open(folder.File("new.bin"), true));
  std::uint8_t bytes[12];
  std::uint32_t w = 0, *none = nullptr;
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { m.Seek(9); }, "Bad Position"},
      {[&] { m.Seek(0); m.ReadBytes(bytes, 12); }, "Bad file size"},
      {[&] { m.Seek(6); m.Read(&w); }, "Bad file size"},
      {[&] { fresh._Read(bytes, 1); }, "Bad pointer"},
      {[&] { m.Read(none); }, "Bad pointer"},
      {[&] { m.Write(none); }, "Bad pointer"},
      {[&] { closed._Read(bytes, 1); }, "File not open"},
      {[&] { closed._Read(nullptr, 1); }, "Bad pointer"},
      {[&] { open.Open(folder.File("other.bin"), true); }, "File already open"},
  };
  for (const auto& [call, what] : cases) {
    const CAppException e = CatchAppException(call);
    EXPECT_EQ(std::tuple(e.GetMessage(), e.GetPrgFile()), std::tuple(std::string("Exception >") + what, "AppToolsBin"));
  }
  EXPECT_FALSE(closed.Open(folder.File("missing.bin"), false));
}

// Reads through a buffer smaller than a string, and seeks inside the file.
TEST(AppToolsBinFile, BufferedRead_LogicalPositionAcrossRefills) {
  TempFolder folder;
  const std::string name = folder.File("text.bin");
  std::ofstream(name, std::ios::binary) << "stale contents, longer than the new file";
  CAppToolsBin::File out;
  ASSERT_TRUE(out.Open(name, true));  // truncates
  out.Write(std::string("first string"));
  out.Write(std::string("second"));
  out.Close();
  CAppToolsBin::File in(3);
  ASSERT_TRUE(in.Open(name, false));
  EXPECT_EQ(in.GetLength(), 20u);
  std::string a, b;
  in.Read(a);
  EXPECT_EQ(in.GetPosition(), 13u);
  in.Read(b);
  EXPECT_EQ(std::tie(a, b), std::make_tuple("first string", "second"));
  EXPECT_TRUE(in.Eof());
  in.Seek(6);
  std::uint8_t rest[20] = {};
  EXPECT_EQ(in._Read(rest, 20), 14u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rest)), "string");
}
