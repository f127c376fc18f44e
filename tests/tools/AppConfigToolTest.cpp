// Runs the appconfig tool as a process over the example descriptions.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs the tool with stdout and stderr sent to files.
ToolRun Tool(const std::vector<std::string>& args) {
  static TempFolder scratch;
  std::string command = Quote(APPCONFIG_TOOL);
  for (const std::string& a : args) command += " " + Quote(a);
  const std::string out = scratch.File("stdout.txt"), err = scratch.File("stderr.txt");
  const int status = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::ReadAll(out), TempFolder::ReadAll(err)};
}

const std::string kDevice = APPCONFIG_EXAMPLES_DIR "/device.xml";
const std::string kImage = "C0 A8 00 0A 01 F6 14 20 00 12 34 56 78 DE AD BE 0D\n";

}  // namespace

TEST(AppConfigTool, OutputsAndExitCodes) {
  TempFolder folder;
  const std::string bin = folder.File("device.bin"), set = folder.File("set.bin");
  const std::string shown = Tool({"show", kDevice, "DEVICE"}).out;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  // Usage errors exit with 2, data errors with 1. The binary file holds the
  // tree, not the description's resources: with them loaded (for the display
  // formats), it shows as the description does.
  const Case cases[] = {
      {{"check", kDevice, "DEVICE"}, 0, "OK\n", ""},
      {{"image", kDevice, "DEVICE"}, 0, kImage, ""},
      {{"save-bin", kDevice, "DEVICE", bin}, 0, "", ""},
      {{"image", "--bin", bin}, 0, kImage, ""},
      {{"--resources", kDevice, "load-bin", bin}, 0, shown, ""},
      {{"set", kDevice, "DEVICE", "IP\\PORT", "0x1234", "--out", set}, 0, "", ""},
      {{"image", "--bin", set}, 0, "C0 A8 00 0A 12 34 14 20 00 12 34 56 78 DE AD BE 0D\n", ""},
      {{"set", kDevice, "DEVICE", "CYCLE", "5000", "--out", set}, 1, "", "Exception >Check Error : CYCLE=5000 > Max(1000)\n"},
      {{"check", kDevice, "NOWHERE"}, 1, "", "Exception >Reference not found : NOWHERE on file : device.XML\n"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(std::to_string(run.status) + "|" + run.out + "|" + run.err, std::to_string(c.status) + "|" + c.out + "|" + c.err)
        << c.args.front();
  }
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
