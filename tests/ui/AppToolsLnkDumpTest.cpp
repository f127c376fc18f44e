#include "appconfig/ui/AppToolsLnkExch.h"

#include <gtest/gtest.h>

#include <tuple>

#include "../core/TestSupport.h"

#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppParamMail.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppCtrlEditDump.h"

namespace {

using Dump = CAppCtrlEditDump;

// Resources whose array profile holds the given key lists.
struct ArrayProfile {
  CAppResources resources;
  CAppParamGroup* profile = resources.CreateProfile("CAppParamArray");

  void Add(const std::string& key, const std::vector<std::string>& values) {
    auto* list = new CAppParamListKey(key);
    list->SetKey(key);
    for (const std::string& value : values) list->InsertAfter(value, list->GetEndPosition());
    ASSERT_TRUE(profile->AddOwnKey(list));
  }
  // The menu options (visible, current, space) of `array`'s dump, with the
  // profile or without resources.
  std::tuple<std::uint32_t, std::uint32_t, char> MenuOptions(CAppParamArray* array, bool withResources = true) {
    Dump dump;
    CAppToolsLnk::DumpExchArray exchange(&dump);
    exchange.SetParam(array);
    if (withResources) exchange.SetResources(&resources);
    std::uint32_t visible = 0, current = 0;
    char space = ' ';
    EXPECT_TRUE(exchange.GetMenuOptions(visible, current, space));
    return {visible, current, space};
  }
};

std::unique_ptr<CAppParamArray> MakeArray(std::vector<std::uint8_t> bytes) {
  auto array = std::make_unique<CAppParamArray>();
  array->SetKey("Data");
  array->SetData(bytes);
  return array;
}

}  // namespace

TEST(DumpExchArray, ProfileWithoutOptionKeysGivesTheDefaults) {
  ArrayProfile profile;
  auto array = MakeArray({1, 2, 3});
  EXPECT_EQ(profile.MenuOptions(array.get()),
            std::make_tuple(Dump::kDefaultVisibleOptions, Dump::kDefaultCurrentOptions, ' '));
  const auto [visible, current, space] = profile.MenuOptions(array.get(), false);
  EXPECT_EQ(visible | current, 0u);  // without resources both words stay 0
}

TEST(DumpExchArray, FirstRecognisedValueOfEachKeyIsCurrent) {
  ArrayProfile profile;
  profile.Add("SYS_FORMAT_VALUE", {"%d", "%02X", "%s"});
  profile.Add("SYS_OPTION_IM", {"Pdp", "Motorola", "Intel"});
  profile.Add("SYS_OPTION_NBCOL", {"16", "3"});
  profile.Add("SYS_OPTION_SPACE", {"--", "-", "_"});
  profile.Add("SYS_OPTION_MENU_HIDE", {"Clipboard"});
  auto array = MakeArray({1, 2});
  const auto [visible, current, space] = profile.MenuOptions(array.get());
  // "%s" reads as decimal too: offered once, current once.
  EXPECT_EQ(visible & 0xF8000000u, Dump::OPT_BASE_DECIMAL | Dump::OPT_BASE_HEXA);
  EXPECT_EQ(current & 0xF8000000u, Dump::OPT_BASE_DECIMAL);
  EXPECT_EQ(current & (Dump::OPT_INTEL | Dump::OPT_MOTOROLA), Dump::OPT_MOTOROLA);
  EXPECT_EQ(visible & 0x3E00u, Dump::OPT_BPR_16);
  EXPECT_EQ(space, '_') << "one-character values only, the last wins";
  EXPECT_NE(visible & Dump::OPT_SPACE, 0u);
  EXPECT_EQ(visible & (Dump::OPT_HIDE_ALL | Dump::OPT_HIDE_CLIPBOARD), Dump::OPT_HIDE_CLIPBOARD);
}

TEST(DumpExchArray, StoredOptionsWinOverTheProfileAndZeroTakesIt) {
  ArrayProfile profile;
  profile.Add("SYS_FORMAT_VALUE", {"%X"});
  profile.Add("SYS_OPTION_NBCOL", {"4"});
  Dump dump;
  CAppToolsLnk::DumpExchArray exchange(&dump);
  exchange.SetResources(&profile.resources);
  auto fresh = MakeArray({0xAB, 0xCD});
  exchange.SetParam(fresh.get());
  EXPECT_TRUE(exchange.ParamToCtrl());
  EXPECT_EQ(dump.GetBase(), 1) << "hexadecimal";
  EXPECT_EQ(dump.GetBPR(), 4);
  EXPECT_NE(fresh->GetDumpOptions() & Dump::OPT_BASE_HEXA, 0u) << "the profile's choice is kept";
  EXPECT_EQ(DataOf(dump), (std::vector<std::uint8_t>{0xAB, 0xCD}));

  auto stored = MakeArray({1});
  stored->SetDumpOptions(Dump::OPT_BASE_BINARY | Dump::OPT_MOTOROLA | Dump::OPT_BPR_2 | Dump::OPT_DATA);
  exchange.SetParam(stored.get());
  exchange.ParamToCtrl();
  EXPECT_EQ(dump.GetBase(), 0);
  EXPECT_EQ(dump.GetTypeAffichage(), 1);
  EXPECT_EQ(dump.GetBPR(), 2);

  // Back: the bytes and the display the control shows now.
  dump.SetData(std::vector<std::uint8_t>{7, 8, 9});
  dump.SetBPR(16);
  EXPECT_TRUE(exchange.CtrlToParam());
  EXPECT_EQ(DataOf(*stored), (std::vector<std::uint8_t>{7, 8, 9}));
  EXPECT_EQ(stored->GetDumpOptions() & 0x3E00u, Dump::OPT_BPR_16);
  EXPECT_NE(stored->GetDumpOptions() & Dump::OPT_MOTOROLA, 0u);
}

// The mailbox's data zone and the structure's image both ways: their links'
// tests (links/AppLnkParamControlsTest, links/AppLnkListKindsTest).
TEST(DumpExchMail, RefusesOtherParametersAsDoesTheStructure) {
  Dump dump;
  auto array = MakeArray({1});
  EXPECT_THROW(CAppToolsLnk::DumpExchMail(&dump).SetParam(array.get()), CAppException);
  EXPECT_THROW(CAppToolsLnk::DumpExchStruct(&dump).SetParam(nullptr), CAppException);
}
