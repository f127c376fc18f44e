#include "appconfig/AppToolsBin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
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

// Reads of a buffer or more bypass it; small ones go through it. Either way
// the bytes come in order and the position is the logical one.
TEST(AppToolsBinStream, File_LargeAndSmallReadsKeepOrderAndPosition) {
  TempFolder folder;
  std::vector<std::uint8_t> data(10000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251);
  CAppToolsBin::File out;
  ASSERT_TRUE(out.Open(folder.File("data.bin"), true));
  out.WriteBytes(data.data(), static_cast<unsigned>(data.size()));
  out.Close();

  CAppToolsBin::File in(64);
  ASSERT_TRUE(in.Open(folder.File("data.bin"), false));
  std::vector<std::uint8_t> got(data.size());
  const struct { unsigned at, count; } reads[] = {{0, 3}, {3, 5000}, {5003, 10}, {5013, 64}, {5077, 4923}};
  for (const auto& read : reads) {
    SCOPED_TRACE(read.at);
    EXPECT_EQ(in.GetPosition(), read.at);
    in.ReadBytes(got.data() + read.at, read.count);
  }
  EXPECT_EQ(got, data);
  EXPECT_TRUE(in.Eof());
  EXPECT_EQ(in._Read(got.data(), 1), 0u);
  in.Seek(9990);
  in.ReadBytes(got.data(), 10);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 10, data.begin() + 9990));
}

// A failing system call is the library's exception, naming the file; it
// never leaves as a std::system_error.
TEST(AppToolsBinStream, File_SystemErrorsNameTheFile) {
  TempFolder folder;
  const std::string dir = folder.File("");
  CAppToolsBin::File file;
  ASSERT_TRUE(file.Open(dir, false));  // a folder opens, but cannot be read
  std::uint8_t byte = 0;
  const CAppException e = CatchAppException([&] { file._Read(&byte, 1); });
  EXPECT_EQ(std::tuple(e.GetMessage(), e.GetPrgFile()),
            std::tuple("Exception >File error : " + dir + " (read: Is a directory)", "AppToolsBin"));
}

// A file opened for writing is never reached through a link nor a pipe: a
// name in a shared folder cannot make the stream write another file.
TEST(AppToolsBinStream, File_WritingRefusesLinksAndPipes) {
  TempFolder folder;
  const std::string target = folder.File("target"), link = folder.File("link"), pipe = folder.File("pipe");
  std::ofstream(target) << "kept";
  std::filesystem::create_symlink(target, link);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& name : {link, pipe}) {
    CAppToolsBin::File file;
    EXPECT_FALSE(file.Open(name, true)) << name;
  }
  EXPECT_EQ(TempFolder::ReadAll(target), "kept");
}

// Reading a string asks the stream for bytes only, never for its position
// or length per byte (each a system call on a file).
TEST(AppToolsBinStream, ReadString_ReadsThroughTheBuffer) {
  struct CountingFile : CAppToolsBin::File {
    std::uint32_t GetPosition() override { return ++asked, File::GetPosition(); }
    std::uint32_t GetLength() override { return ++asked, File::GetLength(); }
    unsigned asked = 0;
  };
  TempFolder folder;
  std::ofstream(folder.File("strings.bin"), std::ios::binary) << std::string("first\0second", 12);
  CountingFile file;
  ASSERT_TRUE(file.Open(folder.File("strings.bin"), false));
  std::string first, second, none;
  file.Read(first);
  file.Read(second);
  file.Read(none);
  EXPECT_EQ(std::make_tuple(first, second, none, file.asked), std::make_tuple("first", "second", "", 0u));
}
