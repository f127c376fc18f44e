#include "appconfig/AppParamGroup.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"

namespace {

std::vector<std::string> Keys(const CAppParamGroup& group) {
  std::vector<std::string> keys;
  for (unsigned i = 0; i < group.GetCount(); ++i) keys.push_back(group.GetKeyAt(i));
  return keys;
}

// A node whose destruction is observable.
class Tracked : public CAppParam {
public:
  explicit Tracked(int* deaths) : m_deaths(deaths) {}
  ~Tracked() override { ++*m_deaths; }

private:
  int* m_deaths;
};

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
  CAppParamGroup *a, *b;
  CAppParam *x, *y, *z;
};

}  // namespace

TEST(AppParamGroupKeys, CaseInsensitiveUniqueKeepingOwnSpelling) {
  CAppParamGroup g;
  auto* first = g._SetAt("Abc", new CAppParam);
  auto* second = new CAppParam;
  EXPECT_EQ(g._SetAt("ABC", second), second);  // refused, but returned
  EXPECT_EQ(second->GetParent(), nullptr);
  delete second;
  EXPECT_EQ(Keys(g), std::vector<std::string>{"Abc"});
  EXPECT_EQ(g._GetAt("abc"), first);
  EXPECT_EQ(first->GetParent(), &g);
}

TEST(AppParamGroupAdd, AutoIndexSkipsTakenKeysWithTheCounterOfTheCalledGroup) {
  CAppParamGroup g;
  auto add = [&](const char* key) { return g._SetAt(key, new CAppParam, CAppParamGroup::ADD_AUTO_INDEX)->GetKey(); };
  EXPECT_EQ(add("Item"), "Item_0");
  g._SetAt("Item_2", new CAppParam);
  EXPECT_EQ(add("Item"), "Item_1");
  EXPECT_EQ(add("Item"), "Item_3");
  EXPECT_EQ(g.GetAutoIndex(), 4u);
  SampleTree t;
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  EXPECT_EQ(t.root.GetAutoIndex(), 2u);
  EXPECT_EQ(t.b->GetAutoIndex(), 0u);
  EXPECT_EQ(Keys(*t.b), (std::vector<std::string>{"X", "N_0", "N_1"}));
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

TEST(AppParamGroupAdd, InvalidModeAndNullNodeThrow) {
  CAppParamGroup g;
  int deaths = 0;
  CAppException e = CatchAppException(
      [&] { g._SetAt("K", new Tracked(&deaths), static_cast<CAppParamGroup::EN_ADD_MODE>(3)); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
  EXPECT_EQ(deaths, 1);  // the node is destroyed
  EXPECT_EQ(g.GetCount(), 0u);
  e = CatchAppException([&] { g._SetAt("K", nullptr); });
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
  EXPECT_EQ(t.root._GetAt(""), nullptr);
  delete node;
  const std::string emptyRoot = "Erreur: Lecture d'un paramètre dans le groupe Root (Racine) mais la clé est vide.";
  EXPECT_EQ(out.lines, (std::vector<std::string>{
                           emptyRoot,
                           "Erreur: Lecture du paramètre K dans Root (Racine) mais le paramètre n'a pas été trouvé.",
                           "Erreur: Lecture d'un paramètre dans le groupe A (Groupe A) mais la clé est vide.",
                           emptyRoot}));
  EXPECT_EQ(t.root.ObjectCount(), 6u);
}

TEST(AppParamGroupPaths, Syntax) {
  CapturedOutput out;
  SampleTree t;
  const std::tuple<CAppParamGroup*, const char*, CAppParam*> rows[] = {
      {&t.root, "A\\B\\X", t.x}, {&t.root, "a\\b\\x", t.x}, {t.b, "..\\Y", t.y},
      {t.b, "\\Z", nullptr},  // "\" and a key: this group only
      {t.b, "\\X", t.x}, {t.b, "\\A\\Y", t.y}, {t.b, "..\\..\\Z", t.z}, {&t.root, "A.B\\X", t.x},
      {&t.root, "A\\.\\B\\X", t.x}, {&t.root, "A\\", t.a}, {t.b, "..\\", t.a},
      {&t.root, "A\\Y\\X", nullptr},  // Y is not a group
      // Walking past the root or into a missing group finds nothing quietly.
      {t.a, "..\\..\\X", nullptr}, {&t.root, "Missing\\X", nullptr}, {&t.root, "Missing", nullptr},
  };
  for (const auto& [from, path, found] : rows) EXPECT_EQ(from->_GetAt(path), found) << path;
  EXPECT_TRUE(out.lines.empty());
}

TEST(AppParamGroupLookup, TypedGetAtFindNameAndFlags) {
  SampleTree t;
  CAppParamGroup* group = nullptr;
  EXPECT_TRUE(t.root.GetAt("A\\B", group));
  EXPECT_EQ(group, t.b);
  EXPECT_FALSE(t.root.GetAt("A\\Nope", group));
  EXPECT_EQ(group, nullptr);
  const CAppException e = CatchAppException([&] { t.root.GetAt("Z", group); });
  EXPECT_EQ(e.GetMessage(), "Exception >Not an derived class for this pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
  std::string name = "unchanged";
  EXPECT_FALSE(t.root.FindName("A\\Nope", name));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(t.root.FindName("A", name));
  EXPECT_EQ(name, "Groupe A");
  EXPECT_TRUE(t.root.FindSetFlags("A\\Y", PF_READONLY | PF_HIDDEN));
  EXPECT_TRUE(t.root.FindResetFlags("A\\Y", PF_HIDDEN));
  EXPECT_EQ(static_cast<std::uint32_t>(t.y->GetFlags()), PF_READONLY);
  EXPECT_FALSE(t.root.FindSetFlags("Nope", PF_READONLY));
}

TEST(AppParamGroupIterate, InOrderAndByPattern) {
  CAppParamGroup g;
  for (const char* key : {"param1", "Other", "PARAM2", "Pa"}) g._SetAt(key, new CAppParam);
  auto match = [&](const std::string& pattern) {
    std::vector<std::string> keys;
    POSITION pos = g.GetStartPosition();
    while (CAppParam* p = pattern.empty() ? g.GetNextPtr(pos) : g.GetNextPtr(pattern, pos)) keys.push_back(p->GetKey());
    return keys;
  };
  const std::vector<std::string> all = {"param1", "Other", "PARAM2", "Pa"};
  EXPECT_EQ(match(""), all);
  EXPECT_EQ(match("*"), all);
  EXPECT_EQ(match("PAR*"), (std::vector<std::string>{"param1", "PARAM2"}));
  EXPECT_TRUE(match("par*").empty());
  EXPECT_EQ(match("PA"), (std::vector<std::string>{"Pa"}));
  EXPECT_TRUE(match("PA?").empty());
  EXPECT_EQ(match("PARAM?"), (std::vector<std::string>{"param1", "PARAM2"}));
  CAppParamGroup empty;
  POSITION pos = empty.GetStartPosition();
  EXPECT_TRUE(pos == nullptr);
  EXPECT_EQ(empty.GetNextPtr(pos), nullptr);
}

TEST(AppParamGroupOrder, MoveUpGoesBackMoveDownGoesFront) {
  CAppParamGroup g;
  for (const char* key : {"A", "B", "C"}) g._SetAt(key, new CAppParam);
  g.MoveDown("B");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"B", "A", "C"}));
  g.MoveDown("B");
  g.MoveUp("a");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"B", "C", "A"}));
  g.MoveUp("A");
  g.MoveDown("Missing");
  g.MoveUp("Missing");
  EXPECT_EQ(Keys(g), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(g._GetAt("A")->GetKey(), "A");  // the index follows the moves
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
  EXPECT_EQ(out.lines, std::vector<std::string>{
                           "Erreur: Lecture du paramètre X dans Root (Racine) mais le paramètre n'a pas été trouvé."});
}

TEST(AppParamGroupRemove, RemoveAllAndAutoDelete) {
  int deaths = 0;
  {
    CAppParamGroup g;
    g._SetAt("A", new Tracked(&deaths));
    g._SetAt("B", new Tracked(&deaths));
    g.RemoveAll();
    EXPECT_EQ(deaths, 2);
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
}
