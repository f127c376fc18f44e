// Keeps the developer files of the test run out of the working directory:
// the process's logger writes Log.txt at exit. Set at registration (static
// initialisation), so that a listing run is covered too.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "appconfig/AppDebug.h"

namespace {

class DeveloperFilesToTemp : public ::testing::Environment {
public:
  DeveloperFilesToTemp() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec) / "appconfig_tests";
    std::filesystem::create_directories(dir, ec);
    const std::string prefix = dir.string() + "/";
    CAppDebug::GetLogger().SetPath(prefix);
  }
};

[[maybe_unused]] ::testing::Environment* const kDeveloperFiles =
    ::testing::AddGlobalTestEnvironment(new DeveloperFilesToTemp);

}  // namespace
