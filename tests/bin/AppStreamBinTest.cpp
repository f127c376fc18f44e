#include "appconfig/AppStreamBin.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>

#include "StreamBinTestParams.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "core/TempFolder.h"
#include "core/TestSupport.h"

APP_IMPLEMENT_DYNCREATE(CTestParamAll, CAppParam)
APP_IMPLEMENT_DYNCREATE(CTestParamWide, CTestParamAll)
APP_IMPLEMENT_DYNCREATE(CTestParamVersioned, CAppParam)
APP_IMPLEMENT_DYNCREATE(CTestParamClash, CAppParam)
APP_IMPLEMENT_DYNCREATE(CTestParamFailing, CAppParam)
APP_REGISTER_CLASS(CTestParamAll, "")
APP_REGISTER_CLASS(CTestParamWide, "")
APP_REGISTER_CLASS(CTestParamVersioned, "")
APP_REGISTER_CLASS(CTestParamClash, "")
APP_REGISTER_CLASS(CTestParamFailing, "")

void CTestParamFailing::Serialize(CAppRecord* record) {
  CAppParam::Serialize(record);
  APP_THROW("Broken field");
}

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian words and zero-terminated strings, for expected files.
class Golden {
public:
  Golden& W(std::initializer_list<std::uint32_t> words) {
    for (std::uint32_t w : words) {
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    }
    return *this;
  }
  Golden& S(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return *this;
  }
  Bytes bytes;
};

constexpr std::uint32_t kSection = 0x0803, kParam = 0x0802, kGroup = 0x2802;
constexpr std::uint32_t kString = 0x0800, kFlags = 0x0801, kUI4 = 0x0013, kStrings = 0x2800;

// Group G (no name, help or alias) holding the key list L = {"x"}.
std::unique_ptr<CAppParamGroup> SmallTree() {
  auto root = std::make_unique<CAppParamGroup>();
  root->SetKey("G");
  auto* list = new CAppParamListKey;
  list->InsertAfter("x", CAppParamListKey::Position());
  root->SetAt("L", list);
  return root;
}

Bytes SaveToBytes(CAppParam* param, CAppStreamBin::SaveRule rule = {}) {
  CAppToolsBin::Memory memory(4096);
  CAppStreamBin::SaveStream save(&memory, param, std::move(rule));
  return memory.GetData();
}

// The parameter read from `bytes`; null for an empty data section.
std::unique_ptr<CAppParam> LoadFromBytes(const Bytes& bytes) {
  CAppToolsBin::Memory memory(4096);
  memory._Write(bytes.data(), static_cast<unsigned>(bytes.size()));
  CAppParam* param = nullptr;
  CAppStreamBin::LoadStream load(&memory, param);
  return std::unique_ptr<CAppParam>(param);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

TEST(AppStreamBin, SaveStream_GoldenBytes) {
  const auto root = SmallTree();
  Golden g;
  // Header section: {end 44, SYS_HEADER_SECTION, section}.
  g.W({44, 0xFFFF0002, kSection});
  g.W({28, 0xFFFF0000, kUI4}).W({0x12345678});  // 12: ident
  g.W({44, 0xFFFF0001, kUI4}).W({0x07082001});  // 28: version
  // 44: data section, up to the string section at 300.
  g.W({300, 0xFFFF0003, kSection});
  // 56: the group element; class name "CAppParamGroup" is string 14.
  g.W({300, 14, kParam});
  g.W({84, 1, kString}).W({0});    // 68: Key = "G" (0), name "Key" (1)
  g.W({100, 3, kString}).W({2});   // 84: Name = "" (2), name "Name" (3)
  g.W({116, 4, kString}).W({2});   // 100: Help = "" shares 2, name "Help" (4)
  g.W({132, 5, kFlags}).W({0});    // 116: Flags = 0, name "Flags" (5)
  g.W({148, 6, kString}).W({2});   // 132: Alias = "", name "Alias" (6)
  g.W({164, 7, kUI4}).W({0});      // 148: AutoIndex = 0, name "AutoIndex" (7)
  g.W({180, 8, kString}).W({2});   // 164: Parent = "", name "Parent" (8)
  g.W({300, 13, kGroup});          // 180: Param, name "Param" (13): the children
  g.W({300, 12, kParam});          // 192: the key list, "CAppParamListKey" (12)
  g.W({220, 1, kString}).W({9});   // 204: Key = "L" (9)
  g.W({236, 3, kString}).W({2});   // 220: Name
  g.W({252, 4, kString}).W({2});   // 236: Help
  g.W({268, 5, kFlags}).W({0});    // 252: Flags
  g.W({284, 6, kString}).W({2});   // 268: Alias
  g.W({300, 11, kStrings}).W({10});  // 284: List = {"x" (10)}, name "List" (11)
  // 300: string section, strings in the order they were first written.
  g.W({405, 0xFFFF0004, kSection});
  for (const char* s : {"G", "Key", "", "Name", "Help", "Flags", "Alias", "AutoIndex", "Parent", "L", "x",
                        "List", "CAppParamListKey", "Param", "CAppParamGroup"}) {
    g.S(s);
  }
  EXPECT_EQ(SaveToBytes(root.get()), g.bytes);
}

TEST(AppStreamBin, SaveStream_StringValueSharesTheIndexOfAFieldName) {
  CAppParam param;
  param.SetKey("K");
  param.SetName("Key");
  const Bytes bytes = SaveToBytes(&param);
  // K, Key, "", Help, Flags, Alias, CAppParam: "Key" and "Name" would make 8.
  Golden strings;
  for (const char* s : {"K", "Key", "Name", "", "Help", "Flags", "Alias", "CAppParam"}) strings.S(s);
  ASSERT_GE(bytes.size(), strings.bytes.size());
  EXPECT_TRUE(std::equal(strings.bytes.begin(), strings.bytes.end(), bytes.end() - strings.bytes.size()));
}

TEST(AppStreamBin, RoundTrip_EveryFieldType) {
  CTestParamWide source;
  source.Fill();
  source.i8 = -9000000000LL;
  source.ui8 = 0xFEDCBA9876543210ULL;
  const std::unique_ptr<CAppParam> loaded = LoadFromBytes(SaveToBytes(&source));
  auto* copy = AppDynamicCast<CTestParamWide>(loaded.get());
  ASSERT_NE(copy, nullptr);
  ExpectSameValues(source, *copy);
  EXPECT_EQ(copy->i8, source.i8);
  EXPECT_EQ(copy->ui8, source.ui8);
}

TEST(AppStreamBin, RoundTrip_VariantKeepsItsType) {
  const CAppVariant values[] = {
      CAppVariant(),  // empty
      CAppVariant("texte"),
      CAppVariant(std::int32_t{-2}),
      CAppVariant(std::uint32_t{0xFFFFFFFFu}),
      CAppVariant(-(std::int64_t{1} << 40)),
      CAppVariant(std::uint64_t{1} << 63),
      CAppVariant(2.5),
  };
  std::vector<CAppVariant> more(4);
  more[0].SetInt(CAppVariant::VT_I1, -1);
  more[1].SetUInt(CAppVariant::VT_UI1, 255);
  more[2].SetInt(CAppVariant::VT_I2, -300);
  more[3].SetDouble(CAppVariant::VT_R4, 0.1);
  std::vector<CAppVariant> all(std::begin(values), std::end(values));
  all.insert(all.end(), more.begin(), more.end());
  for (const CAppVariant& value : all) {
    CTestParamAll source;
    source.value = value;
    CTestParamAll target;
    target.value = CAppVariant("not replaced");
    CAppToolsBin::Memory memory(4096);
    CAppStreamBin::SaveStream save(&memory, &source);
    CAppParam* into = &target;
    CAppStreamBin::LoadStream load(&memory, into);
    EXPECT_EQ(target.value.GetType(), value.GetType()) << value.ToString();
    EXPECT_TRUE(target.value == value) << value.ToString();
  }
}

TEST(AppStreamBin, Load_SkipsFieldsNoLongerVisitedAndKeepsDefaultsOfMissingOnes) {
  CTestParamVersioned written;
  written.SetKey("V");
  written.old = "ancien";
  written.speed = 42;
  written.added = 99;  // not visited by version 1: not in the file
  CTestParamVersioned::version = 1;
  const Bytes bytes = SaveToBytes(&written);
  CTestParamVersioned::version = 2;

  const std::unique_ptr<CAppParam> loaded = LoadFromBytes(bytes);
  auto* read = AppDynamicCast<CTestParamVersioned>(loaded.get());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetKey(), "V");
  EXPECT_EQ(read->speed, 42u);
  EXPECT_EQ(read->added, 7u);    // missing: the class's default
  EXPECT_EQ(read->old, "old");   // skipped: never visited
}

TEST(AppStreamBin, Load_FieldNamesMatchWithoutRegardToCase) {
  Bytes bytes = SaveToBytes(SmallTree().get());
  // "Key" (string 1) becomes "KEY".
  const std::size_t at = 312 + 2;  // after "G\0"
  ASSERT_EQ(bytes[at], 'K');
  bytes[at + 1] = 'E';
  bytes[at + 2] = 'Y';
  const auto loaded = LoadFromBytes(bytes);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetKey(), "G");
  EXPECT_NE(loaded->GetGroup()->FindChild("L"), nullptr);
}

TEST(AppStreamBin, SaveRule_LeavesOutSubtreesAndAnExcludedRootLoadsAsNothing) {
  const auto root = SmallTree();
  root->SetAt("SUB", new CAppParamGroup)->SetAt("DEEP", new CAppParam);
  const auto noGroups = [&](CAppParam* p) { return p == root.get() || p->GetGroup() == nullptr; };
  const auto loaded = LoadFromBytes(SaveToBytes(root.get(), noGroups));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetGroup()->GetCount(), 1u);
  EXPECT_NE(loaded->GetGroup()->FindChild("L"), nullptr);

  const Bytes empty = SaveToBytes(root.get(), [](CAppParam*) { return false; });
  // Header, an empty data section, a string section with no string.
  Golden g;
  g.W({44, 0xFFFF0002, kSection}).W({28, 0xFFFF0000, kUI4, 0x12345678}).W({44, 0xFFFF0001, kUI4, 0x07082001});
  g.W({56, 0xFFFF0003, kSection}).W({68, 0xFFFF0004, kSection});
  EXPECT_EQ(empty, g.bytes);
  EXPECT_EQ(LoadFromBytes(empty), nullptr);
}

// --- Malformed input --------------------------------------------------------------

struct BadInput {
  const char* what;
  std::function<void(Bytes&)> change;
  const char* message;
};

// Offsets are those of the small tree's file (see the golden bytes above).
const BadInput kBadInputs[] = {
    {"empty file", [](Bytes& b) { b.clear(); }, "Bad pointer"},
    {"cut inside a header", [](Bytes& b) { b.resize(6); }, "Bad file size"},
    {"cut inside the string section", [](Bytes& b) { b.pop_back(); }, "Bad file size"},
    {"wrong ident", [](Bytes& b) { Put32(b, 24, 0x12345679); }, "Bad file"},
    {"wrong version", [](Bytes& b) { Put32(b, 40, 0x07082002); }, "Bad file version"},
    {"no ident", [](Bytes& b) { Put32(b, 16, 0xFFFF0004); }, "Bad file"},
    {"section of another type", [](Bytes& b) { Put32(b, 52, kParam); }, "Invalid Data"},
    {"section twice", [](Bytes& b) { Put32(b, 304, 0xFFFF0003); }, "Record name already exist"},
    {"no data section", [](Bytes& b) { Put32(b, 48, 0xFFFF0009); }, "Bad pointer"},
    {"section past the end", [](Bytes& b) { Put32(b, 300, 0x7FFFFFF0); }, "Bad file size"},
    {"element ending inside its header", [](Bytes& b) { Put32(b, 68, 70); }, "Bad data format"},
    {"element past its parent", [](Bytes& b) { Put32(b, 284, 301); }, "Bad file size"},
    {"absurd count", [](Bytes& b) { Put32(b, 284, 0xFFFFFFF0); }, "Bad file size"},
    {"field name past the string table", [](Bytes& b) { Put32(b, 72, 15); }, "Bad data index"},
    {"string value past the string table", [](Bytes& b) { Put32(b, 80, 15); }, "Bad data index"},
    {"list entry past the string table", [](Bytes& b) { Put32(b, 296, 0xFFFF0000); }, "Bad data index"},
    {"same string twice in the table", [](Bytes& b) { b[312] = 'x'; }, "Bad file format"},
    {"field stored with an unknown type", [](Bytes& b) { Put32(b, 76, 0x0803); }, "Bad data format"},
    {"payload not a whole number of entries", [](Bytes& b) { Put32(b, 76, 0x0014); }, "Bad data format"},
    {"string field stored as a number", [](Bytes& b) { Put32(b, 76, kUI4); }, "Bad Field"},
    {"number field stored as a string", [](Bytes& b) { Put32(b, 156, kString); }, "Bad Field"},
    {"list stored as a scalar", [](Bytes& b) { Put32(b, 292, kString); }, "Bad Field"},
    {"children field without the array bit", [](Bytes& b) { Put32(b, 188, kParam); }, "Bad data format"},
    {"child that is not a parameter", [](Bytes& b) { Put32(b, 200, kString); }, "Bad data format"},
    {"field name twice", [](Bytes& b) { Put32(b, 88, 1); }, "Record name already exist"},
    {"field names equal but for case", [](Bytes& b) { b[324] = 'n'; b[325] = 'a'; b[326] = 'm'; b[327] = 'e'; }, "Record name already exist"},
    {"unknown class", [](Bytes& b) { Put32(b, 196, 11); }, "Bad pointer"},
    {"data section holding no parameter", [](Bytes& b) { Put32(b, 64, kUI4); }, "Bad file"},
};

TEST(AppStreamBin, Load_MalformedInputThrowsWithItsMessage) {
  const Bytes good = SaveToBytes(SmallTree().get());
  ASSERT_EQ(good.size(), 405u);
  for (const BadInput& input : kBadInputs) {
    SCOPED_TRACE(input.what);
    Bytes bytes = good;
    input.change(bytes);
    const CAppException e = CatchAppException([&] { LoadFromBytes(bytes); });
    EXPECT_EQ(e.GetMessage(), std::string("Exception >") + input.message);
  }
}

TEST(AppStreamBin, Load_NestingBeyondTheLimitIsRefused) {
  auto deep = [](int levels) {
    auto root = std::make_unique<CAppParamGroup>();
    CAppParamGroup* at = root.get();
    for (int i = 0; i < levels; ++i) at = at->SetAt("N", new CAppParamGroup);
    return root;
  };
  EXPECT_NE(LoadFromBytes(SaveToBytes(deep(200).get())), nullptr);
  const CAppException e = CatchAppException([&] { LoadFromBytes(SaveToBytes(deep(300).get())); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad data format");
}

// --- Files ---------------------------------------------------------------------------

namespace {

// A file stream on a disk that fills up after `room` bytes.
class FullDiskFile : public CAppToolsBin::File {
public:
  explicit FullDiskFile(unsigned room) : m_nRoom(room) {}
  void _Write(const void* buffer, unsigned count) override {
    const unsigned n = std::min(count, m_nRoom);
    File::_Write(buffer, n);
    m_nRoom -= n;
    if (n < count) throw std::system_error(ENOSPC, std::generic_category(), "write");
  }

private:
  unsigned m_nRoom;
};

std::size_t FilesIn(const TempFolder& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.File(""))) ++n;
  return n;
}

}  // namespace

TEST(AppStreamBin, SaveAndLoad_File) {
  TempFolder folder;
  const std::string file = folder.File("tree.bin");
  CAppStreamBin::Save(SmallTree().get(), file);
  EXPECT_EQ(FilesIn(folder), 1u);
  const std::string text = TempFolder::ReadAll(file);
  EXPECT_EQ(Bytes(text.begin(), text.end()), SaveToBytes(SmallTree().get()));
  const std::unique_ptr<CAppParam> loaded = CAppStreamBin::Load(file);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetKey(), "G");

  EXPECT_EQ(CAppStreamBin::Load(folder.File("missing.bin")), nullptr);
}

TEST(AppStreamBin, Save_FailureLeavesThePreviousFileUnchanged) {
  TempFolder folder;
  const std::string file = folder.File("tree.bin");
  CAppParam previous;
  previous.SetKey("PREVIOUS");
  CAppStreamBin::Save(&previous, file);
  const std::string before = TempFolder::ReadAll(file);

  // The disk fills up halfway through the file.
  FullDiskFile full(200);
  CAppException e = CatchAppException([&] { CAppStreamBin::Save(SmallTree().get(), file, {}, full); });
  EXPECT_EQ(e.GetMessage(), "Exception >File not written : " + file + " (write: No space left on device)");
  EXPECT_EQ(e.GetPrgFile(), "AppStreamBin");
  EXPECT_EQ(TempFolder::ReadAll(file), before);
  EXPECT_EQ(FilesIn(folder), 1u);  // no temporary file left behind

  // A parameter fails while the file is built.
  auto root = SmallTree();
  root->SetAt("BAD", new CTestParamFailing);
  e = CatchAppException([&] { CAppStreamBin::Save(root.get(), file); });
  EXPECT_EQ(e.GetMessage(), "Exception >Broken field");
  EXPECT_EQ(TempFolder::ReadAll(file), before);
  EXPECT_EQ(FilesIn(folder), 1u);

  e = CatchAppException([&] { CAppStreamBin::Save(&previous, folder.File("no/such/folder.bin")); });
  EXPECT_EQ(e.GetMessage(), "Exception >File not create");
}
