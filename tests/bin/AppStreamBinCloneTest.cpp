#include <gtest/gtest.h>

#include "StreamBinTestParams.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamBin.h"
#include "core/TestSupport.h"

namespace {

CAppParamListKey* NewList(std::initializer_list<const char*> items) {
  auto* list = new CAppParamListKey;
  for (const char* item : items) list->InsertAfter(item, list->GetEndPosition());
  return list;
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

CAppParamGroup* Sub(CAppParam* root) { return root->GetGroup()->FindChild("SUB")->GetGroup(); }

CTestParamAll* All(CAppParam* root) { return AppDynamicCast<CTestParamAll>(root->GetGroup()->FindChild("ALL")); }

}  // namespace

// A copy in new objects, and into an existing object whose children it replaces.
TEST(AppStreamBinClone, CloneParam_CopiesTheWholeTreeIntoNewObjects) {
  const auto source = Device();
  const std::unique_ptr<CAppParam> clone = CAppStreamBin::CloneParam(source.get());
  CAppParamGroup* group = AppDynamicCast<CAppParamGroup>(clone.get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(std::make_tuple(group->GetKey(), group->GetName(), group->GetRef(), group->GetAutoIndex()),
            std::make_tuple("DEVICE", "Device", "Base", 1u));
  ASSERT_EQ(group->GetCount(), 3u);
  for (unsigned i = 0; i < 3; ++i) {
    CAppParam* mine = group->FindChild(source->GetKeyAt(i));
    EXPECT_EQ(group->GetKeyAt(i), source->GetKeyAt(i));
    EXPECT_NE(mine, source->FindChild(source->GetKeyAt(i)));
    EXPECT_EQ(mine->GetParent(), group);
  }
  EXPECT_NE(Sub(group)->FindChild("LEAF"), nullptr);
  EXPECT_EQ(AppDynamicCast<CAppParamListKey>(group->FindChild("LIST"))->GetAt(1u), "b");
  EXPECT_EQ(Values(*All(group)), Values(*All(source.get())));
  All(group)->text = "changed";
  Sub(group)->RemoveAll();
  EXPECT_EQ(All(source.get())->text, "Vitesse");
  EXPECT_EQ(Sub(source.get())->GetCount(), 1u);

  CAppParamGroup target;
  target.SetAt("OLD", new CAppParam);
  CAppParam* into = &target;
  CAppStreamBin::CloneRecord().GetClone(into, source.get());
  EXPECT_EQ(into, &target);
  EXPECT_EQ(target.FindChild("OLD"), nullptr);
  EXPECT_EQ(target.GetCount(), 3u);
}

TEST(AppStreamBinClone, GetClone_Invalid) {
  CAppParam* none = nullptr;
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::CloneRecord().GetClone(none, nullptr); }).GetMessage(),
            "Exception >Bad pointer");
  // 64-bit fields are not cloned; the half-built clone is released.
  CTestParamWide wide;
  const CAppException e = CatchAppException([&] { CAppStreamBin::CloneRecord().GetClone(none, &wide); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppStreamBin");
  EXPECT_EQ(none, nullptr);
  // Cloning over an ancestor would destroy the source while it is copied.
  const auto root = Device();
  CAppParam* ancestor = root.get();
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::CloneRecord().GetClone(ancestor, Sub(ancestor)); }).GetMessage(),
            "Exception >Clone Error");
  EXPECT_EQ(Sub(root.get())->GetCount(), 1u);
}

TEST(AppStreamBinClone, MergeParam_KeepsOwnChildrenAndMergesCommonOnes) {
  CAppParamGroup source;
  source.SetName("From source");
  source.SetAt("A", NewList({"a"}));
  source.SetAt("B", NewList({"b1", "b2"}));
  CAppParamGroup destination;
  CAppParamListKey* ownB = destination.SetAt("B", NewList({"old"}));
  CAppParamListKey* ownC = destination.SetAt("C", NewList({"c"}));
  CAppStreamBin::MergeParam(&destination, &source);
  EXPECT_EQ(destination.GetName(), "From source");
  ASSERT_EQ(destination.GetCount(), 3u);
  EXPECT_EQ(std::make_tuple(destination.GetKeyAt(0), destination.GetKeyAt(1), destination.GetKeyAt(2)),
            std::make_tuple("B", "C", "A"));
  EXPECT_EQ(destination.FindChild("B"), ownB);  // the same object, with the source's values
  EXPECT_EQ(ownB->GetCount(), 2u);
  EXPECT_EQ(ownB->GetAt(1u), "b2");
  EXPECT_EQ(destination.FindChild("C"), ownC);
  EXPECT_EQ(ownC->GetAt(0u), "c");
  EXPECT_NE(destination.FindChild("A"), source.FindChild("A"));

  // A failed merge leaves the destination's own child in place, alive.
  source.SetAt("X", new CAppParamGroup);
  auto* clash = destination.SetAt("X", new CTestParamClash);  // "AutoIndex" of another type
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::MergeParam(&destination, &source); }).GetMessage(),
            "Exception >Clone Error");
  EXPECT_EQ(destination.FindChild("X"), clash);
  EXPECT_EQ(clash->GetKey(), "X");
}

TEST(AppStreamBinClone, AddParams_CopiesMissingChildrenAndFillsExistingGroups) {
  CAppParamGroup source;
  CAppParamGroup* theirs = source.SetAt("G", new CAppParamGroup);
  theirs->SetAt("KEEP", NewList({"theirs"}));
  theirs->SetAt("NEW", NewList({"new"}));
  source.SetAt("ONLY", NewList({"only"}));
  CAppParamGroup destination;
  CAppParamGroup* mine = destination.SetAt("G", new CAppParamGroup);
  CAppParamListKey* keep = mine->SetAt("KEEP", NewList({"mine"}));

  CAppStreamBin::AddParams(&destination, &source, {"ONLY", "g", "NOWHERE"});
  EXPECT_EQ(destination.GetCount(), 2u);
  ASSERT_NE(destination.FindChild("ONLY"), nullptr);
  EXPECT_NE(destination.FindChild("ONLY"), source.FindChild("ONLY"));
  EXPECT_EQ(mine->GetCount(), 2u);
  EXPECT_EQ(mine->FindChild("KEEP"), keep);  // left alone, not merged
  EXPECT_EQ(keep->GetAt(0u), "mine");
  ASSERT_NE(mine->FindChild("NEW"), nullptr);
  EXPECT_NE(mine->FindChild("NEW"), theirs->FindChild("NEW"));
}

TEST(AppStreamBinClone, AddGroupParams_NothingWithoutAGroupOnBothSides) {
  CAppParamGroup source;
  source.SetAt("G", new CAppParam);
  source.SetAt("ONLY", new CAppParamGroup)->SetAt("CHILD", new CAppParam);
  CAppParam leaf;
  leaf.SetKey("ONLY");
  CAppStreamBin::AddGroupParams(&leaf, &source);  // not a group
  CAppParamGroup lonely;
  lonely.SetKey("G");
  CAppStreamBin::AddGroupParams(&lonely, &source);  // its counterpart is no group
  EXPECT_EQ(lonely.GetCount(), 0u);
  lonely.SetKey("ONLY");
  CAppStreamBin::AddGroupParams(&lonely, &source);
  EXPECT_NE(lonely.FindChild("CHILD"), nullptr);
}

TEST(AppStreamBinClone, MakeUndo_RestoresEveryFieldOfTheSubtree) {
  const auto root = Device();
  const auto pristine = Device();
  const std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(root.get());
  for (int round = 0; round < 2; ++round) {  // the snapshot serves more than once
    root->SetName("Edited");
    root->SetRef("");
    All(root.get())->value = CAppVariant("edited");
    All(root.get())->strings.clear();
    Sub(root.get())->RemoveAll();
    root->SetAt("EXTRA", new CAppParam);
    CAppStreamBin::MakeUndo(snapshot.get(), root.get());
    EXPECT_EQ(std::make_tuple(root->GetName(), root->GetRef()), std::make_tuple("Device", "Base"));
    EXPECT_EQ(root->FindChild("EXTRA"), nullptr);
    EXPECT_NE(Sub(root.get())->FindChild("LEAF"), nullptr);
    EXPECT_EQ(Values(*All(root.get())), Values(*All(pristine.get())));
  }
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::MakeUndo(snapshot.get(), nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}
