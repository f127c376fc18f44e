#include "appconfig/AppToolsBin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/TestSupport.h"
#include "core/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Fill(CAppToolsBin::Stream& s, const Bytes& bytes) { s._Write(bytes.data(), static_cast<unsigned>(bytes.size())); }

std::string Message(const CAppException& e) { return e.GetMessage(); }

}  // namespace

TEST(AppToolsBinMemory, Seek_UpToLengthOnly) {
  CAppToolsBin::Memory m;
  Fill(m, {1, 2, 3});
  m.Seek(3);
  EXPECT_TRUE(m.Eof());
  const CAppException e = CatchAppException([&] { m.Seek(4); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad Position");
  EXPECT_EQ(e.GetPrgFile(), "AppToolsBin");
  EXPECT_EQ(m.GetPosition(), 3u);
}

TEST(AppToolsBinMemory, Read_NeverWrittenThrowsAtEndReturnsZero) {
  CAppToolsBin::Memory fresh;
  std::uint8_t byte = 0;
  EXPECT_EQ(Message(CatchAppException([&] { fresh._Read(&byte, 1); })), "Exception >Bad pointer");
  CAppToolsBin::Memory m;
  Fill(m, {1, 2});
  EXPECT_EQ(m._Read(&byte, 1), 0u);
  m.Seek(1);
  std::uint8_t two[2] = {9, 9};
  EXPECT_EQ(m._Read(two, 2), 1u);
  EXPECT_EQ(two[0], 2);
  EXPECT_EQ(two[1], 9);
  m.RemoveAll();
  EXPECT_EQ(m.GetLength(), 0u);
  EXPECT_EQ(Message(CatchAppException([&] { m._Read(&byte, 1); })), "Exception >Bad pointer");
}

TEST(AppToolsBinMemory, Write_OverwritesAndGrows) {
  CAppToolsBin::Memory m(4);
  Fill(m, {1, 2, 3});
  m.Seek(2);
  Fill(m, {7, 8, 9, 10});
  EXPECT_EQ(m.GetLength(), 6u);
  EXPECT_EQ(m.GetPosition(), 6u);
  EXPECT_EQ(m.GetData(), (Bytes{1, 2, 7, 8, 9, 10}));
  m.Seek(0);
  Fill(m, {});
  EXPECT_EQ(m.GetPosition(), 0u);
}

TEST(AppToolsBinStream, Strings_ZeroTerminated) {
  CAppToolsBin::Memory m;
  m.Write(std::string("ab"));
  m.Write(std::string());
  EXPECT_EQ(m.GetData(), (Bytes{'a', 'b', 0, 0}));
  m.Seek(0);
  std::string text = "old";
  m.Read(text);
  EXPECT_EQ(text, "ab");
  m.Read(text);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(m.Eof());
  EXPECT_EQ(m.GetChar(), 0);

  CAppToolsBin::Memory cut;
  Fill(cut, {'o', 'k'});
  cut.Seek(0);
  cut.Read(text);
  EXPECT_EQ(text, "ok");
}

TEST(AppToolsBinStream, Typed_LittleEndianAndExactSize) {
  CAppToolsBin::Memory m;
  const std::uint32_t word = 0x11223344;
  const std::int16_t negative = -2;
  m.Write(&word);
  m.Write(&negative);
  EXPECT_EQ(m.GetData(), (Bytes{0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF}));
  m.Seek(0);
  std::uint32_t w = 0;
  std::int16_t n = 0;
  m.Read(&w);
  m.Read(&n);
  EXPECT_EQ(w, word);
  EXPECT_EQ(n, -2);
  std::uint32_t* none = nullptr;
  EXPECT_EQ(Message(CatchAppException([&] { m.Read(none); })), "Exception >Bad pointer");
  EXPECT_EQ(Message(CatchAppException([&] { m.Write(none); })), "Exception >Bad pointer");
}

TEST(AppToolsBinStream, ReadBytes_ShortStreamThrowsBadFileSize) {
  CAppToolsBin::Memory m;
  Fill(m, Bytes(8, 1));
  m.Seek(0);
  std::uint8_t header[12];
  const CAppException e = CatchAppException([&] { m.ReadBytes(header, sizeof header); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad file size");
  m.Seek(6);
  std::uint32_t w;
  EXPECT_EQ(Message(CatchAppException([&] { m.Read(&w); })), "Exception >Bad file size");
}

TEST(AppToolsBinFile, ReadThroughBuffer_LogicalPosition) {
  TempFolder folder;
  const std::string name = folder.File("data.bin");
  {
    CAppToolsBin::File out;
    ASSERT_TRUE(out.Open(name, true));
    Bytes bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    Fill(out, bytes);
    EXPECT_EQ(out.GetLength(), 100u);
  }
  CAppToolsBin::File in(4096);
  ASSERT_TRUE(in.Open(name, false));
  std::uint8_t ten[10];
  EXPECT_EQ(in._Read(ten, 10), 10u);
  EXPECT_EQ(in.GetPosition(), 10u);
  EXPECT_EQ(ten[9], 9);
  in.Seek(98);
  std::uint8_t rest[5] = {};
  EXPECT_EQ(in._Read(rest, 5), 2u);
  EXPECT_EQ(rest[1], 99);
  EXPECT_TRUE(in.Eof());
}

TEST(AppToolsBinFile, SmallBuffer_ManyRefills) {
  TempFolder folder;
  const std::string name = folder.File("text.bin");
  {
    CAppToolsBin::File out;
    ASSERT_TRUE(out.Open(name, true));
    out.Write(std::string("first string"));
    out.Write(std::string("second"));
  }
  CAppToolsBin::File in(3);
  ASSERT_TRUE(in.Open(name, false));
  std::string a, b;
  in.Read(a);
  EXPECT_EQ(in.GetPosition(), 13u);
  in.Read(b);
  EXPECT_EQ(a, "first string");
  EXPECT_EQ(b, "second");
  EXPECT_TRUE(in.Eof());
}

TEST(AppToolsBinFile, OpenStates) {
  TempFolder folder;
  CAppToolsBin::File f;
  EXPECT_FALSE(f.Open(folder.File("missing.bin"), false));
  EXPECT_FALSE(f.IsOpen());
  std::uint8_t byte;
  EXPECT_EQ(Message(CatchAppException([&] { f._Read(&byte, 1); })), "Exception >File not open");
  EXPECT_EQ(Message(CatchAppException([&] { f._Read(nullptr, 1); })), "Exception >Bad pointer");
  ASSERT_TRUE(f.Open(folder.File("new.bin"), true));
  EXPECT_EQ(Message(CatchAppException([&] { f.Open(folder.File("other.bin"), true); })),
            "Exception >File already open");
  Fill(f, {1, 2, 3});
  f.RemoveAll();
  EXPECT_EQ(f.GetLength(), 0u);
  f.Close();
  EXPECT_FALSE(f.IsOpen());
}

TEST(AppToolsBinFile, CreateTruncatesExistingFile) {
  TempFolder folder;
  const std::string name = folder.File("old.bin");
  std::ofstream(name, std::ios::binary) << "0123456789";
  CAppToolsBin::File f;
  ASSERT_TRUE(f.Open(name, true));
  EXPECT_EQ(f.GetLength(), 0u);
  const std::uint16_t v = 0x0102;
  f.Write(&v);
  f.Close();
  EXPECT_EQ(TempFolder::ReadAll(name), std::string("\x02\x01", 2));
}
