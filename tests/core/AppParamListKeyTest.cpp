#include "appconfig/AppParamListKey.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

std::vector<std::string> Entries(CAppParamListKey& list) {
  std::vector<std::string> out;
  for (auto pos = list.GetStartPosition(); pos;) out.push_back(list.GetNext(pos));
  return out;
}

}  // namespace

TEST(AppParamListKey, Find_Wildcards) {
  struct Row { std::vector<const char*> entries; const char* key; bool found; };
  const Row rows[] = {{{}, "", false}, {{""}, "", true}, {{"A*"}, "abc", true}, {{"A*"}, "BA", false},
                      {{"A?"}, "A", false}, {{"AB?"}, "abz", true}, {{"A*Z"}, "AB", true}, {{"X", "*"}, "anything", true},
                      {{"ab"}, "ab", false}};  // entries are not upper-cased
  for (const Row& row : rows) {
    CAppParamListKey list;
    for (const char* e : row.entries) list.InsertAfter(e, CAppParamListKey::Position());
    EXPECT_EQ(list.Find(row.key), row.found) << (row.entries.empty() ? "(none)" : row.entries[0]) << " / " << row.key;
  }
}

TEST(AppParamListKey, InsertAndWalkBothWays) {
  CAppParamListKey list;
  for (const char* e : {"B", "C", "tail"}) list.InsertAfter(e, CAppParamListKey::Position());
  list.InsertBefore("head", CAppParamListKey::Position());
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
}
