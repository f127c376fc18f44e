// Runs the appconfig tool as a process over the example descriptions.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

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
ToolRun Tool(std::initializer_list<std::string> args) {
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

TEST(AppConfigTool, CheckShowAndImage) {
  const ToolRun check = Tool({"check", kDevice, "DEVICE"});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, "OK\n");
  const ToolRun image = Tool({"image", kDevice, "DEVICE"});
  EXPECT_EQ(image.status, 0) << image.err;
  EXPECT_EQ(image.out, kImage);
  const ToolRun show = Tool({"show", kDevice, "DEVICE"});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.out.rfind("\\\tCAppParamGroup\t\n", 0), 0u) << show.out;
  EXPECT_NE(show.out.find("IP\\ADDRESS\tCAppParamAddress\t192.168.  0. 10\n"), std::string::npos);
  EXPECT_NE(show.out.find("MODE\tCAppParamEnumSingle\tTest\n"), std::string::npos);
  EXPECT_NE(show.out.find("MODULES\\SLOT_1\\LABEL\tCAppParamValue\tEntrées générales\n"), std::string::npos);
}

TEST(AppConfigTool, UnpackShowsTheNewValues) {
  const ToolRun run = Tool({"unpack", kDevice, "DEVICE", "0A", "00", "00", "01", "12", "34", "23", "11", "EE", "CA",
                            "FE", "BA", "BE", "01", "02", "03", "FA"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("IP\\ADDRESS\tCAppParamAddress\t 10.  0.  0.  1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("MODE\tCAppParamEnumSingle\tMarche\n"), std::string::npos) << run.out;
}

TEST(AppConfigTool, ConversionRoundTrip) {
  TempFolder folder;
  const std::string bin = folder.File("device.bin");
  ASSERT_EQ(Tool({"save-bin", kDevice, "DEVICE", bin}).status, 0);
  EXPECT_EQ(Tool({"image", "--bin", bin}).out, kImage);
  // The binary file holds the tree, not the description's resources: with
  // them loaded (for the display formats), it shows as the description does.
  const ToolRun shown = Tool({"--resources", kDevice, "load-bin", bin});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, Tool({"show", kDevice, "DEVICE"}).out);
}

TEST(AppConfigTool, SetChecksAndSaves) {
  TempFolder folder;
  const std::string bin = folder.File("set.bin");
  const ToolRun set = Tool({"set", kDevice, "DEVICE", "IP\\PORT", "0x1234", "--out", bin});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(Tool({"image", "--bin", bin}).out, "C0 A8 00 0A 12 34 14 20 00 12 34 56 78 DE AD BE 0D\n");
  const ToolRun tooBig = Tool({"set", kDevice, "DEVICE", "CYCLE", "5000", "--out", bin});
  EXPECT_EQ(tooBig.status, 1);
  EXPECT_EQ(tooBig.err, "Exception >Check Error : CYCLE=5000 > Max(1000)\n");
}

TEST(AppConfigTool, UsageErrorsExit2AndDataErrors1) {
  EXPECT_EQ(Tool({"check", kDevice}).status, 2);  // a missing argument
  const ToolRun missing = Tool({"check", kDevice, "NOWHERE"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Exception >Reference not found : NOWHERE on file : device.XML\n");
}
