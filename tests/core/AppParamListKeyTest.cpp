#include "appconfig/AppParamListKey.h"

#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"

namespace {

std::vector<std::string> Entries(CAppParamListKey& list) {
  std::vector<std::string> out;
  for (auto pos = list.GetStartPosition(); pos;) out.push_back(list.GetNext(pos));
  return out;
}

std::unique_ptr<CAppParamListKey> MakeList(std::initializer_list<const char*> entries) {
  auto list = std::make_unique<CAppParamListKey>();
  for (const char* e : entries) list->InsertAfter(e, CAppParamListKey::Position());
  return list;
}

}  // namespace

TEST(AppParamListKey, Find_Wildcards) {
  EXPECT_FALSE(CAppParamListKey().Find(""));
  EXPECT_TRUE(MakeList({""})->Find(""));
  EXPECT_FALSE(MakeList({""})->Find("A"));
  const auto star = MakeList({"A*"});
  EXPECT_TRUE(star->Find("A"));
  EXPECT_TRUE(star->Find("abc"));
  EXPECT_FALSE(star->Find("BA"));
  EXPECT_FALSE(MakeList({"A?"})->Find("A"));
  EXPECT_TRUE(MakeList({"AB?"})->Find("abz"));
  EXPECT_FALSE(MakeList({"AB?"})->Find("abzz"));
  EXPECT_TRUE(MakeList({"A*Z"})->Find("AB"));
  EXPECT_FALSE(MakeList({"ab"})->Find("ab"));  // entries are not upper-cased
  EXPECT_TRUE(MakeList({"X", "*"})->Find("anything"));
}

TEST(AppParamListKey, InsertAndWalkBothWays) {
  auto owned = MakeList({"B", "C"});
  CAppParamListKey& list = *owned;
  list.InsertBefore("head", CAppParamListKey::Position());
  list.InsertAfter("tail", CAppParamListKey::Position());
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"head", "B", "C", "tail"}));
  auto pos = list.GetStartPosition();
  list.GetNext(pos);
  const auto afterB = list.InsertAfter("B2", pos);  // pos is at B
  list.InsertBefore("B1", pos);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"head", "B1", "B", "B2", "C", "tail"}));
  EXPECT_TRUE(list.RemoveAt(afterB));
  std::vector<std::string> backward;
  for (auto p = list.GetEndPosition(); p;) backward.push_back(list.GetPrevious(p));
  EXPECT_EQ(backward, (std::vector<std::string>{"tail", "C", "B", "B1", "head"}));
  EXPECT_EQ(list.GetAt(1u), "B1");
  EXPECT_THROW(list.GetAt(list.GetCount()), CAppException);
  CAppParamListKey empty;
  EXPECT_TRUE(empty.GetStartPosition() == nullptr);
  EXPECT_TRUE(empty.GetEndPosition() == nullptr);
}
