#include "appconfig/AppKeyboard.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppTools.h"

namespace {
bool ShiftHeld(AppKey key) { return key == AppKey::LeftShift; }
}  // namespace

TEST(AppKeyboard, DebugModeOpensPropertiesOnlyWithShiftHeld) {
  CAppResources resources;
  resources.Init();
  CAppParam plain;  // its class profile has no link: no properties
  EXPECT_FALSE(AppIsKeyHeld(AppKey::LeftShift));
  EXPECT_FALSE(resources.IsProperties(&plain));
  resources.ModifyFlags(0, PF_DEBUG);
  EXPECT_FALSE(resources.IsProperties(&plain));
  AppSetKeyStateProvider(ShiftHeld);
  EXPECT_TRUE(resources.IsProperties(&plain));
  EXPECT_FALSE(AppIsKeyHeld(AppKey::LeftControl));
  AppSetKeyStateProvider(nullptr);
  EXPECT_FALSE(resources.IsProperties(&plain));
}

TEST(AppKeyboard, SheetsNeedAUserInterface) {
  CAppResources resources;
  CAppParam plain;
  EXPECT_EQ(CatchAppException([&] { resources.OnProperties(&plain); }).GetMessage(),
            "Exception >No user interface is installed");
  EXPECT_EQ(CatchAppException([&] { resources.OnDebug(&plain); }).GetPrgFile(), "AppUserInterface");
  EXPECT_EQ(CatchAppException([&] { CAppTools::MessageBox("?", 0); }).GetMessage(),
            "Exception >No user interface is installed");
}
