// The bundled example descriptions: every parameter type loads from them,
// without soft errors, packs into the device image worked out by hand in device.xml and unpacks
// back (RoundTripTest saves and reloads it).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"

namespace {

const std::vector<std::uint8_t> kDeviceImage = {0xC0, 0xA8, 0x00, 0x0A, 0x01, 0xF6, 0x14, 0x20, 0x00,
                                                0x12, 0x34, 0x56, 0x78, 0xDE, 0xAD, 0xBE, 0x0D};

using Examples = DescriptionFolder;

}  // namespace

TEST_F(Examples, DevicePacksIntoABitExactImageAndUnpacksIntoEveryType) {
  CapturedOutput output;
  CAppResources resources;
  resources.Init();
  CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  const auto device = CAppStreamXML::Load("device", &resources, "DEVICE");
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(output.lines.empty()) << output.lines.front();
  EXPECT_EQ(ImageOf(*device), kDeviceImage);
  // Address 10.0.0.1, port 0x1234, cycle 0x123, mode 1, serial 0xCAFEBABE,
  // key 01 02 03, range 2 and level -1 (five bits 11111).
  const std::vector<std::uint8_t> image = {0x0A, 0x00, 0x00, 0x01, 0x12, 0x34, 0x23, 0x11, 0xEE,
                                           0xCA, 0xFE, 0xBA, 0xBE, 0x01, 0x02, 0x03, 0xFA};
  CAppDataRecord record(true);
  record.SetData(image);
  device->DataSerialize(&record);
  CAppParamGroup* root = device->GetGroup();
  std::string address;
  root->FindFmtValue("IP\\ADDRESS", address);
  EXPECT_EQ(address, " 10.  0.  0.  1");
  // The spare byte is skipped, unchanged; the level has five bits, no sign extension.
  std::vector<std::uint32_t> values;
  for (const char* path : {"IP\\PORT", "CYCLE", "MODE", "SPARE", "SERIAL", "RANGE", "LEVEL"}) {
    values.push_back(root->_GetAt(path)->GetVariant().ToUInt32());
  }
  EXPECT_EQ(values, (std::vector<std::uint32_t>{0x1234, 0x123, 1, 255, 0xCAFEBABE, 2, 31}));
  // Packing again gives the image back, but for the skipped byte.
  std::vector<std::uint8_t> expected = image;
  expected[8] = 0x00;
  EXPECT_EQ(ImageOf(*device), expected);
}

// The examples are read by other XML tools too: libxml2's parser takes them.
TEST(ExampleFiles, AllPassXmllint) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed (libxml2-utils)";
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(APPCONFIG_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".xml") continue;
    ++files;
    EXPECT_EQ(XmllintErrors(entry.path().string()), "") << entry.path();
  }
  EXPECT_GT(files, 0u);
}
