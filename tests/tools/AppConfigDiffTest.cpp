// Differences between the example device and edited copies of it.
#include "AppConfigDiff.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "TestSupport.h"
#include "appconfig/AppParamEnumMulti.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class AppConfigDiff : public ::testing::Test {
protected:
  void SetUp() override {
    m_resources.Init();
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
    m_device = CAppStreamXML::Load("device", &m_resources, "DEVICE");
    ASSERT_NE(m_device, nullptr);
  }
  void TearDown() override {
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
  }

  std::unique_ptr<CAppParam> Copy() { return CAppStreamBin::CloneParam(m_device.get()); }
  CAppParam& At(CAppParam& root, const std::string& path) {
    CAppParam* node = root.GetGroup()->_GetAt(path);
    EXPECT_NE(node, nullptr) << path;
    return *node;
  }
  std::string Shown(CAppParam& root, const std::string& path) { return ShownValue(At(root, path), &m_resources); }

  CapturedOutput m_output;
  CAppResources m_resources;
  std::unique_ptr<CAppParam> m_device;
};

}  // namespace

void PrintTo(const Difference& d, std::ostream* out) {
  *out << "{" << d.kind << " " << d.path << " | " << d.a << " | " << d.b << "}";
}

// An equal copy has no difference; one value changed in each kind of
// parameter gives one "changed" line with the values as show prints them.
TEST_F(AppConfigDiff, EqualOrChangedValueOfEachKind_ShownAsShowDoes) {
  EXPECT_TRUE(DiffTrees(*m_device, *Copy(), &m_resources).empty());
  const std::pair<const char*, std::function<void(CAppParam&)>> edits[] = {
      {"IP\\PORT", [](CAppParam& p) { p.SetVariant(CAppVariant(std::uint32_t{503})); }},
      {"MODE", [](CAppParam& p) { p.SetVariant(CAppVariant(std::uint32_t{1})); }},
      {"STATION", [](CAppParam& p) { p.SetVariant(CAppVariant("IO-02")); }},
      {"IP\\ADDRESS", [](CAppParam& p) { Bytes b = {10, 0, 0, 1}; p.SetData(b); }},
      {"KEY", [](CAppParam& p) { Bytes b = {1, 2, 3}; p.SetData(b); }},
      {"OPTIONS", [](CAppParam& p) { p.SetVariant(CAppVariant(std::uint32_t{1}), 1); }},
      {"MODULES\\SLOT_2\\LABEL", [](CAppParam& p) { p.SetVariant(CAppVariant("Sorties")); }},
  };
  for (const auto& [path, edit] : edits) {
    const auto copy = Copy();
    edit(At(*copy, path));
    const std::vector<Difference> expected = {
        {Difference::CHANGED, path, Shown(*m_device, path), Shown(*copy, path)}};
    EXPECT_EQ(DiffTrees(*m_device, *copy, &m_resources), expected) << path;
    EXPECT_NE(expected[0].a, expected[0].b) << path;
  }
}

// A change that the formatted value does not show (past the bytes an array
// shows, in a key list that shows nothing) names the differing fields.
TEST_F(AppConfigDiff, ChangeHiddenByTheFormat_NamesTheFields) {
  const auto copy = Copy();
  Bytes mail;
  At(*copy, "MAILBOX").GetData(mail);
  mail[100] = 7;
  mail[101] = 8;
  At(*copy, "MAILBOX").SetData(mail);
  auto& watch = static_cast<CAppParamListKey&>(At(*copy, "WATCH"));
  watch.InsertAfter("MODE", watch.GetEndPosition());
  const std::vector<Difference> expected = {
      {Difference::CHANGED, "MAILBOX", "Codef : 0 (Value[100]=0, Value[101]=0)", "Codef : 0 (Value[100]=7, Value[101]=8)"},
      {Difference::CHANGED, "WATCH", "(no List[2])", "(List[2]=MODE)"},
  };
  EXPECT_EQ(DiffTrees(*m_device, *copy, &m_resources), expected);
}

TEST_F(AppConfigDiff, AddedRemovedAndReplacedChildren) {
  const auto copy = Copy();
  ASSERT_TRUE(copy->GetGroup()->RemoveParam("MODULES\\SLOT_2"));
  auto* note = copy->GetGroup()->SetAt("NOTE", new CAppParamValue);
  note->SetVariant(CAppVariant("hello"));
  // Same key, another class: not the same parameter.
  ASSERT_TRUE(copy->GetGroup()->RemoveParam("STATION"));
  copy->GetGroup()->SetAt("MODULES\\STATION", new CAppParamGroup);
  auto* station = copy->GetGroup()->SetAt("STATION", new CAppParamEnumMulti);
  ASSERT_NE(station, nullptr);
  // The new STATION, last in the copy, is neither moved nor changed.
  const std::vector<Difference> expected = {
      {Difference::REMOVED, "STATION", "IO-01", ""},
      {Difference::REMOVED, "MODULES\\SLOT_2", "", ""},
      {Difference::ADDED, "MODULES\\STATION", "", ""},
      {Difference::ADDED, "NOTE", "", "hello"},
      {Difference::ADDED, "STATION", "", ""},
  };
  EXPECT_EQ(DiffTrees(*m_device, *copy, &m_resources), expected);
}

// Reordered children are moves, as few as explain the new order; a moved
// node is still compared.
TEST_F(AppConfigDiff, ReorderedChildren_ReportedAsMoves) {
  const auto copy = Copy();
  CAppParamGroup& root = *copy->GetGroup();
  for (int i = 0; i < 3; ++i) root.MoveUp("CYCLE");  // IP MODE SPARE SERIAL CYCLE KEY ...
  At(*copy, "CYCLE").SetVariant(CAppVariant(std::uint32_t{30}));
  copy->GetGroup()->_GetAt("MODULES")->GetGroup()->MoveUp("SLOT_1");
  const std::vector<Difference> found = DiffTrees(*m_device, *copy, &m_resources);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0], (Difference{Difference::MOVED, "CYCLE", "2", "5"}));
  EXPECT_EQ(found[1], (Difference{Difference::CHANGED, "CYCLE", "20", "30"}));
  // Either slot explains the swap; exactly one is reported.
  EXPECT_EQ(found[2].kind, Difference::MOVED);
  EXPECT_TRUE(found[2].path == "MODULES\\SLOT_1" || found[2].path == "MODULES\\SLOT_2") << found[2].path;
}
