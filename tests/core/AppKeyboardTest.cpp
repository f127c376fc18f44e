#include "appconfig/AppKeyboard.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppResources.h"

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

TEST(AppKeyboard, SheetsNeedTheWindowingLayer) {
  CAppResources resources;
  CAppParam plain;
  EXPECT_EQ(CatchAppException([&] { resources.OnProperties(&plain); }).GetMessage(),
            "Exception >OnProperties is not available without the windowing layer");
  EXPECT_EQ(CatchAppException([&] { resources.OnDebug(&plain); }).GetPrgFile(), "AppResources");
}
