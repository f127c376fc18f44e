#include "appconfig/AppParam.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppParamGroup.h"

namespace {

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

TEST(AppParam, PathAndFullKey) {
  CAppParamGroup root;
  root.SetKey("Root");
  auto* group = root.SetAt("G", new CAppParamGroup);
  auto* leaf = group->SetAt("Leaf", new CAppParam);
  std::string path = "junk";
  EXPECT_EQ(leaf->GetPath(path), &root);
  EXPECT_EQ(path, "G\\Leaf");
  EXPECT_EQ(leaf->GetFullKey(), "Root\\G\\Leaf");
  CAppParam lonely;
  EXPECT_EQ(lonely.GetPath(path), nullptr);  // a leaf root has no group
  EXPECT_EQ(path, "");
}

TEST(AppParam, UnsupportedValueOperationsOnlyTrace) {
  CAppParam p;
  p.SetKey("Plain");
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParam key: Plain";
  const std::uint32_t gets = log.CountOf(get);
  EXPECT_TRUE(p.GetVariant(3).IsEmpty());
  EXPECT_EQ(log.CountOf(get), gets + 1);
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
  EXPECT_EQ(CatchAppException([&] { root.DataSerialize(nullptr); }).GetMessage(), "Exception >Bad pointer");
}

TEST(AppParam, CheckHonoursNoCheckFlagsAndStopsAtFirstFailure) {
  CAppParamGroup root;
  auto* g = root.SetAt("G", new CAppParamGroup);
  auto* inner = g->SetAt("Inner", new ProbeParam);
  auto* outer = root.SetAt("Outer", new ProbeParam);
  auto* last = root.SetAt("Last", new ProbeParam);
  root.Check();
  g->ModifyFlags(0, PF_NO_CHECK_SUBTREE);
  root.Check();
  g->ModifyFlags(PF_NO_CHECK_SUBTREE, PF_NO_CHECK);
  outer->ModifyFlags(0, PF_NO_CHECK);
  root.Check();
  EXPECT_EQ(std::vector<int>({inner->checks, outer->checks, last->checks}), std::vector<int>({1, 2, 3}));
  outer->ModifyFlags(PF_NO_CHECK, 0);
  outer->fail = true;
  EXPECT_EQ(CatchAppException([&] { root.Check(); }).GetMessage(), "Exception >probe failed");
  EXPECT_EQ(last->checks, 3);  // stops at the first failure
}
