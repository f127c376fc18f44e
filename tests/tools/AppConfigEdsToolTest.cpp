// The appconfig tool over CANopen device files, run as a process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ToolProcess.h"

namespace {

const std::string kData = APPCONFIG_EDS_TEST_DATA "/";
const std::string kExample = APPCONFIG_EDS_EXAMPLE;

}  // namespace

// Every test file shows its mapped paths; import writes a description that
// loads back to the same tree and image.
TEST(AppConfigEdsTool, ShowAndImportEveryFile) {
  TempFolder folder;
  for (const std::string name : {"crlf.eds", "lower_hex.eds", "capital_sub.eds", "decimal_types.eds", "compact.eds",
                                 "subnumber.eds", "listed.eds", "empty_string.eds", "comments.eds", "configured.dcf"}) {
    const std::string file = kData + name;
    const ToolRun shown = Tool({"show", file, "DEVICE"});
    EXPECT_EQ(shown.status, 0) << name << shown.err;
    EXPECT_EQ(shown.out.rfind("\\\tCAppParamGroup\t\n", 0), 0u) << name;
    const std::string xml = folder.File("imported.xml");
    ASSERT_EQ(Tool({"import", file, xml}).status, 0) << name;
    EXPECT_EQ(Tool({"show", xml, "DEVICE"}).out, shown.out) << name;
    EXPECT_EQ(Tool({"image", xml, "DEVICE"}).out, Tool({"image", file, "DEVICE"}).out) << name;
  }
  const ToolRun shown = Tool({"show", kData + "configured.dcf", "DEVICE"});
  EXPECT_NE(shown.out.find("O1800\\S01\tCAppParamNumeric\t394\n"), std::string::npos) << shown.out;
}

TEST(AppConfigEdsTool, NodeIdSetAndDcf) {
  TempFolder folder;
  const std::string values = folder.File("values.bin"), dcf = folder.File("out.dcf");
  ASSERT_EQ(Tool({"set", "--node-id", "5", kExample, "DEVICE", "O1017", "250", "--out", values}).status, 0);
  ASSERT_EQ(Tool({"dcf", kExample, values, dcf, "--node-id", "5", "--baudrate", "500"}).status, 0);
  const std::string written = TempFolder::ReadAll(dcf);
  EXPECT_NE(written.find("[DeviceComissioning]\nNodeID=5\nBaudrate=500\n"), std::string::npos);
  EXPECT_NE(written.find("HighLimit=10000\nParameterValue=250\n"), std::string::npos);
  // The COB-IDs read with node 5 are their defaults: no line for them.
  EXPECT_EQ(written.find("ParameterValue=0x"), std::string::npos);
  EXPECT_NE(Tool({"show", dcf, "DEVICE"}).out.find("O1800\\S01\tCAppParamNumeric\t389\n"), std::string::npos);
  EXPECT_EQ(Tool({"diff", kExample, dcf}).status, 1);

  const ToolRun wrongKey = Tool({"show", kExample, "IO"});
  EXPECT_EQ(wrongKey.status, 2);
  EXPECT_EQ(Tool({"show", "--node-id", "128", kExample, "DEVICE"}).status, 2);
  EXPECT_EQ(Tool({"dcf", kExample, values, dcf, "--baudrate", "300"}).status, 2);
  const ToolRun broken = Tool({"check", kData + "../AppStreamEDSTest.cpp", "DEVICE"});
  EXPECT_EQ(broken.status, 2) << "not a device file";
}
