// Every icon the resources load has an image shipped in resources/icons.
#include <gtest/gtest.h>

#include <filesystem>

#include "appconfig/AppResources.h"

TEST(AppIconFiles, EveryLoadedIconHasItsImage) {
  CAppResources resources;
  resources.Init();
  ASSERT_FALSE(resources.GetImageList().empty());
  for (const CAppIcon& icon : resources.GetImageList()) {
    const auto file = std::filesystem::path(APPCONFIG_ICON_DIR) / (std::to_string(icon.resourceId) + ".png");
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
  }
}
