#include "appconfig/AppResources.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppDebug.h"

namespace {

// Adds an entry whose name carries a value.
void AddEntry(CAppParamGroup& profile, const std::string& key, const std::string& name) {
  profile._SetAt(key, new CAppParam)->SetName(name);
}

CAppParamGroup* AddLink(CAppParamGroup& profile, const std::string& name, std::uint32_t flags = 0) {
  auto* link = new CAppParamGroup(name);
  link->ModifyFlags(0, flags);
  return profile.SetAt("SYS_LINK", link, CAppParamGroup::ADD_AUTO_INDEX);
}

}  // namespace

// Init creates the class profiles and the icons afresh; icons by name and variant with fallbacks.
TEST(AppResources, InitAndIcons) {
  CAppResources res;
  res.Init();
  const std::size_t icons = res.GetImageList().size();
  EXPECT_GE(icons, 32u);  // the table and the classes' own
  std::string link;
  EXPECT_TRUE(res.FindName("CAppParamGroup\\SYS_LINK_0", link) && link == "List");
  res.Init();
  EXPECT_EQ(res.GetImageList().size(), icons);
  CAppParamGroup group;
  EXPECT_EQ(res.FindProfile(&group), res.FindChild("CAppParamGroup"));
  const unsigned line = res.GetImageIndex("Tree Line", "");
  EXPECT_NE(res.GetImageIndex("tree line", "ro"), line);
  EXPECT_EQ(res.GetImageIndex("Tree Line", "XX"), line);
  EXPECT_EQ(res.GetImageIndex("No such icon", ""), res.GetImageIndex("", ""));
  res.AddIcon("Tree Line", "", 1u, true);
  EXPECT_EQ(res.GetImageList().size(), icons);
  EXPECT_EQ(res.GetImageIndex("Tree Line", ""), line);
  const CAppIcon* none = nullptr;
  EXPECT_EQ(CatchAppException([&] { res.AddIcon("X", "", none, true); }).GetMessage(), "Exception >Icon error");
  CAppResources empty;
  EXPECT_EQ(CatchAppException([&] { empty.GetImageIndex("Any", ""); }).GetMessage(), "Exception >Error");
}

// Profiles by alias then class, loads along the default chain (whose loops end), links.
TEST(AppResources, ProfilesDefaultChainAndLinks) {
  CAppResources res;
  res.CreateProfile("CAppParam");
  CAppParamGroup* derived = res.CreateProfile("Module");
  CAppParam p;
  p.SetKey("P1"), p.SetAlias("MODULE");
  EXPECT_EQ(res.FindProfile(&p), derived);
  const std::string trace = "Bad Alias:Unknown for key:P1 on resources:";
  const std::uint32_t before = CAppDebug::GetLogger().CountOf(trace);
  p.SetAlias("Unknown");
  EXPECT_EQ(res.FindProfile(&p), res.FindChild("CAppParam"));
  EXPECT_EQ(CAppDebug::GetLogger().CountOf(trace), before + 1);
  CAppParamGroup noProfile;  // no profile for its class yet
  EXPECT_EQ(CatchAppException([&] { res.FindProfile(&noProfile); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(CatchAppException([&] { res.CreateProfile(""); }).GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(res.CreateProfile("module"), derived);  // a second section adds to the first
  CAppParamGroup* base = res.CreateProfile("CAppParamGroup");

  AddEntry(*derived, "SYS_DEFAULT", "Param Group");
  AddEntry(*base, "SYS_UNIT_VALUE", "ms");
  AddEntry(*derived, "SYS_NAME_VALUE", "Module E/S");
  CAppParamGroup node;
  node.SetAlias("Module"), node.SetName("own name");
  EXPECT_EQ(node.GetName(&res), "Module E/S");
  EXPECT_EQ(node.GetUnit(&res), "ms");  // inherited from the default profile
  std::string value = "kept";
  EXPECT_FALSE(res.Load(value, &node, "SYS_DATA"));
  EXPECT_EQ(value, "kept");
  // Nested entries search the same path in the defaults.
  AddEntry(*base->SetAt("L", new CAppParamGroup), "SYS_GRP_ROOT", "Channels");
  EXPECT_TRUE(res.FindNameWithDefault(derived->SetAt("L", new CAppParamGroup), "SYS_GRP_ROOT", value));
  EXPECT_EQ(value, "Channels");
  AddEntry(*base, "SYS_DEFAULT", "Module");  // a loop
  EXPECT_FALSE(res.FindNameWithDefault(base, "MISSING", value));

  // GetLink skips unnamed links and those of another view.
  AddLink(*base, "List"), AddLink(*base, ""), AddLink(*base, "Expert", PF_VIEW_2), AddLink(*base, "Tree");
  unsigned index = 0;
  std::string walk;
  while (CAppParam* link = res.GetLink(base, index, nullptr)) walk += link->GetName() + std::to_string(index) + " ";
  EXPECT_EQ(walk, "List1 Tree4 ");
  res.ModifyFlags(0, PF_VIEW_2);
  index = 2;
  EXPECT_EQ(res.GetLink(base, index, nullptr)->GetName(), "Expert");
  EXPECT_EQ(res.GetLink(nullptr, index, nullptr), nullptr);
}
