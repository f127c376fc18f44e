// Runs the appconfig tool as a process over the example descriptions.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolProcess.h"

namespace {

// A run of the tool and what it must give.
struct Case {
  std::vector<std::string> args;
  int status;
  std::string out, err;
};

void ExpectRuns(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(std::to_string(run.status) + "|" + run.out + "|" + run.err, std::to_string(c.status) + "|" + c.out + "|" + c.err)
        << c.args.front() << " " << c.args.back();
  }
}

const std::string kDevice = APPCONFIG_EXAMPLES_DIR "/device.xml";
const std::string kImage = "C0 A8 00 0A 01 F6 14 20 00 12 34 56 78 DE AD BE 0D\n";

}  // namespace

TEST(AppConfigTool, OutputsAndExitCodes) {
  TempFolder folder;
  const std::string bin = folder.File("device.bin"), set = folder.File("set.bin");
  const std::string shown = Tool({"show", kDevice, "DEVICE"}).out;
  // Usage errors exit with 2, data errors with 1. The binary file holds the
  // tree, not the description's resources: with them loaded (for the display
  // formats), it shows as the description does.
  ExpectRuns({
      {{"check", kDevice, "DEVICE"}, 0, "OK\n", ""},
      {{"image", kDevice, "DEVICE"}, 0, kImage, ""},
      {{"save-bin", kDevice, "DEVICE", bin}, 0, "", ""},
      {{"image", "--bin", bin}, 0, kImage, ""},
      {{"--resources", kDevice, "load-bin", bin}, 0, shown, ""},
      {{"set", kDevice, "DEVICE", "IP\\PORT", "0x1234", "--out", set}, 0, "", ""},
      {{"image", "--bin", set}, 0, "C0 A8 00 0A 12 34 14 20 00 12 34 56 78 DE AD BE 0D\n", ""},
      // A value typed by a person is refused when it does not fit, before
      // the library would cut it to its type; an image too short says how
      // many bytes it needs.
      {{"set", kDevice, "DEVICE", "CYCLE", "5000", "--out", set}, 1, "", "Exception >Value 5000 does not fit CYCLE: UI2 from 1 to 1000\n"},
      {{"set", kDevice, "DEVICE", "IP\\PORT", "70000", "--out", set}, 1, "",
       "Exception >Value 70000 does not fit IP\\PORT: UI2 from 0 to 65535\n"},
      {{"set", kDevice, "DEVICE", "MODE", "7", "--out", set}, 1, "", "Exception >Value 7 does not fit MODE: EnumSingle of 0, 1, 2\n"},
      {{"unpack", kDevice, "DEVICE", "0A", "00", "00", "01"}, 1, "", "Exception >The image of DEVICE needs 17 bytes, 4 were given\n"},
      {{"check", kDevice, "NOWHERE"}, 1, "", "Exception >Reference not found : NOWHERE on file : device.XML\n"},
  });
  EXPECT_EQ(Tool({"check", kDevice}).status, 2);  // a missing argument
  EXPECT_EQ(shown.rfind("\\\tCAppParamGroup\t\n", 0), 0u) << shown;
  for (const char* line : {"IP\\ADDRESS\tCAppParamAddress\t192.168.  0. 10\n", "MODE\tCAppParamEnumSingle\tTest\n",
                           "MODULES\\SLOT_1\\LABEL\tCAppParamValue\tEntrées générales\n"}) {
    EXPECT_NE(shown.find(line), std::string::npos) << line;
  }
  const ToolRun unpacked = Tool({"unpack", kDevice, "DEVICE", "0A", "00", "00", "01", "12", "34", "23", "11", "EE",
                                 "CA", "FE", "BA", "BE", "01", "02", "03", "FA"});
  EXPECT_EQ(unpacked.status, 0) << unpacked.err;
  EXPECT_NE(unpacked.out.find("IP\\ADDRESS\tCAppParamAddress\t 10.  0.  0.  1\n"), std::string::npos) << unpacked.out;
  EXPECT_NE(unpacked.out.find("MODE\tCAppParamEnumSingle\tMarche\n"), std::string::npos) << unpacked.out;
}

TEST(AppConfigTool, LayoutAndDiff) {
  TempFolder folder;
  const std::string xml = folder.File("device.xml"), bin = folder.File("device.bin"), set = folder.File("set.bin");
  const std::string svg = folder.File("layout.svg");
  ASSERT_EQ(Tool({"save-xml", kDevice, "DEVICE", xml}).status, 0);
  ASSERT_EQ(Tool({"save-bin", kDevice, "DEVICE", bin}).status, 0);
  ASSERT_EQ(Tool({"set", kDevice, "DEVICE", "IP\\PORT", "0x1234", "--out", set}).status, 0);
  const std::string serial = folder.File("serial.bin");
  ASSERT_EQ(Tool({"set", kDevice, "DEVICE", "SERIAL", "0x12345679", "--out", serial}).status, 0);
  // The fields' places are the layout tests' (in process); here the listing's
  // columns, and the binary file listing as the description does.
  const ToolRun listed = Tool({"layout", kDevice, "DEVICE"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  for (const char* line : {"IP\\ADDRESS\t0\t32\tbytes\t0-3\tC0 A8 00 0A\n", "IP\\PORT\t32\t16\tMotorola\t4-5\t01 F6\n",
                           "SPARE\t64\t8\tno data\t8\t\n", "LEVEL\t131\t5\tIntel\t16\t0D\n"}) {
    EXPECT_NE(listed.out.find(line), std::string::npos) << line;
  }
  // diff exits 1 for different files and 2 for any trouble, as diff does;
  // values show in the description's formats when its resources are loaded.
  ExpectRuns({
      {{"layout", "--bin", bin, "--svg", svg}, 0, listed.out, ""},
      {{"layout", kDevice}, 2, "", "appconfig: layout needs FILE and KEY, or --bin FILE.bin\nTry 'appconfig --help'.\n"},
      {{"diff", xml, bin}, 0, "", ""},
      {{"diff", xml, set}, 1, "changed\tIP\\PORT\t502\t4660\n", ""},
      {{"--resources", kDevice, "diff", serial, xml}, 1, "changed\tSERIAL\t0x12345679\t0x12345678\n", ""},
      {{"diff", xml, folder.File("none.bin")}, 2, "", "Exception >Can not load " + folder.File("none.bin") + "\n"},
      {{"diff", kDevice, xml}, 2, "", "Exception >" + kDevice + " is not a value file: it holds 2 definitions\n"},
      {{"diff", xml}, 2, "", "appconfig: wrong number of arguments for diff\nTry 'appconfig --help'.\n"},
  });
  const std::string picture = TempFolder::ReadAll(svg);
  EXPECT_EQ(picture.rfind("<svg ", 0), 0u);
}

// The developer files go only where --log names; without it, nowhere (not
// into the current folder, not into a shared temporary folder).
TEST(AppConfigTool, LogFilesOnlyWhereAsked) {
  TempFolder folder;
  std::filesystem::create_directories(folder.File("run"));
  std::filesystem::create_directories(folder.File("logs"));
  const auto run = [&](const std::string& options) {
    const std::string command = "cd " + Quote(folder.File("run")) + " && " + Quote(APPCONFIG_TOOL) + options +
                                " check " + Quote(kDevice) + " NOWHERE >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(""), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("run")), {}), 0);
  EXPECT_EQ(run(" --log " + Quote(folder.File("logs"))), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("run")), {}), 0);
  EXPECT_NE(TempFolder::ReadAll(folder.File("logs/Log.txt")).find("Reference not found : NOWHERE"), std::string::npos);
}
