#include "appconfig/AppParamGroup.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

std::vector<std::string> Keys(const CAppParamGroup& group) {
  std::vector<std::string> keys;
  for (unsigned i = 0; i < group.GetCount(); ++i) keys.push_back(group.GetKeyAt(i));
  return keys;
}

// A node whose destruction is observable.
class Tracked : public CAppParam {
  APP_DECLARE_DYNCREATE(Tracked)
public:
  Tracked() = default;
  explicit Tracked(int* deaths) : m_deaths(deaths) {}
  ~Tracked() override {
    if (m_deaths != nullptr) ++*m_deaths;
  }

private:
  int* m_deaths = nullptr;
};
APP_IMPLEMENT_DYNCREATE(Tracked, CAppParam)

// Root > A > (B > X, Y), Z
struct SampleTree {
  SampleTree() {
    root.SetKey("Root");
    root.SetName("Racine");
    a = root.SetAt("A", new CAppParamGroup("Groupe A"));
    b = a->SetAt("B", new CAppParamGroup);
    x = b->SetAt("X", new CAppParam);
    y = a->SetAt("Y", new CAppParam);
    z = root.SetAt("Z", new CAppParam);
  }
  CAppParamGroup root;
  CAppParamGroup* a;
  CAppParamGroup* b;
  CAppParam* x;
  CAppParam* y;
  CAppParam* z;
};

}  // namespace

TEST(AppParamGroupKeys, CaseInsensitiveUniqueKeepingOwnSpelling) {
  CAppParamGroup g;
  auto* first = new CAppParam;
  auto* second = new CAppParam;
  EXPECT_EQ(g._SetAt("Abc", first), first);
  EXPECT_EQ(g._SetAt("ABC", second), second);  // refused, but returned
  EXPECT_EQ(second->GetParent(), nullptr);
  delete second;
  EXPECT_EQ(g.GetCount(), 1u);
  EXPECT_EQ(g._GetAt("abc"), first);
  EXPECT_EQ(g.GetKeyAt(0), "Abc");
  EXPECT_EQ(first->GetParent(), &g);
  EXPECT_EQ(g.GetKeyAt(g.GetCount()), "");
}

TEST(AppParamGroupAdd, AutoIndexSkipsTakenKeys) {
  CAppParamGroup g;
  EXPECT_EQ(g._SetAt("Item", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX)->GetKey(), "Item_0");
  g._SetAt("Item_2", new CAppParam);
  EXPECT_EQ(g._SetAt("Item", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX)->GetKey(), "Item_1");
  EXPECT_EQ(g._SetAt("Item", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX)->GetKey(), "Item_3");
  EXPECT_EQ(g.GetAutoIndex(), 4u);
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"Item_0", "Item_2", "Item_1", "Item_3"}));
}

TEST(AppParamGroupAdd, AutoIndexUsesTheCounterOfTheCalledGroup) {
  SampleTree t;
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  EXPECT_EQ(t.root.GetAutoIndex(), 2u);
  EXPECT_EQ(t.b->GetAutoIndex(), 0u);
  EXPECT_NE(t.b->FindChild("N_0"), nullptr);
  EXPECT_NE(t.b->FindChild("N_1"), nullptr);
}

TEST(AppParamGroupAdd, MergeKeepsTheExistingChild) {
  CAppParamGroup g;
  auto* kept = g._SetAt("K", new CAppParam);
  auto* merged = new CAppParam;
  EXPECT_EQ(g._SetAt("k", merged, CAppParamGroup::ADD_MERGE), merged);
  EXPECT_EQ(g._GetAt("K"), kept);
  EXPECT_EQ(merged->GetParent(), nullptr);
  delete merged;
  auto* fresh = g._SetAt("New", new CAppParam, CAppParamGroup::ADD_MERGE);
  EXPECT_EQ(g._GetAt("NEW"), fresh);
}

TEST(AppParamGroupAdd, InvalidModeThrowsAndDestroysTheNode) {
  CAppParamGroup g;
  g.SetKey("G");
  int deaths = 0;
  const CAppException e = CatchAppException(
      [&] { g._SetAt("K", new Tracked(&deaths), static_cast<CAppParamGroup::EN_ADD_MODE>(3)); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
  EXPECT_EQ(deaths, 1);
  EXPECT_EQ(g.GetCount(), 0u);
}

TEST(AppParamGroupAdd, NullNodeIsABadPointer) {
  CAppParamGroup g;
  const CAppException e = CatchAppException([&] { g._SetAt("K", nullptr); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
}

TEST(AppParamGroupAdd, EmptyKeyAndMissingGroupAreSoftErrors) {
  CapturedOutput out;
  SampleTree t;
  auto* node = new CAppParam;
  EXPECT_EQ(t.root._SetAt("", node), nullptr);
  EXPECT_EQ(t.root._SetAt("Nowhere\\K", node), nullptr);
  EXPECT_EQ(t.root._SetAt("A\\", node), nullptr);  // key part empty
  delete node;
  ASSERT_EQ(out.lines.size(), 3u);
  EXPECT_EQ(out.lines[0],
            "Erreur: Lecture d'un paramètre dans le groupe Root (Racine) mais la clé est vide.");
  EXPECT_EQ(out.lines[1], "Erreur: Lecture du paramètre K dans Root (Racine) mais le paramètre "
                          "n'a pas été trouvé.");
  EXPECT_EQ(out.lines[2],
            "Erreur: Lecture d'un paramètre dans le groupe A (Groupe A) mais la clé est vide.");
  EXPECT_EQ(t.root.ObjectCount(), 6u);
}

TEST(AppParamGroupPaths, Syntax) {
  SampleTree t;
  EXPECT_EQ(t.root._GetAt("A\\B\\X"), t.x);
  EXPECT_EQ(t.root._GetAt("a\\b\\x"), t.x);
  EXPECT_EQ(t.b->_GetAt("..\\Y"), t.y);
  EXPECT_EQ(t.b->_GetAt("\\Z"), nullptr);  // "\" and a key: this group only
  EXPECT_EQ(t.b->_GetAt("\\X"), t.x);
  EXPECT_EQ(t.b->_GetAt("\\A\\Y"), t.y);
  EXPECT_EQ(t.b->_GetAt("..\\..\\Z"), t.z);
  EXPECT_EQ(t.root._GetAt("A.B\\X"), t.x);
  EXPECT_EQ(t.root._GetAt("A\\.\\B\\X"), t.x);
  EXPECT_EQ(t.root._GetAt("A\\"), t.a);
  EXPECT_EQ(t.b->_GetAt("..\\"), t.a);
  EXPECT_EQ(t.root._GetAt("A\\Y\\X"), nullptr);  // Y is not a group
}

TEST(AppParamGroupPaths, WalkingPastTheRootFindsNothingQuietly) {
  CapturedOutput out;
  SampleTree t;
  EXPECT_EQ(t.a->_GetAt("..\\..\\X"), nullptr);
  EXPECT_EQ(t.root._GetAt("Missing\\X"), nullptr);
  EXPECT_EQ(t.root._GetAt("Missing"), nullptr);
  EXPECT_TRUE(out.lines.empty());
}

TEST(AppParamGroupPaths, EmptyPathReportsEmptyKey) {
  CapturedOutput out;
  SampleTree t;
  EXPECT_EQ(t.root._GetAt(""), nullptr);
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0],
            "Erreur: Lecture d'un paramètre dans le groupe Root (Racine) mais la clé est vide.");
}

TEST(AppParamGroupLookup, TypedGetAt) {
  SampleTree t;
  CAppParamGroup* group = nullptr;
  EXPECT_TRUE(t.root.GetAt("A\\B", group));
  EXPECT_EQ(group, t.b);
  EXPECT_FALSE(t.root.GetAt("A\\Nope", group));
  EXPECT_EQ(group, nullptr);
  const CAppException e = CatchAppException([&] { t.root.GetAt("Z", group); });
  EXPECT_EQ(e.GetMessage(), "Exception >Not an derived class for this pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
}

TEST(AppParamGroupLookup, FindNameAndFlags) {
  SampleTree t;
  std::string name = "unchanged";
  EXPECT_FALSE(t.root.FindName("A\\Nope", name));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(t.root.FindName("A", name));
  EXPECT_EQ(name, "Groupe A");
  EXPECT_TRUE(t.root.FindSetFlags("A\\Y", PF_READONLY | PF_HIDDEN));
  EXPECT_TRUE(t.root.FindResetFlags("A\\Y", PF_HIDDEN));
  EXPECT_EQ(static_cast<std::uint32_t>(t.y->GetFlags()), PF_READONLY);
  EXPECT_FALSE(t.root.FindSetFlags("Nope", PF_READONLY));
  std::string value = "x";
  EXPECT_TRUE(t.root.FindFmtValue("Z", value));
  EXPECT_EQ(value, "");
}

TEST(AppParamGroupIterate, InOrderAndByPattern) {
  CAppParamGroup g;
  for (const char* key : {"param1", "Other", "PARAM2", "Pa"}) g._SetAt(key, new CAppParam);
  std::vector<std::string> seen;
  for (POSITION pos = g.GetStartPosition(); pos != nullptr;) seen.push_back(g.GetNextPtr(pos)->GetKey());
  EXPECT_EQ(seen, (std::vector<std::string>{"param1", "Other", "PARAM2", "Pa"}));

  auto match = [&](const std::string& pattern) {
    std::vector<std::string> keys;
    POSITION pos = g.GetStartPosition();
    while (CAppParam* p = g.GetNextPtr(pattern, pos)) keys.push_back(p->GetKey());
    return keys;
  };
  EXPECT_EQ(match("PAR*"), (std::vector<std::string>{"param1", "PARAM2"}));
  EXPECT_TRUE(match("par*").empty());
  EXPECT_EQ(match("PA"), (std::vector<std::string>{"Pa"}));
  EXPECT_EQ(match("PA?"), std::vector<std::string>{});
  EXPECT_EQ(match("PARAM?"), (std::vector<std::string>{"param1", "PARAM2"}));
  EXPECT_EQ(match("*"), seen);

  CAppParamGroup empty;
  POSITION pos = empty.GetStartPosition();
  EXPECT_TRUE(pos == nullptr);
  EXPECT_EQ(empty.GetNextPtr(pos), nullptr);
}

TEST(AppParamGroupOrder, MoveUpAndMoveDown) {
  CAppParamGroup g;
  for (const char* key : {"A", "B", "C"}) g._SetAt(key, new CAppParam);
  g.MoveUp("b");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"A", "C", "B"}));
  g.MoveUp("B");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"A", "C", "B"}));
  g.MoveDown("C");
  g.MoveDown("C");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"C", "A", "B"}));
  g.MoveDown("Missing");
  g.MoveUp("Missing");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"C", "A", "B"}));
  EXPECT_EQ(g._GetAt("A")->GetKey(), "A");  // the index follows the moves
  EXPECT_EQ(g._GetAt("B"), g.FindChild("b"));
}

TEST(AppParamGroupOrder, MoveDownTowardTheFront) {
  CAppParamGroup g;
  for (const char* key : {"A", "B", "C"}) g._SetAt(key, new CAppParam);
  g.MoveDown("B");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"B", "A", "C"}));
  g.MoveDown("B");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"B", "A", "C"}));
}

TEST(AppParamGroupRemove, RemoveParamDestroysAndReindexes) {
  CapturedOutput out;
  SampleTree t;
  int deaths = 0;
  t.a->_SetAt("T", new Tracked(&deaths));
  EXPECT_TRUE(t.root.RemoveParam("A\\T"));
  EXPECT_EQ(deaths, 1);
  EXPECT_FALSE(t.root.RemoveParam("A\\T"));
  EXPECT_TRUE(t.root.RemoveParam("A\\B"));
  EXPECT_EQ(Keys(*t.a), (std::vector<std::string>{"Y"}));
  EXPECT_EQ(t.a->_GetAt("Y"), t.y);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_FALSE(t.root.RemoveParam("Nope\\X"));
  ASSERT_EQ(out.lines.size(), 1u);
  EXPECT_EQ(out.lines[0], "Erreur: Lecture du paramètre X dans Root (Racine) mais le paramètre "
                          "n'a pas été trouvé.");
}

TEST(AppParamGroupRemove, RemoveAllAndAutoDelete) {
  int deaths = 0;
  {
    CAppParamGroup g;
    g._SetAt("A", new Tracked(&deaths));
    g._SetAt("B", new Tracked(&deaths));
    g.RemoveAll();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(g.GetCount(), 0u);
    g._SetAt("C", new Tracked(&deaths));
  }
  EXPECT_EQ(deaths, 3);

  Tracked* survivor = new Tracked(&deaths);
  {
    CAppParamGroup g;
    g.SetAutoDelete(false);
    g._SetAt("S", survivor);
  }
  EXPECT_EQ(deaths, 3);
  EXPECT_EQ(survivor->GetParent(), nullptr);
  delete survivor;
  EXPECT_EQ(deaths, 4);
}
