#include "appconfig/AppStreamBin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>
#include <tuple>
#include <variant>

#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRuleInterface.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppRecord.h"
#include "core/ChildProcess.h"
#include "core/TempFolder.h"
#include "core/TestSupport.h"

// Visits one field of every record type but the 64-bit integers.
struct CTestParamAll : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamAll)

  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    const char* const names[] = {"I1",    "UI1",  "I2",   "UI2",   "I4",    "UI4",  "Text",
                                 "Bits",  "Type", "Value", "Bytes", "Words", "Strings"};
    std::size_t at = 0;
    std::apply([&](auto&... field) { (record->Do(names[at++], field), ...); },
               std::tie(i1, ui1, i2, ui2, i4, ui4, text, bits, type, value, bytes, words, strings));
  }
  static void _ResourcesInit(CAppResources*) {}

  // Every field set to something other than its default.
  void Fill() {
    SetKey("ALL");
    SetName("Tout");
    SetHelp("Aide");
    ModifyFlags(0, PF_READONLY | PF_MOTOROLA);
    SetAlias("Speed");
    std::tie(i1, ui1, i2, ui2, i4, ui4) = std::make_tuple(-5, 200, -30000, 60000, -2000000000, 4000000000u);
    std::tie(text, bits, type, value) =
        std::make_tuple("Vitesse", 0x80000001u, CAppTools::Type(std::uint32_t{0x13}), std::int32_t{-7});
    bytes = {0x00, 0xFF, 0x7F};
    words = {1, 0xFFFFFFFFu};
    strings = {"un", "", "deux"};
  }

  signed char i1 = 0; unsigned char ui1 = 0; short i2 = 0; unsigned short ui2 = 0; int i4 = 0; unsigned ui4 = 0;
  std::string text; CAppTools::Flags bits; CAppTools::Type type; CAppVariant value;
  std::vector<std::uint8_t> bytes; std::vector<std::uint32_t> words; std::vector<std::string> strings;
};

// Adds the 64-bit integers, which the binary file stores and a clone refuses.
struct CTestParamWide : CTestParamAll {
  APP_DECLARE_DYNCREATE(CTestParamWide)

  void Serialize(CAppRecord* record) override {
    CTestParamAll::Serialize(record);
    record->Do("I8", i8);
    record->Do("UI8", ui8);
  }

  long long i8 = 0; unsigned long long ui8 = 0;
};

// Visits "AutoIndex" as a string, where a group visits a 32-bit number.
struct CTestParamClash : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamClash)
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("AutoIndex", text);
  }
  static void _ResourcesInit(CAppResources*) {}
  std::string text;
};

// Visits "Extra" only while `withExtra`, which no record sees, is set.
struct CTestParamOptional : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamOptional)
  void Serialize(CAppRecord* record) override {
    if (withExtra) record->Do("Extra", extra);
    CAppParam::Serialize(record);
  }
  static void _ResourcesInit(CAppResources*) {}
  bool withExtra = false;
  std::string extra;
};

APP_IMPLEMENT_DYNCREATE(CTestParamAll, CAppParam)
APP_IMPLEMENT_DYNCREATE(CTestParamWide, CTestParamAll)
APP_IMPLEMENT_DYNCREATE(CTestParamClash, CAppParam)
APP_REGISTER_CLASS(CTestParamAll, "")
APP_REGISTER_CLASS(CTestParamWide, "")
APP_REGISTER_CLASS(CTestParamClash, "")
APP_IMPLEMENT_DYNCREATE(CTestParamOptional, CAppParam)
APP_REGISTER_CLASS(CTestParamOptional, "")

namespace {

using Bytes = std::vector<std::uint8_t>;

// Every visited field, so that two parameters compare in one assertion.
auto Values(CTestParamAll& p) {
  return std::make_tuple(p.GetKey(), p.GetName(), p.GetHelp(), std::uint32_t{p.GetFlags()}, p.GetAlias(), p.i1,
                         p.ui1, p.i2, p.ui2, p.i4, p.ui4, p.text, std::uint32_t{p.bits}, p.type.GetCode(),
                         p.value.GetType(), p.value.ToString(), p.bytes, p.words, p.strings);
}

// Appends little-endian words, or a zero-terminated string, to an expected file.
void W(Bytes& bytes, std::initializer_list<std::uint32_t> words) {
  for (std::uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
}
void S(Bytes& bytes, const std::string& s) { bytes.insert(bytes.end(), s.c_str(), s.c_str() + s.size() + 1); }
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

constexpr std::uint32_t kSection = 0x0803, kParam = 0x0802, kGroup = 0x2802;
constexpr std::uint32_t kString = 0x0800, kFlags = 0x0801, kUI4 = 0x0013, kStrings = 0x2800;

CAppParamListKey* NewList(std::initializer_list<const char*> items) {
  auto* list = new CAppParamListKey;
  for (const char* item : items) list->InsertAfter(item, list->GetEndPosition());
  return list;
}

// Group G (no name, help or alias) holding the key list L = {"x"}.
std::unique_ptr<CAppParamGroup> SmallTree() {
  auto root = std::make_unique<CAppParamGroup>();
  root->SetKey("G");
  root->SetAt("L", NewList({"x"}));
  return root;
}

// DEVICE { SUB { LEAF }, LIST {a, b}, ALL (every field set) }
std::unique_ptr<CAppParamGroup> Device() {
  auto root = std::make_unique<CAppParamGroup>("Device");
  root->SetKey("DEVICE");
  root->SetRef("Base");
  root->IncAutoIndex();
  root->SetAt("SUB", new CAppParamGroup("Sub"))->SetAt("LEAF", new CAppParam);
  root->SetAt("LIST", NewList({"a", "b"}));
  root->SetAt("ALL", new CTestParamAll)->Fill();
  return root;
}
// Groups of 150 parameters with distinct names: 120 groups make a file of
// over a megabyte and a half.
std::string Numbered(const char* prefix, int i) {
  std::string text = prefix;
  text += std::to_string(i);
  return text;
}

std::unique_ptr<CAppParamGroup> LargeTree(int groups) {
  auto root = std::make_unique<CAppParamGroup>("Large");
  root->SetKey("LARGE");
  for (int g = 0; g < groups; ++g) {
    auto* group = root->SetAt(Numbered("G", g), new CAppParamGroup);
    for (int i = 0; i < 150; ++i) group->SetAt(Numbered("P", i), new CAppParam)->SetName(Numbered("N", g * 1000 + i));
  }
  return root;
}

CAppParamGroup* Sub(CAppParam* root) { return root->GetGroup()->FindChild("SUB")->GetGroup(); }
CTestParamAll* All(CAppParam* root) { return AppDynamicCast<CTestParamAll>(root->GetGroup()->FindChild("ALL")); }

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

TEST(AppStreamBin, LargeFile_EveryDestinationGetsTheSameBytesAndTheyLoadBack) {
  const auto root = LargeTree(120);
  CAppToolsBin::Memory memory(4096);
  memory._Write("stale", 5);  // replaced, not appended to
  CAppStreamBin::SaveStream(&memory, root.get());
  const Bytes bytes = memory.GetData();
  ASSERT_GT(bytes.size(), 1536u * 1024);
  EXPECT_EQ(memory.GetPosition(), memory.GetLength());

  TempFolder folder;
  CAppStreamBin::Save(root.get(), folder.File("saved.bin"));
  CAppToolsBin::File stream;  // any other stream: written in one go at the end
  ASSERT_TRUE(stream.Open(folder.File("stream.bin"), true));
  CAppStreamBin::SaveStream(&stream, root.get());
  stream.Close();
  const std::string expected(bytes.begin(), bytes.end());
  EXPECT_EQ(TempFolder::ReadAll(folder.File("saved.bin")), expected);
  EXPECT_EQ(TempFolder::ReadAll(folder.File("stream.bin")), expected);

  const std::unique_ptr<CAppParam> loaded = CAppStreamBin::Load(folder.File("saved.bin"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(SaveToBytes(loaded.get()), bytes);
}

// Every field type, loaded in place over other values so that an unwritten field shows.
TEST(AppStreamBin, RoundTrip_EveryFieldType) {
  CTestParamWide source;
  source.Fill();
  std::tie(source.i8, source.ui8) = std::make_tuple(-9000000000LL, 0xFEDCBA9876543210ULL);
  CTestParamWide target;
  target.value = CAppVariant("not replaced");
  LoadFromBytes(SaveToBytes(&source), &target);
  EXPECT_EQ(Values(target), Values(source));
  EXPECT_EQ(std::tie(target.i8, target.ui8), std::tie(source.i8, source.ui8));
}

TEST(AppStreamBin, SaveRule_LeavesOutSubtreesAndAnExcludedRootLoadsAsNothing) {
  const auto root = SmallTree();
  root->SetAt("SUB", new CAppParamGroup)->SetAt("DEEP", new CAppParam);
  // The root and no other group.
  auto kept = LoadFromBytes(SaveToBytes(root.get(), [](CAppParam* p) { return !p->GetParent() || !p->GetGroup(); }));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(std::make_tuple(kept->GetGroup()->GetCount(), kept->GetGroup()->GetKeyAt(0)), std::make_tuple(1u, "L"));

  EXPECT_EQ(LoadFromBytes(SaveToBytes(root.get(), [](CAppParam*) { return false; })), nullptr);

  // A parameter rule of the resources decides the same way, and the save owns it.
  struct LeavesOnly : CAppRuleParam {
    int Run(CAppParam* p) override { return p->GetGroup() == nullptr || p->GetParent() == nullptr; }
  };
  TempFolder folder;
  CAppStreamBin::Save(root.get(), folder.File("rule.bin"), std::make_unique<LeavesOnly>());
  EXPECT_EQ(CAppStreamBin::Load(folder.File("rule.bin"))->GetGroup()->GetCount(), 1u);
}

// --- Malformed input --------------------------------------------------------------

struct BadInput { const char* what; std::function<void(Bytes&)> change; const char* message; };

// Offsets are those of the small tree's file (see the golden bytes above).
const BadInput kBadInputs[] = {
    {"empty file", [](Bytes& b) { b.clear(); }, "Bad pointer"},
    {"cut inside a header", [](Bytes& b) { b.resize(6); }, "Bad file size"},
    {"section past the end", [](Bytes& b) { Put32(b, 300, 0x7FFFFFF0); }, "Bad file size"},
    {"element past its parent", [](Bytes& b) { Put32(b, 284, 301); }, "Bad file size"},
    {"absurd count", [](Bytes& b) { Put32(b, 284, 0xFFFFFFF0); }, "Bad file size"},
    {"field name past the string table", [](Bytes& b) { Put32(b, 72, 15); }, "Bad data index"},
    {"list entry past the string table", [](Bytes& b) { Put32(b, 296, 0xFFFF0000); }, "Bad data index"},
    {"number field stored as a string", [](Bytes& b) { Put32(b, 156, kString); }, "Bad Field"},
    {"child that is not a parameter", [](Bytes& b) { Put32(b, 200, kString); }, "Bad data format"},
    {"unknown class", [](Bytes& b) { Put32(b, 196, 11); }, "Bad pointer"},
    {"cut inside the string section", [](Bytes& b) { b.pop_back(); }, "Bad file size"},
    {"wrong ident", [](Bytes& b) { Put32(b, 24, 0x12345679); }, "Bad file"},
    {"wrong version", [](Bytes& b) { Put32(b, 40, 0x07082002); }, "Bad file version"},
    {"section of another type", [](Bytes& b) { Put32(b, 52, kParam); }, "Invalid Data"},
    {"element ending inside its header", [](Bytes& b) { Put32(b, 68, 70); }, "Bad data format"},
    {"string value past the string table", [](Bytes& b) { Put32(b, 80, 15); }, "Bad data index"},
    {"same string twice in the table", [](Bytes& b) { b[312] = 'x'; }, "Bad file format"},
    {"string field stored as a number", [](Bytes& b) { Put32(b, 76, kUI4); }, "Bad Field"},
    {"field name twice", [](Bytes& b) { Put32(b, 88, 1); }, "Record name already exist"},
};

// Also read back as an undo into the tree it was saved from, where the
// group's own child is read in place.
TEST(AppStreamBin, Load_MalformedInputThrowsWithItsMessage) {
  const Bytes good = SaveToBytes(SmallTree().get());
  for (const BadInput& input : kBadInputs) {
    SCOPED_TRACE(input.what);
    Bytes bytes = good;
    input.change(bytes);
    const CAppException e = CatchAppException([&] { LoadFromBytes(bytes); });
    EXPECT_EQ(e.GetMessage(), std::string("Exception >") + input.message);
    CAppToolsBin::Memory snapshot(4096);
    snapshot._Write(bytes.data(), static_cast<unsigned>(bytes.size()));
    const CAppException undo = CatchAppException([&] { CAppStreamBin::MakeUndo(&snapshot, SmallTree().get()); });
    EXPECT_EQ(undo.GetMessage(), e.GetMessage());
  }
}

TEST(AppStreamBin, Load_NestingBeyondTheLimitIsRefused) {
  CAppParamGroup root;
  CAppParamGroup* at = &root;
  for (int i = 0; i < 200; ++i) at = at->SetAt("N", new CAppParamGroup);
  EXPECT_NE(LoadFromBytes(SaveToBytes(&root)), nullptr);
  for (int i = 200; i < 300; ++i) at = at->SetAt("N", new CAppParamGroup);
  EXPECT_EQ(CatchAppException([&] { LoadFromBytes(SaveToBytes(&root)); }).GetMessage(), "Exception >Bad data format");
}

// --- Files ---------------------------------------------------------------------------

TEST(AppStreamBin, SaveAndLoad_AFailedSaveLeavesTheFileUnchanged) {
  TempFolder folder;
  const std::string file = folder.File("tree.bin");
  CAppStreamBin::Save(SmallTree().get(), file);
  const std::string before = TempFolder::ReadAll(file);
  EXPECT_EQ(CAppStreamBin::Load(folder.File("missing.bin")), nullptr);
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::Load(folder.File("")); }).GetMessage(),
            "Exception >File error : " + folder.File("") + " (read: Is a directory)");

  auto zero = SmallTree();
  zero->SetName(std::string("a\0b", 3));  // no string of a file holds a zero byte
  const CAppException e = CatchAppException([&] { CAppStreamBin::Save(zero.get(), file); });
  EXPECT_EQ(std::tuple(e.GetMessage(), e.GetPrgFile()), std::tuple("Exception >Invalid Data", "AppStreamBin"));
  // A disk that fills up halfway through the file.
  const ChildReport full = RunInChild(
      [&] {
        return Expected("full disk", MessageOf([&] { CAppStreamBin::Save(SmallTree().get(), file); }),
                        "Exception >File not written : " + file + " (File too large)");
      },
      ChildUser::Same, 200);
  EXPECT_EQ(full.text, "");
  // Neither a temporary file nor a changed byte is left behind.
  EXPECT_EQ(TempFolder::ReadAll(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")), {}), 1);

  const std::string nowhere = folder.File("no/such/folder.bin");
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::Save(SmallTree().get(), nowhere); }).GetMessage(),
            "Exception >File not create : " + nowhere + " (no temporary file can be made in its folder: No such file or directory)");
}

// --- Clones and undo ------------------------------------------------------------------

// A copy in new objects, and into an existing object whose children it replaces.
TEST(AppStreamBinClone, CloneParam_CopiesTheWholeTreeIntoNewObjects) {
  const auto source = Device();
  const std::unique_ptr<CAppParam> clone = CAppStreamBin::CloneParam(source.get());
  CAppParamGroup* group = AppDynamicCast<CAppParamGroup>(clone.get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(std::make_tuple(group->GetKey(), group->GetName(), group->GetRef(), group->GetAutoIndex()),
            std::make_tuple("DEVICE", "Device", "Base", 1u));
  ASSERT_EQ(group->GetCount(), 3u);
  EXPECT_EQ(std::make_tuple(Sub(group)->GetKeyAt(0), All(group)->GetParent(),
                            AppDynamicCast<CAppParamListKey>(group->FindChild("LIST"))->GetAt(1u)),
            std::make_tuple("LEAF", group, "b"));
  EXPECT_EQ(Values(*All(group)), Values(*All(source.get())));
  All(group)->text = "changed";  // new objects: the source is untouched
  Sub(group)->RemoveAll();
  EXPECT_EQ(std::make_tuple(All(source.get())->text, Sub(source.get())->GetCount()), std::make_tuple("Vitesse", 1u));

  CAppParamGroup target;
  target.SetAt("OLD", new CAppParam);
  CAppParam* into = &target;
  CAppStreamBin::CloneRecord().GetClone(into, source.get());
  EXPECT_EQ(std::make_tuple(into, target.FindChild("OLD"), target.GetCount()), std::make_tuple(&target, nullptr, 3u));
}

TEST(AppStreamBinClone, MergeParam_KeepsOwnChildrenAndMergesCommonOnes) {
  CAppParamGroup source;
  source.SetName("From source");
  source.SetAt("A", NewList({"a"}));
  source.SetAt("B", NewList({"b1", "b2"}));
  CAppParamGroup dest;
  CAppParamListKey* ownB = dest.SetAt("B", NewList({"old"}));
  CAppParamListKey* ownC = dest.SetAt("C", NewList({"c"}));
  CAppStreamBin::MergeParam(&dest, &source);
  EXPECT_EQ(std::make_tuple(dest.GetName(), dest.GetCount(), dest.GetKeyAt(0), dest.GetKeyAt(1), dest.GetKeyAt(2)),
            std::make_tuple("From source", 3u, "B", "C", "A"));
  // The same objects, B with the source's values.
  EXPECT_EQ(std::tuple(dest.FindChild("B"), ownB->GetCount(), ownB->GetAt(1u)), std::tuple(ownB, 2u, "b2"));
  EXPECT_EQ(std::make_tuple(dest.FindChild("C"), ownC->GetAt(0u)), std::make_tuple(ownC, "c"));
  EXPECT_NE(dest.FindChild("A"), source.FindChild("A"));

  // A failed merge leaves the dest's own child in place, alive.
  source.SetAt("X", new CAppParamGroup);
  auto* clash = dest.SetAt("X", new CTestParamClash);  // "AutoIndex" of another type
  const CAppException e = CatchAppException([&] { CAppStreamBin::MergeParam(&dest, &source); });
  EXPECT_EQ(e.GetMessage(), "Exception >Clone Error");
  EXPECT_EQ(std::make_tuple(dest.FindChild("X"), clash->GetKey()), std::make_tuple(clash, "X"));
}

// A merged node that a group holds stays found under the key it now has; a
// key its group holds already, and a merge of a node into its own subtree,
// are refused before anything changed.
TEST(AppStreamBinClone, MergeParam_TheParentIndexFollowsTheKey) {
  CAppParamGroup parent;
  CAppParamListKey* old = parent.SetAt("OLD", NewList({"o"}));
  CAppParamListKey* other = parent.SetAt("OTHER", NewList({"x"}));
  const std::unique_ptr<CAppParamListKey> from(NewList({"n"}));
  CAppParamListKey& source = *from;
  source.SetKey("NEW");
  CAppStreamBin::MergeParam(old, &source);
  EXPECT_EQ(std::make_tuple(parent.FindChild("NEW"), parent.FindChild("OLD"), parent.GetKeyAt(0), old->GetAt(0u)),
            std::make_tuple(static_cast<CAppParam*>(old), nullptr, "NEW", "n"));

  source.SetKey("other");
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::MergeParam(old, &source); }).GetMessage(), "Exception >Clone Error");
  EXPECT_EQ(std::make_tuple(parent.FindChild("NEW"), parent.FindChild("OTHER"), old->GetKey()),
            std::make_tuple(static_cast<CAppParam*>(old), static_cast<CAppParam*>(other), "NEW"));

  CAppParamGroup* child = parent.SetAt("CHILD", new CAppParamGroup);
  for (CAppParam* into : {static_cast<CAppParam*>(child), static_cast<CAppParam*>(&parent)}) {
    EXPECT_EQ(CatchAppException([&] { CAppStreamBin::MergeParam(into, &parent); }).GetMessage(), "Exception >Clone Error");
  }
  EXPECT_EQ(std::make_tuple(parent.GetCount(), child->GetCount()), std::make_tuple(3u, 0u));
}

// Also what AddGroupParams does: nothing without a group on both sides (LEAF).
TEST(AppStreamBinClone, AddParams_CopiesMissingChildrenAndFillsExistingGroups) {
  CAppParamGroup source;
  CAppParamGroup* theirs = source.SetAt("G", new CAppParamGroup);
  theirs->SetAt("KEEP", NewList({"theirs"}));
  theirs->SetAt("NEW", NewList({"new"}));
  source.SetAt("ONLY", NewList({"only"}));
  source.SetAt("LEAF", new CAppParam);
  CAppParamGroup destination;
  CAppParamGroup* mine = destination.SetAt("G", new CAppParamGroup);
  CAppParamListKey* keep = mine->SetAt("KEEP", NewList({"mine"}));
  CAppParamGroup* leaf = destination.SetAt("LEAF", new CAppParamGroup);  // its counterpart is no group

  CAppStreamBin::AddParams(&destination, &source, {"ONLY", "g", "NOWHERE", "LEAF"});
  EXPECT_EQ(std::make_tuple(destination.GetCount(), leaf->GetCount()), std::make_tuple(3u, 0u));
  CAppParam *only = destination.FindChild("ONLY"), *added = mine->FindChild("NEW");
  EXPECT_TRUE(only != nullptr && only != source.FindChild("ONLY"));  // copies
  // KEEP left alone, not merged; NEW copied.
  EXPECT_EQ(std::tuple(mine->GetCount(), mine->FindChild("KEEP"), keep->GetAt(0u)), std::tuple(2u, keep, "mine"));
  EXPECT_TRUE(added != nullptr && added != theirs->FindChild("NEW"));
}

// Whatever changed since the snapshot, the tree is the snapshot's again,
// every field of it; the snapshot serves more than once.
TEST(AppStreamBinClone, MakeUndo_RestoresTheSnapshotAfterAnyChange) {
  const struct {
    const char* what;
    std::function<void(CAppParamGroup&)> change;
  } changes[] = {
      {"values only", [](CAppParamGroup& root) {
         root.SetName("Edited");
         All(&root)->value = CAppVariant("edited");
         All(&root)->text = "edited";
         All(&root)->strings.clear();
         AppDynamicCast<CAppParamListKey>(root.FindChild("LIST"))->RemoveAll();
         Sub(&root)->FindChild("LEAF")->SetHelp("edited");
       }},
      {"grandchild removed", [](CAppParamGroup& root) { Sub(&root)->RemoveAll(); }},
      {"child added", [](CAppParamGroup& root) { root.SetAt("EXTRA", new CAppParam); }},
      {"child removed", [](CAppParamGroup& root) { root.RemoveParam("LIST"); }},
      {"children reordered", [](CAppParamGroup& root) { root.MoveUp("SUB"); }},
      {"class changed under the same key", [](CAppParamGroup& root) {
         root.RemoveParam("OPT");
         root.SetAt("OPT", new CAppParam);
       }},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.what);
    const auto root = Device();
    root->SetAt("OPT", new CTestParamOptional);
    const Bytes pristine = SaveToBytes(root.get());
    const std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(root.get());

    for (int round = 0; round < 2; ++round) {
      change.change(*root);
      CAppStreamBin::MakeUndo(snapshot.get(), root.get());
      EXPECT_EQ(SaveToBytes(root.get()), pristine);
    }
  }
}

// Where a group kept its shape, undo writes into the nodes that are there,
// so pointers held across it stay valid and a field the snapshot lacks keeps
// its value; only a group whose children changed in shape gets new ones.
TEST(AppStreamBinClone, MakeUndo_KeepsTheNodesOfGroupsWhoseShapeDidNotChange) {
  const struct {
    const char* what;
    std::function<void(CAppParamGroup&)> change;
    std::array<bool, 3> kept;  // SUB\LEAF, A, B
  } rows[] = {
      {"values only", [](CAppParamGroup& root) { root.FindChild("B")->SetHelp("edited"); }, {true, true, true}},
      {"grandchild added", [](CAppParamGroup& root) { Sub(&root)->SetAt("MORE", new CAppParam); },
       {false, true, true}},
      {"children reordered", [](CAppParamGroup& root) { root.MoveUp("A"); }, {false, false, false}},
      {"class changed under the same key", [](CAppParamGroup& root) {
         root.RemoveParam("A");
         root.SetAt("A", new CAppParam);
       },
       {false, false, false}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    CAppParamGroup root("Root");
    root.SetAt("SUB", new CAppParamGroup)->SetAt("LEAF", new CTestParamOptional);
    root.SetAt("A", new CTestParamOptional);
    root.SetAt("B", new CTestParamOptional)->SetHelp("before");
    const Bytes pristine = SaveToBytes(&root);
    const std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(&root);
    row.change(root);
    const auto leaves = [&root] {
      return std::array<CAppParam*, 3>{Sub(&root)->FindChild("LEAF"), root.FindChild("A"), root.FindChild("B")};
    };
    // The mark is no field of the snapshot: only a node undo kept still has it.
    for (CAppParam* leaf : leaves()) {
      if (auto* optional = AppDynamicCast<CTestParamOptional>(leaf)) optional->extra = "mark";
    }
    CAppParam* sub = root.FindChild("SUB");
    CAppStreamBin::MakeUndo(snapshot.get(), &root);

    EXPECT_EQ(SaveToBytes(&root), pristine);
    std::array<bool, 3> kept{};
    for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = static_cast<CTestParamOptional*>(leaves()[i])->extra == "mark";
    EXPECT_EQ(kept, row.kept);
    if (row.kept[1]) {
      EXPECT_EQ(root.FindChild("SUB"), sub);
    }
  }
}

// --- Variants, repeated names, varying fields -------------------------------------

namespace {

// The elements of the payload [from, to) of a file: header offset, end, name, type.
struct Element {
  std::size_t at, end;
  std::uint32_t name, type;
};
std::uint32_t Word(const Bytes& b, std::size_t at) {
  std::uint32_t w = 0;
  for (int i = 3; i >= 0; --i) w = w << 8 | b.at(at + i);
  return w;
}
std::vector<Element> Elements(const Bytes& b, std::size_t from, std::size_t to) {
  std::vector<Element> out;
  for (std::size_t at = from; at < to; at = out.back().end) out.push_back({at, Word(b, at), Word(b, at + 4), Word(b, at + 8)});
  return out;
}
// The string table of a file, and the fields of its saved parameter.
std::vector<std::string> Strings(const Bytes& b) {
  const Element section = Elements(b, 0, b.size()).at(2);
  std::vector<std::string> strings(1);
  for (std::size_t at = section.at + 12; at < section.end; ++at) {
    if (b[at] == 0) strings.emplace_back(); else strings.back().push_back(static_cast<char>(b[at]));
  }
  strings.pop_back();
  return strings;
}
std::vector<Element> Fields(const Bytes& b) {
  const Element data = Elements(b, 0, b.size()).at(1);
  const Element param = Elements(b, data.at + 12, data.end).at(0);
  return Elements(b, param.at + 12, param.end);
}
Element FieldNamed(const Bytes& b, const std::string& name) {
  const std::vector<std::string> strings = Strings(b);
  for (const Element& field : Fields(b)) {
    if (strings.at(field.name) == name) return field;
  }
  ADD_FAILURE() << "no field " << name;
  return {};
}

}  // namespace

// Each kind of value a variant holds is stored under its own type in its own
// width (a string as a string index, an empty one without entries), and read
// back over a variant that held something else.
TEST(AppStreamBin, Variant_EveryKindIsStoredInItsWidthAndReadBack) {
  using V = CAppVariant;
  const struct {
    CAppVariant value;
    std::uint32_t type;
    Bytes stored;  // a string's index is appended
  } cases[] = {
      {Typed(V::VT_I1, -5), 0x10, {0xFB}},
      {TypedU(V::VT_UI1, 200), 0x11, {0xC8}},
      {Typed(V::VT_I2, -30000), 0x02, {0xD0, 0x8A}},
      {TypedU(V::VT_UI2, 60000), 0x12, {0x60, 0xEA}},
      {Typed(V::VT_I4, -2000000000), 0x03, {0x00, 0x6C, 0xCA, 0x88}},
      {TypedU(V::VT_UI4, 4000000000u), 0x13, {0x00, 0x28, 0x6B, 0xEE}},
      {Typed(V::VT_I8, -9000000000000000), 0x14, {0x00, 0x80, 0x05, 0x35, 0x8C, 0x06, 0xE0, 0xFF}},
      {TypedU(V::VT_UI8, 0xFEDCBA9876543210u), 0x15, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}},
      {Real(V::VT_R4, 1.5), 0x04, {0x00, 0x00, 0xC0, 0x3F}},
      {Real(V::VT_R8, -0.1), 0x05, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0xBF}},
      {CAppVariant("Texte"), kString, {}},     {CAppVariant(), 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.GetType());
    CTestParamAll source;
    source.value = c.value;
    const Bytes bytes = SaveToBytes(&source);
    const Element field = FieldNamed(bytes, "Value");
    Bytes expected = c.stored;
    if (c.value.IsString()) {
      const std::vector<std::string> strings = Strings(bytes);
      W(expected, {static_cast<std::uint32_t>(std::find(strings.begin(), strings.end(), "Texte") - strings.begin())});
    }
    EXPECT_EQ(std::make_tuple(field.type, Bytes(bytes.begin() + field.at + 12, bytes.begin() + field.end)),
              std::make_tuple(c.type, expected));
    CTestParamAll target;
    target.value = c.value.IsString() ? CAppVariant("autre") : CAppVariant("Texte");
    LoadFromBytes(bytes, &target);
    EXPECT_TRUE(target.value == c.value) << target.value.GetType();
  }
}

// One field of a parameter's element changed: a header the reader cannot
// count or that does not fit is refused, a field of another kind than the
// class asks for is refused, the last of many fields renamed to a name the
// parameter has already, in any case, is refused; another integer type or a
// name the class does not ask for is read.
TEST(AppStreamBin, Load_AChangedFieldIsRefusedOrRead) {
  CTestParamAll source;
  source.Fill();
  source.text = "KEY";  // a string "KEY" in the table, for a renamed field
  const Bytes good = SaveToBytes(&source);
  const std::vector<std::string> strings = Strings(good);
  const auto index = [&](const char* text) {
    return static_cast<std::uint32_t>(std::find(strings.begin(), strings.end(), text) - strings.begin());
  };
  const auto at = [&](const char* field) { return FieldNamed(good, field).at; };
  const struct {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    const char* outcome;  // the message, or the loaded values
  } cases[] = {
      {"unknown type", at("Bits") + 8, 0x0123, "Exception >Bad data format"},
      {"size no multiple of the type's", at("Bits") + 8, 0x0015, "Exception >Bad data format"},
      {"group where a word was", at("Bits") + 8, kGroup, "Exception >Bad Field"},
      {"type none", at("I4") + 8, 0, "Exception >Bad Field"},
      {"name held already", at("Strings") + 4, index("Key"), "Exception >Record name already exist"},
      {"name held already in another case", at("Strings") + 4, index("KEY"), "Exception >Record name already exist"},
      {"other signedness", at("UI4") + 8, kUI4 - 0x10, "UI4=4000000000 I4=-2000000000"},
      {"name not asked for", at("UI4") + 4, index("Tout"), "UI4=0 I4=-2000000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = good;
    Put32(bytes, c.at, c.value);
    CTestParamAll target;
    std::string outcome;
    try {
      LoadFromBytes(bytes, &target);
      outcome = "UI4=" + std::to_string(target.ui4) + " I4=" + std::to_string(target.i4);
    } catch (const CAppException& e) {
      outcome = e.GetMessage();
    }
    EXPECT_EQ(outcome, c.outcome);
  }
}

// --- Integer fields of the host's classes ----------------------------------------

// Declares its fields as a host class written for 32-bit `long` does.
struct CTestParamLong : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamLong)
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("Offset", offset);
    record->Do("Mask", mask);
  }
  static void _ResourcesInit(CAppResources*) {}
  long offset = 0;
  unsigned long mask = 0;
};
APP_IMPLEMENT_DYNCREATE(CTestParamLong, CAppParam)
APP_REGISTER_CLASS(CTestParamLong, "")

// One integer field "N", of the width and sign its variant holds.
struct CTestParamWidth : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamWidth)
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    std::visit([&](auto& n) { record->Do("N", n); }, number);
  }
  static void _ResourcesInit(CAppResources*) {}
  std::variant<signed char, unsigned char, short, unsigned short, int, unsigned, long long, unsigned long long> number;
};
APP_IMPLEMENT_DYNCREATE(CTestParamWidth, CAppParam)
APP_REGISTER_CLASS(CTestParamWidth, "")

// `long` and `unsigned long` are 32-bit fields in the file and in clones,
// whatever their width here; a value that needs more cannot be saved.
TEST(AppStreamBin, LongFields_Are32BitFieldsInFilesAndClones) {
  CAppParamGroup source;
  auto* longs = source.SetAt("LONG", new CTestParamLong);
  std::tie(longs->offset, longs->mask) = std::make_tuple(-5L, 0xFFFFFFFFUL);
  const Bytes bytes = SaveToBytes(longs);
  const std::tuple<const char*, std::uint32_t, std::uint32_t> stored[] = {{"Offset", kUI4 - 0x10, 0xFFFFFFFBu},
                                                                         {"Mask", kUI4, 0xFFFFFFFFu}};
  for (const auto& [name, type, word] : stored) {
    SCOPED_TRACE(name);
    const Element field = FieldNamed(bytes, name);
    EXPECT_EQ(std::make_tuple(field.type, field.end - field.at - 12, Word(bytes, field.at + 12)),
              std::make_tuple(type, std::size_t{4}, word));
  }
  const auto values = [](CAppParam* p) {
    auto* l = AppDynamicCast<CTestParamLong>(p);
    return l != nullptr ? std::make_tuple(l->offset, l->mask) : std::make_tuple(0L, 0UL);
  };
  CTestParamLong loaded;
  std::tie(loaded.offset, loaded.mask) = std::make_tuple(0x7FFFFFFF00000000L, 0xFFFFFFFF00000000UL);  // high bits set
  LoadFromBytes(bytes, &loaded);
  EXPECT_EQ(values(&loaded), values(longs));
  EXPECT_EQ(values(CAppStreamBin::CloneParam(longs).get()), values(longs));

  const std::pair<long, unsigned long> tooWide[] = {{0x100000000L, 0UL}, {-0x80000001L, 0UL}, {0L, 0x100000000UL}};
  for (const auto& [offset, mask] : tooWide) {
    std::tie(longs->offset, longs->mask) = std::make_tuple(offset, mask);
    for (const auto& copy : std::initializer_list<std::function<void()>>{[&] { SaveToBytes(longs); },
                                                                        [&] { CAppStreamBin::CloneParam(longs); }}) {
      EXPECT_EQ(CatchAppException(copy).GetMessage().rfind("Exception >Value does not fit 32 bits : ", 0), 0u);
    }
  }
}

// An integer stored in another width than the class now asks for is read in
// its stored width and converted: the sign from the file, cut to the width.
TEST(AppStreamBin, Load_IntegerOfAnotherWidthIsConverted) {
  using Number = decltype(CTestParamWidth::number);
  using U2 = unsigned short;
  const struct {
    Number stored, asked, expected;
  } cases[] = {
      {short{-2}, int{}, int{-2}},
      {U2{65535}, int{}, int{65535}},
      {static_cast<signed char>(-1), 0ULL, ~0ULL},
      {0x12345678u, U2{}, U2{0x5678}},
      {0x100000005ULL, int{}, int{5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.stored.index()) + " as " + std::to_string(c.asked.index()));
    CTestParamWidth source, target;
    source.number = c.stored;
    target.number = c.asked;
    LoadFromBytes(SaveToBytes(&source), &target);
    EXPECT_TRUE(target.number == c.expected);
  }
}

// A save gives the file the mode of the one it replaces, and a new file the
// usual mode under the process's umask, which it leaves as it was.
TEST(AppStreamBin, Save_KeepsTheModeOfTheFileItReplaces) {
  TempFolder folder;
  const std::string replaced = folder.File("replaced.bin"), fresh = folder.File("fresh.bin");
  std::ofstream(replaced) << "old";
  ASSERT_EQ(::chmod(replaced.c_str(), 0604), 0);
  const mode_t before = ::umask(027);
  CAppStreamBin::Save(SmallTree().get(), replaced);
  CAppStreamBin::Save(SmallTree().get(), fresh);
  const mode_t during = ::umask(before);
  const auto mode = [](const std::string& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(std::make_tuple(mode(replaced), mode(fresh), during), std::make_tuple(0604u, 0640u, mode_t{027}));
}

// A save through a link replaces the file the link points to; a pipe is no
// file to save into, and is neither opened nor replaced.
TEST(AppStreamBin, Save_FollowsALinkAndRefusesAPipe) {
  TempFolder folder;
  const std::string pipe = folder.File("pipe.bin"), link = folder.File("link.bin"), target = folder.File("target");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::ofstream(target) << "old";
  std::filesystem::create_symlink(target, link);
  CAppStreamBin::Save(SmallTree().get(), link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  const std::unique_ptr<CAppParam> loaded = CAppStreamBin::Load(target);
  EXPECT_EQ(loaded != nullptr ? loaded->GetKey() : "null", "G");
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::Save(SmallTree().get(), pipe); }).GetMessage(),
            "Exception >File not create : " + pipe + " (not a regular file)");
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

// --- Hostile files -----------------------------------------------------------------------

// Runs out of memory while its fields are loaded.
struct CTestParamGreedy : CAppParam {
  APP_DECLARE_DYNCREATE(CTestParamGreedy)
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    if (record->IsModeLoad()) throw std::bad_alloc();
  }
  static void _ResourcesInit(CAppResources*) {}
};
APP_IMPLEMENT_DYNCREATE(CTestParamGreedy, CAppParam)
APP_REGISTER_CLASS(CTestParamGreedy, "")

namespace {

// The file with one string of its table (the last section) replaced.
Bytes ReplaceString(const Bytes& file, const std::string& from, const std::string& to) {
  const Element section = Elements(file, 0, file.size()).at(2);
  Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(section.at + 12));
  for (const std::string& s : Strings(file)) S(out, s == from ? to : s);
  Put32(out, section.at, static_cast<std::uint32_t>(out.size()));
  return out;
}

void WriteFile(const std::string& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

// Every entry of a list names one string of the table and gets its own copy:
// the copies are bounded by the file's size, so a megabyte string named
// thousands of times is refused instead of filling the memory.
TEST(AppStreamBinHostile, Load_CopiesOfATableStringPastTheFilesBoundAreRefused) {
  CAppParamGroup root;
  root.SetKey("G");
  CAppParamListKey* list = root.SetAt("L", NewList({}));
  for (int i = 0; i < 2000; ++i) list->InsertAfter("x", list->GetEndPosition());
  const Bytes honest = SaveToBytes(&root);
  EXPECT_NE(LoadFromBytes(honest), nullptr);
  const Bytes amplifying = ReplaceString(honest, "x", std::string(std::size_t{1} << 20, 'x'));
  const std::string message = CatchAppException([&] { LoadFromBytes(amplifying); }).GetMessage();
  EXPECT_EQ(message.rfind("Exception >Strings of more than ", 0), 0u) << message;
}

// A file's errors end with the file and the byte where reading stopped;
// whatever fails underneath (memory, a length past what the format
// addresses) is a CAppException too.
TEST(AppStreamBinHostile, LoadFile_ErrorsNameTheFileAndTheByte) {
  TempFolder folder;
  const std::string file = folder.File("bad.bin");
  Bytes bytes = SaveToBytes(SmallTree().get());
  Put32(bytes, 80, 15);  // a string value past the string table
  WriteFile(file, bytes);
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::Load(file); }).GetMessage(),
            "Exception >Bad data index (file " + file + ", byte 80)");

  // 4 GiB and a valid file: not read as its first bytes. Sparse, so cheap.
  WriteFile(file, SaveToBytes(SmallTree().get()));
  const std::uintmax_t length = (std::uintmax_t{1} << 32) + std::filesystem::file_size(file);
  std::filesystem::resize_file(file, length);
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::Load(file); }).GetMessage(),
            "Exception >Bad file size : " + std::to_string(length) + " bytes (file " + file + ", byte 0)");

  CTestParamGreedy greedy;
  WriteFile(file, SaveToBytes(&greedy));
  const std::string message = CatchAppException([&] { CAppStreamBin::Load(file); }).GetMessage();
  EXPECT_EQ(message.rfind("Exception >Out of memory (file " + file + ", byte ", 0), 0u) << message;
}

// A key is never taken as a path: a child keyed SUB\LEAF would otherwise
// land in SUB, or vanish there beside SUB's own LEAF. Loading and cloning
// refuse it.
TEST(AppStreamBinHostile, LoadAndClone_RefuseAKeyWithABackslash) {
  const std::unique_ptr<CAppParamGroup> root = Device();
  root->SetAt("B", new CAppParam)->SetKey("SUB\\LEAF");  // renamed after adoption
  EXPECT_EQ(CatchAppException([&] { LoadFromBytes(SaveToBytes(root.get())); }).GetMessage(),
            "Exception >Bad key : SUB\\LEAF");
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::CloneParam(root.get()); }).GetMessage(),
            "Exception >Bad key : SUB\\LEAF");
}
