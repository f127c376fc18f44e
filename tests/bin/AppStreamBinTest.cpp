#include "appconfig/AppStreamBin.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
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
APP_REGISTER_CLASS(CTestParamAll, "")
APP_REGISTER_CLASS(CTestParamWide, "")
APP_REGISTER_CLASS(CTestParamVersioned, "")
APP_REGISTER_CLASS(CTestParamClash, "")

namespace {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian words, or a zero-terminated string, to an expected file.
void W(Bytes& bytes, std::initializer_list<std::uint32_t> words) {
  for (std::uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
  }
}
void S(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.c_str(), text.c_str() + text.size() + 1);
}

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

// The parameter read from `bytes` (null for an empty data section), or
// `into` filled in place, then not owned by the result.
std::unique_ptr<CAppParam> LoadFromBytes(const Bytes& bytes, CAppParam* into = nullptr) {
  CAppToolsBin::Memory memory(4096);
  memory._Write(bytes.data(), static_cast<unsigned>(bytes.size()));
  CAppParam* param = into;
  CAppStreamBin::LoadStream load(&memory, param);
  return std::unique_ptr<CAppParam>(into == nullptr ? param : nullptr);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

TEST(AppStreamBin, SaveStream_GoldenBytes) {
  const auto root = SmallTree();
  Bytes g;
  // Header section: {end 44, SYS_HEADER_SECTION, section}.
  W(g, {44, 0xFFFF0002, kSection});
  W(g, {28, 0xFFFF0000, kUI4, 0x12345678});  // 12: ident
  W(g, {44, 0xFFFF0001, kUI4, 0x07082001});  // 28: version
  // 44: data section, up to the string section at 300.
  W(g, {300, 0xFFFF0003, kSection});
  // 56: the group element; class name "CAppParamGroup" is string 14.
  W(g, {300, 14, kParam});
  W(g, {84, 1, kString, 0});                // 68: Key = "G" (0), name "Key" (1)
  W(g, {100, 3, kString, 2});               // 84: Name = "" (2), name "Name" (3)
  W(g, {116, 4, kString, 2});               // 100: Help = "" shares 2, name "Help" (4)
  W(g, {132, 5, kFlags, 0});                // 116: Flags = 0, name "Flags" (5)
  W(g, {148, 6, kString, 2});               // 132: Alias = "", name "Alias" (6)
  W(g, {164, 7, kUI4, 0});                  // 148: AutoIndex = 0, name "AutoIndex" (7)
  W(g, {180, 8, kString, 2});               // 164: Parent = "", name "Parent" (8)
  W(g, {300, 13, kGroup});                  // 180: Param, name "Param" (13): the children
  W(g, {300, 12, kParam});                  // 192: the key list, "CAppParamListKey" (12)
  W(g, {220, 1, kString, 9});               // 204: Key = "L" (9)
  W(g, {236, 3, kString, 2});               // 220: Name
  W(g, {252, 4, kString, 2});               // 236: Help
  W(g, {268, 5, kFlags, 0});                // 252: Flags
  W(g, {284, 6, kString, 2});               // 268: Alias
  W(g, {300, 11, kStrings, 10});            // 284: List = {"x" (10)}, name "List" (11)
  // 300: string section, strings in the order they were first written.
  W(g, {405, 0xFFFF0004, kSection});
  for (const char* s : {"G", "Key", "", "Name", "Help", "Flags", "Alias", "AutoIndex", "Parent", "L", "x",
                        "List", "CAppParamListKey", "Param", "CAppParamGroup"})
    S(g, s);
  EXPECT_EQ(SaveToBytes(root.get()), g);
}

TEST(AppStreamBin, SaveStream_StringValueSharesTheIndexOfAFieldName) {
  CAppParam param;
  param.SetKey("K");
  param.SetName("Key");
  const Bytes bytes = SaveToBytes(&param);
  Bytes strings;  // one "Key" for the value and the field name
  for (const char* s : {"K", "Key", "Name", "", "Help", "Flags", "Alias", "CAppParam"}) S(strings, s);
  EXPECT_EQ(Bytes(bytes.end() - std::min(bytes.size(), strings.size()), bytes.end()), strings);
}

// Every field type, the variant with each of its types, loaded in place over
// other values so that an unwritten field shows.
TEST(AppStreamBin, RoundTrip_EveryFieldTypeAndVariantType) {
  std::vector<CAppVariant> variants = {CAppVariant(), CAppVariant("texte"), CAppVariant(std::int32_t{-2}),
                                       CAppVariant(std::uint32_t{0xFFFFFFFFu}), CAppVariant(-(std::int64_t{1} << 40)),
                                       CAppVariant(std::uint64_t{1} << 63), CAppVariant(2.5)};
  variants.resize(11);
  variants[7].SetInt(CAppVariant::VT_I1, -1);
  variants[8].SetUInt(CAppVariant::VT_UI1, 255);
  variants[9].SetInt(CAppVariant::VT_I2, -300);
  variants[10].SetDouble(CAppVariant::VT_R4, 0.1);
  for (const CAppVariant& value : variants) {
    CTestParamWide source;
    source.Fill();
    source.value = value;
    source.i8 = -9000000000LL;
    source.ui8 = 0xFEDCBA9876543210ULL;
    CTestParamWide target;
    target.value = CAppVariant("not replaced");
    LoadFromBytes(SaveToBytes(&source), &target);
    EXPECT_EQ(Values(target), Values(source)) << value.ToString();
    EXPECT_TRUE(target.value == value) << value.ToString();
    EXPECT_EQ(std::tie(target.i8, target.ui8), std::tie(source.i8, source.ui8));
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
  EXPECT_EQ(read->speed, 42u);
  EXPECT_EQ(read->added, 7u);    // missing: the class's default
  EXPECT_EQ(read->old, "old");   // skipped: never visited
}

TEST(AppStreamBin, Load_FieldNamesMatchWithoutRegardToCase) {
  Bytes bytes = SaveToBytes(SmallTree().get());
  bytes[315] = 'E';  // "Key" (string 1, after "G\0" at 312) becomes "KEY"
  bytes[316] = 'Y';
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
  Bytes g;
  W(g, {44, 0xFFFF0002, kSection, 28, 0xFFFF0000, kUI4, 0x12345678, 44, 0xFFFF0001, kUI4, 0x07082001});
  W(g, {56, 0xFFFF0003, kSection, 68, 0xFFFF0004, kSection});
  EXPECT_EQ(empty, g);
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
    {"field names equal but for case", [](Bytes& b) { std::copy_n("name", 4, &b[324]); }, "Record name already exist"},
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

}  // namespace

TEST(AppStreamBin, SaveAndLoad_FileAndFailedSavesLeaveItUnchanged) {
  TempFolder folder;
  const std::string file = folder.File("tree.bin");
  CAppStreamBin::Save(SmallTree().get(), file);
  const std::string before = TempFolder::ReadAll(file);
  EXPECT_EQ(Bytes(before.begin(), before.end()), SaveToBytes(SmallTree().get()));
  const std::unique_ptr<CAppParam> loaded = CAppStreamBin::Load(file);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetKey(), "G");
  EXPECT_EQ(CAppStreamBin::Load(folder.File("missing.bin")), nullptr);
  // Neither a temporary file nor a changed byte is left behind.
  const auto expectUnchanged = [&] {
    EXPECT_EQ(TempFolder::ReadAll(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")), {}), 1);
  };

  auto other = SmallTree();  // the disk fills up halfway through the file
  other->SetKey("OTHER");
  FullDiskFile full(200);
  CAppException e = CatchAppException([&] { CAppStreamBin::Save(other.get(), file, {}, full); });
  EXPECT_EQ(e.GetMessage(), "Exception >File not written : " + file + " (write: No space left on device)");
  EXPECT_EQ(e.GetPrgFile(), "AppStreamBin");
  expectUnchanged();

  auto root = SmallTree();  // a parameter fails while the file is built
  root->SetAt("BAD", new CTestParamVersioned);
  CTestParamVersioned::version = 0;
  e = CatchAppException([&] { CAppStreamBin::Save(root.get(), file); });
  CTestParamVersioned::version = 2;
  EXPECT_EQ(e.GetMessage(), "Exception >Broken field");
  expectUnchanged();

  e = CatchAppException([&] { CAppStreamBin::Save(other.get(), folder.File("no/such/folder.bin")); });
  EXPECT_EQ(e.GetMessage(), "Exception >File not create");
}
