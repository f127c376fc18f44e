#include "appconfig/AppParam.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRecord.h"

namespace {

// A save record that writes down each visited field.
class FieldListRecord : public CAppRecord {
public:
  void Serialize(void* /*value*/, unsigned /*index*/) override {}
  void Validate() override { fields.push_back(GetName()); }
  std::vector<std::string> fields;
};

// A leaf that counts its own checks and occupies a fixed number of bits.
class ProbeParam : public CAppParam {
  APP_DECLARE_DYNCREATE(ProbeParam)
public:
  void _Check() override {
    ++checks;
    if (fail) APP_THROW("probe failed");
  }
  void DataSerialize(CAppDataRecord* record) override {
    if (IsDataSerializable(record, 12)) ++transfers;
  }
  int checks = 0;
  int transfers = 0;
  bool fail = false;
};
APP_IMPLEMENT_DYNCREATE(ProbeParam, CAppParam)

}  // namespace

TEST(AppParam, ConstructedEmpty) {
  CAppParam p;
  EXPECT_EQ(p.GetKey(), "");
  EXPECT_EQ(p.GetParent(), nullptr);
  EXPECT_EQ(static_cast<std::uint32_t>(p.GetFlags()), 0u);
  EXPECT_EQ(p.GetGroup(), nullptr);
  EXPECT_EQ(p.GetClassName(), "CAppParam");
  EXPECT_EQ(p.GetBaseClassName(), "CAppObject");
  EXPECT_EQ(CAppParamGroup().GetBaseClassName(), "CAppParam");
}

TEST(AppParam, PathAndFullKey) {
  CAppParamGroup root;
  root.SetKey("Root");
  auto* group = root.SetAt("G", new CAppParamGroup);
  auto* leaf = group->SetAt("Leaf", new CAppParam);

  std::string path = "junk";
  EXPECT_EQ(root.GetPath(path), &root);
  EXPECT_EQ(path, "");
  EXPECT_EQ(group->GetPath(), "G");
  EXPECT_EQ(group->GetFullKey(), "Root\\G");
  EXPECT_EQ(leaf->GetPath(path), &root);
  EXPECT_EQ(path, "G\\Leaf");
  EXPECT_EQ(leaf->GetFullKey(), "Root\\G\\Leaf");

  CAppParam lonely;
  EXPECT_EQ(lonely.GetPath(path), nullptr);  // a leaf root has no group
  EXPECT_EQ(path, "");
}

TEST(AppParam, PresentationWithoutResources) {
  CAppParam p;
  p.SetName("Vitesse");
  EXPECT_EQ(p.GetName(), "Vitesse");
  EXPECT_EQ(p.GetUnit(), "");
  EXPECT_EQ(p.GetFmtValue(), "");  // no own format and an empty variant
}

TEST(AppParam, UnsupportedValueOperationsOnlyTrace) {
  CAppParam p;
  p.SetKey("Plain");
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParam key: Plain";
  const std::string set = "SetVariant not supported for class : CAppParam key: Plain";
  const std::uint32_t gets = log.CountOf(get), sets = log.CountOf(set);
  EXPECT_TRUE(p.GetVariant().IsEmpty());
  EXPECT_TRUE(p.GetVariant(3).IsEmpty());
  p.SetVariant(CAppVariant("x"));
  EXPECT_EQ(p.GetBitSize(), 0u);
  p.SetBitSize(8);
  EXPECT_EQ(log.CountOf(get), gets + 2);
  EXPECT_EQ(log.CountOf(set), sets + 1);
  EXPECT_GE(log.CountOf("GetBitSize not supported for class : CAppParam key: Plain"), 1u);
  EXPECT_GE(log.CountOf("SetBitSize not supported for class : CAppParam key: Plain"), 1u);
}

TEST(AppParam, SerializeVisitsCommonFieldsFirst) {
  FieldListRecord record;
  CAppParam p;
  p.Serialize(&record);
  EXPECT_EQ(record.fields, (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias"}));

  FieldListRecord groupRecord;
  CAppParamGroup g;
  g.Serialize(&groupRecord);
  EXPECT_EQ(groupRecord.fields, (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias",
                                                          "AutoIndex", "Parent", "Param"}));
  EXPECT_EQ(CatchAppException([&] { p.Serialize(nullptr); }).GetPrgFile(), "AppParam");
}

TEST(AppParam, DataSerializeSkipsNoDataNodes) {
  CAppParamGroup root;
  auto* a = root.SetAt("A", new ProbeParam);
  auto* b = root.SetAt("B", new ProbeParam);
  root.SetAt("Plain", new CAppParam);
  b->ModifyFlags(0, PF_NO_DATA);
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(a->transfers, 1);
  EXPECT_EQ(b->transfers, 0);
  EXPECT_EQ(record.GetPosition(), 12u);  // only the skip of B moved the cursor here
  EXPECT_EQ(CatchAppException([&] { root.DataSerialize(nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}

TEST(AppParam, CheckHonoursNoCheckFlags) {
  CAppParamGroup root;
  auto* g = root.SetAt("G", new CAppParamGroup);
  auto* inner = g->SetAt("Inner", new ProbeParam);
  auto* outer = root.SetAt("Outer", new ProbeParam);

  root.Check();
  EXPECT_EQ(inner->checks, 1);
  EXPECT_EQ(outer->checks, 1);

  g->ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  root.Check();
  EXPECT_EQ(inner->checks, 1);
  EXPECT_EQ(outer->checks, 2);

  g->ModifyFlags(PF_NO_CHECK_SUBTREE, PF_NO_CHECK);
  outer->ModifyFlags(0, PF_NO_CHECK);
  root.Check();
  EXPECT_EQ(inner->checks, 1);
  EXPECT_EQ(outer->checks, 2);
}

TEST(AppParam, CheckStopsAtFirstFailure) {
  CAppParamGroup root;
  auto* first = root.SetAt("First", new ProbeParam);
  auto* second = root.SetAt("Second", new ProbeParam);
  first->fail = true;
  const CAppException e = CatchAppException([&] { root.Check(); });
  EXPECT_EQ(e.GetMessage(), "Exception >probe failed");
  EXPECT_EQ(second->checks, 0);
}

TEST(AppParam, ObjectSizeAndCountCoverTheSubtree) {
  CAppParamGroup root;
  auto* g = root.SetAt("G", new CAppParamGroup);
  g->SetAt("X", new CAppParam);
  EXPECT_EQ(root.ObjectCount(), 3u);
  EXPECT_EQ(root.ObjectSize(), 2 * sizeof(CAppParamGroup) + sizeof(CAppParam));
}
