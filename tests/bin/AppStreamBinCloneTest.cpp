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
  root->IncAutoIndex();
  root->SetRef("Base");
  root->SetAt("SUB", new CAppParamGroup("Sub"))->SetAt("LEAF", new CAppParam);
  root->SetAt("LIST", NewList({"a", "b"}));
  auto* all = new CTestParamAll;
  all->Fill();
  root->SetAt("ALL", all);
  return root;
}

CAppParamGroup* Sub(CAppParam* root) { return root->GetGroup()->FindChild("SUB")->GetGroup(); }

CTestParamAll* All(CAppParam* root) {
  return AppDynamicCast<CTestParamAll>(root->GetGroup()->FindChild("ALL"));
}

}  // namespace

TEST(AppStreamBinClone, CloneParam_CopiesTheWholeTreeIntoNewObjects) {
  const auto source = Device();
  const std::unique_ptr<CAppParam> clone = CAppStreamBin::CloneParam(source.get());
  CAppParamGroup* group = AppDynamicCast<CAppParamGroup>(clone.get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetKey(), "DEVICE");
  EXPECT_EQ(group->GetName(), "Device");
  EXPECT_EQ(group->GetAutoIndex(), 1u);
  EXPECT_EQ(group->GetRef(), "Base");
  ASSERT_EQ(group->GetCount(), 3u);
  for (unsigned i = 0; i < 3; ++i) {
    const std::string key = source->GetKeyAt(i);
    EXPECT_EQ(group->GetKeyAt(i), key);
    CAppParam* mine = group->FindChild(key);
    CAppParam* theirs = source->FindChild(key);
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(mine->GetClassName(), theirs->GetClassName());
    EXPECT_EQ(mine->GetParent(), group);
  }
  EXPECT_NE(Sub(group)->FindChild("LEAF"), nullptr);
  EXPECT_EQ(AppDynamicCast<CAppParamListKey>(group->FindChild("LIST"))->GetAt(1u), "b");
  ExpectSameValues(*All(group), *All(source.get()));

  All(group)->text = "changed";
  Sub(group)->RemoveAll();
  EXPECT_EQ(All(source.get())->text, "Vitesse");
  EXPECT_EQ(Sub(source.get())->GetCount(), 1u);
}

TEST(AppStreamBinClone, GetClone_IntoAnExistingObjectReplacesItsChildren) {
  const auto source = Device();
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
  CAppParam* clone = nullptr;
  const CAppException e = CatchAppException([&] { CAppStreamBin::CloneRecord().GetClone(clone, &wide); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppStreamBin");
  EXPECT_EQ(clone, nullptr);

  // Cloning over an ancestor would destroy the source while it is copied.
  const auto root = Device();
  CAppParam* ancestor = root.get();
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::CloneRecord().GetClone(ancestor, Sub(root.get())); })
                .GetMessage(),
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
  EXPECT_EQ(destination.GetKeyAt(0), "B");
  EXPECT_EQ(destination.GetKeyAt(1), "C");
  EXPECT_EQ(destination.GetKeyAt(2), "A");
  EXPECT_EQ(destination.FindChild("B"), ownB);  // the same object, with the source's values
  EXPECT_EQ(ownB->GetCount(), 2u);
  EXPECT_EQ(ownB->GetAt(1u), "b2");
  EXPECT_EQ(destination.FindChild("C"), ownC);
  EXPECT_EQ(ownC->GetAt(0u), "c");
  EXPECT_NE(destination.FindChild("A"), source.FindChild("A"));
}

TEST(AppStreamBinClone, MergeParam_FailureLeavesTheDestinationsChildrenAlive) {
  CAppParamGroup source;
  source.SetAt("X", new CAppParamGroup);
  CAppParamGroup destination;
  auto* own = destination.SetAt("X", new CTestParamClash);  // "AutoIndex" of another type
  const CAppException e = CatchAppException([&] { CAppStreamBin::MergeParam(&destination, &source); });
  EXPECT_EQ(e.GetMessage(), "Exception >Clone Error");
  EXPECT_EQ(destination.FindChild("X"), own);
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

  // A destination that is no group, or without a group counterpart: nothing.
  CAppParam leaf;
  leaf.SetKey("G");
  CAppStreamBin::AddGroupParams(&leaf, &source);
  CAppParamGroup lonely;
  lonely.SetKey("ONLY");
  CAppStreamBin::AddGroupParams(&lonely, &source);
  EXPECT_EQ(lonely.GetCount(), 0u);
}

TEST(AppStreamBinClone, MakeUndo_RestoresEveryFieldOfTheSubtree) {
  const auto root = Device();
  const auto pristine = Device();
  const std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(root.get());
  for (int round = 0; round < 2; ++round) {
    root->SetName("Edited");
    root->SetRef("");
    All(root.get())->Fill();
    All(root.get())->value = CAppVariant("edited");
    All(root.get())->strings.clear();
    Sub(root.get())->RemoveAll();
    root->SetAt("EXTRA", new CAppParam);

    CAppStreamBin::MakeUndo(snapshot.get(), root.get());
    EXPECT_EQ(root->GetName(), "Device");
    EXPECT_EQ(root->GetRef(), "Base");
    EXPECT_EQ(root->FindChild("EXTRA"), nullptr);
    EXPECT_NE(Sub(root.get())->FindChild("LEAF"), nullptr);
    ExpectSameValues(*All(root.get()), *All(pristine.get()));
  }
  EXPECT_EQ(CatchAppException([&] { CAppStreamBin::MakeUndo(snapshot.get(), nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}
