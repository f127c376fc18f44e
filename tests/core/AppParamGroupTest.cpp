#include "appconfig/AppParamGroup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "TestSupport.h"

namespace {

// Root > A > (B > X, Y), Z
struct SampleTree {
  SampleTree() {
    root.SetKey("Root"), root.SetName("Racine");
    a = root.SetAt("A", new CAppParamGroup("Groupe A")), b = a->SetAt("B", new CAppParamGroup);
    x = b->SetAt("X", new CAppParam), y = a->SetAt("Y", new CAppParam), z = root.SetAt("Z", new CAppParam);
  }
  CAppParamGroup root, *a, *b;
  CAppParam *x, *y, *z;
};

}  // namespace

TEST(AppParamGroupAdd, CaseInsensitiveUniqueKeysMergeAndAutoIndex) {
  CAppParamGroup g;
  auto* first = g._SetAt("Abc", new CAppParam);
  auto* refused = new CAppParam;
  EXPECT_EQ(g._SetAt("ABC", refused), refused);  // refused, but returned
  EXPECT_EQ(g._SetAt("abc", refused, CAppParamGroup::ADD_MERGE), refused);
  EXPECT_EQ(refused->GetParent(), nullptr);
  delete refused;
  EXPECT_EQ(g._GetAt("abc"), first);
  EXPECT_EQ(first->GetParent(), &g);
  auto* fresh = g._SetAt("New", new CAppParam, CAppParamGroup::ADD_MERGE);
  auto add = [&](const char* key) { return g._SetAt(key, new CAppParam, CAppParamGroup::ADD_AUTO_INDEX)->GetKey(); };
  EXPECT_EQ(add("Item"), "Item_0");
  g._SetAt("Item_2", new CAppParam);
  EXPECT_EQ(add("Item"), "Item_1");
  EXPECT_EQ(add("Item"), "Item_3");
  EXPECT_EQ(g.GetAutoIndex(), 4u);
  EXPECT_EQ(KeysOf(g), (std::vector<std::string>{"Abc", "New", "Item_0", "Item_2", "Item_1", "Item_3"}));
  EXPECT_EQ(g._GetAt("NEW"), fresh);
  // The counter is the called group's, the key goes to the group of the path.
  SampleTree t;
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  t.root._SetAt("A\\B\\N", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  EXPECT_EQ(t.root.GetAutoIndex(), 2u);
  EXPECT_EQ(KeysOf(*t.b), (std::vector<std::string>{"X", "N_0", "N_1"}));
}

TEST(AppParamGroupAdd, InvalidModeAndNullNodeThrow) {
  CAppParamGroup g;
  int deaths = 0;
  CAppException e = CatchAppException(
      [&] { g._SetAt("K", new CountedParam(&deaths), static_cast<CAppParamGroup::EN_ADD_MODE>(3)); });
  EXPECT_EQ(e.GetMessage(), "Exception >Invalid Data");
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
  EXPECT_EQ(deaths, 1);  // the node is destroyed
  EXPECT_EQ(g.GetCount(), 0u);
  EXPECT_EQ(CatchAppException([&] { g._SetAt("K", nullptr); }).GetMessage(), "Exception >Bad pointer");
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
  EXPECT_TRUE(t.root.FindName("A", name));
  EXPECT_EQ(name, "Groupe A");
  EXPECT_TRUE(t.root.FindSetFlags("A\\Y", PF_READONLY | PF_HIDDEN));
  EXPECT_TRUE(t.root.FindResetFlags("A\\Y", PF_HIDDEN));
  EXPECT_EQ(static_cast<std::uint32_t>(t.y->GetFlags()), PF_READONLY);
}

TEST(AppParamGroupIterate, InOrderByPatternAndMoves) {
  CAppParamGroup g;
  for (const char* key : {"param1", "Other", "PARAM2", "Pa"}) g._SetAt(key, new CAppParam);
  auto match = [&](const std::string& pattern) {
    std::vector<std::string> keys;
    POSITION pos = g.GetStartPosition();
    while (CAppParam* p = pattern.empty() ? g.GetNextPtr(pos) : g.GetNextPtr(pattern, pos)) keys.push_back(p->GetKey());
    return keys;
  };
  EXPECT_EQ(match(""), (std::vector<std::string>{"param1", "Other", "PARAM2", "Pa"}));
  EXPECT_EQ(match("PAR*"), (std::vector<std::string>{"param1", "PARAM2"}));
  EXPECT_TRUE(match("par*").empty());
  EXPECT_EQ(match("PARAM?"), (std::vector<std::string>{"param1", "PARAM2"}));
  EXPECT_TRUE(match("PA?").empty());
  // MoveDown goes towards the front, MoveUp towards the back; the index follows.
  g.MoveDown("Other");
  g.MoveUp("pa");
  EXPECT_EQ(KeysOf(g), (std::vector<std::string>{"Other", "param1", "PARAM2", "Pa"}));
  g.MoveUp("param1");
  EXPECT_EQ(KeysOf(g), (std::vector<std::string>{"Other", "PARAM2", "param1", "Pa"}));
  EXPECT_EQ(g._GetAt("PARAM1")->GetKey(), "param1");
}

TEST(AppParamGroupRemove, RemoveParamRemoveAllAndAutoDelete) {
  CapturedOutput out;
  int deaths = 0;
  {
    SampleTree t;
    t.a->_SetAt("T", new CountedParam(&deaths));
    EXPECT_TRUE(t.root.RemoveParam("A\\T"));
    EXPECT_EQ(deaths, 1);
    EXPECT_TRUE(t.root.RemoveParam("A\\B"));
    EXPECT_EQ(t.a->_GetAt("Y"), t.y);
    EXPECT_FALSE(t.root.RemoveParam("Nope\\X"));
    t.root._SetAt("U", new CountedParam(&deaths));
    t.root.RemoveAll();
    EXPECT_EQ(deaths, 2);
    t.root._SetAt("C", new CountedParam(&deaths));
  }
  EXPECT_EQ(deaths, 3);
  EXPECT_EQ(out.lines, std::vector<std::string>{
                           "Erreur: Lecture du paramètre X dans Root (Racine) mais le paramètre n'a pas été trouvé."});
  CountedParam* survivor = new CountedParam(&deaths);
  {
    CAppParamGroup g;
    g.SetAutoDelete(false);
    g._SetAt("S", survivor);
  }
  EXPECT_EQ(survivor->GetParent(), nullptr);
  delete survivor;
  EXPECT_EQ(deaths, 4);
}

// Enough children to regrow the key index several times, then moves,
// removals and a re-add: after each, every child is found at its place by
// its key in any case, and a removed key by none.
TEST(AppParamGroupIndex, LargeGroupFindsEveryKeyAfterMovesAndRemovals) {
  CAppParamGroup g;
  for (int i = 0; i < 1500; ++i) g._SetAt("Clé_" + std::to_string(i), new CAppParam);
  const struct {
    const char* what;
    std::function<void()> change;
    const char* gone;
  } steps[] = {
      {"added", [] {}, "NONE"},
      {"moved", [&] { g.MoveUp("clé_0"), g.MoveDown("CLÉ_1499"), g.MoveUp("Clé_700"); }, "NONE"},
      {"removed", [&] { g.RemoveParam("CLÉ_3"), g.RemoveParam("clé_1000"); }, "Clé_1000"},
      {"re-added", [&] { g._SetAt("clé_3", new CAppParam); }, "CLÉ_1000"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    POSITION pos = g.GetStartPosition();
    for (unsigned i = 0; i < g.GetCount(); ++i) {
      CAppParam* child = g.GetNextPtr(pos);
      const std::string& key = child->GetKey();
      ASSERT_EQ(g.FindChild(key), child) << key;
      ASSERT_EQ(g.FindChild(CAppTools::MakeUpper(key)), child) << key;
    }
    EXPECT_EQ(g.FindChild(step.gone), nullptr);
    auto* twin = new CAppParam;
    EXPECT_EQ(g._SetAt("CLÉ_5", twin), twin);  // refused: still the caller's
    EXPECT_EQ(twin->GetParent(), nullptr);
    delete twin;
  }
  EXPECT_EQ(KeysOf(g).front(), "Clé_1");
  EXPECT_EQ(KeysOf(g).back(), "clé_3");
}

// Renaming a held child moves it in its group's index, in a group large
// enough that slots collide: each renamed child is found by its new key and
// not by its old one, and the others stay found. A key a sibling holds, in
// any case, or an empty key, throws and leaves the key and index as they
// were; the child's own key in another case is taken.
TEST(AppParamGroupIndex, SetKeyOnAHeldChildReindexesItOrIsRefused) {
  CAppParamGroup g;
  std::vector<CAppParam*> children;
  for (int i = 0; i < 600; ++i) children.push_back(g._SetAt("K" + std::to_string(i), new CAppParam));
  for (int i = 0; i < 600; i += 3) children[i]->SetKey("R" + std::to_string(i));
  for (int i = 0; i < 600; ++i) {
    const std::string n = std::to_string(i);
    const bool renamed = i % 3 == 0;
    ASSERT_EQ(g.FindChild((renamed ? "r" : "k") + n), children[i]) << n;
    ASSERT_EQ(g.FindChild((renamed ? "K" : "R") + n), nullptr) << n;
  }
  const struct {
    const char* key;
    const char* error;  // null: taken
  } cases[] = {
      {"k1", "Key already used : k1 in group : G"},
      {"R3", "Key already used : R3 in group : G"},
      {"", "Empty key in group : G"},
      {"k2", nullptr},
      {"K3", nullptr},  // the old key of a renamed child is free again
  };
  g.SetKey("G");
  CAppParam* child = children[2];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const std::string before = child->GetKey();
    if (c.error != nullptr) {
      EXPECT_EQ(CatchAppException([&] { child->SetKey(c.key); }).GetMessage(), std::string("Exception >") + c.error);
      EXPECT_EQ(child->GetKey(), before);
    } else {
      child->SetKey(c.key);
    }
    EXPECT_EQ(g.FindChild(child->GetKey()), child);
    EXPECT_EQ(std::make_tuple(g.FindChild("K1"), g.FindChild("R3"), g.GetCount()),
              std::make_tuple(children[1], children[3], 600u));
  }
  EXPECT_EQ(g.GetKeyAt(2), "K3");
}

TEST(AppParamGroupIndex, AddOwnKeyTakesOnlyAFreePlainKey) {
  CAppParamGroup g;
  g._SetAt("Held", new CAppParam);
  const struct {
    const char* key;
    bool added;
  } cases[] = {{"Fresh", true}, {"HELD", false}, {"", false}, {"A\\B", false}, {"fresh", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    auto node = std::make_unique<CAppParam>();
    node->SetKey(c.key);
    const bool added = g.AddOwnKey(node.get());
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(node->GetParent(), added ? &g : nullptr);
    if (added) {
      EXPECT_EQ(g.FindChild(CAppTools::MakeUpper(c.key)), node.release());
    }
  }
  EXPECT_EQ(KeysOf(g), (std::vector<std::string>{"Held", "Fresh"}));
}
