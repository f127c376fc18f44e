// The bundled example descriptions: every parameter type loads from them,
// packs into the device image worked out by hand in device.xml, unpacks back
// and survives a save and reload.
#include <gtest/gtest.h>

#include "ParamTreeText.h"
#include "TempFolder.h"
#include "TestSupport.h"
#include "XmlTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"

namespace {

const std::vector<std::uint8_t> kDeviceImage = {0xC0, 0xA8, 0x00, 0x0A, 0x01, 0xF6, 0x14, 0x20, 0x00,
                                                0x12, 0x34, 0x56, 0x78, 0xDE, 0xAD, 0xBE, 0x0D};

class Examples : public ::testing::Test {
protected:
  void SetUp() override {
    CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    m_resources.Init();
  }
  void TearDown() override {
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
  }
  std::unique_ptr<CAppParam> LoadDevice() {
    auto device = CAppStreamXML::Load("device", &m_resources, "DEVICE");
    EXPECT_NE(device, nullptr);
    return device;
  }

  CapturedOutput m_output;
  CAppResources m_resources;
};

}  // namespace

TEST_F(Examples, DeviceLoadsEveryTypeWithoutSoftErrors) {
  const auto device = LoadDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(m_output.lines.empty()) << m_output.lines.front();
  CAppParamGroup* root = device->GetGroup();
  for (const char* path : {"IP\\ADDRESS", "IP\\PORT", "CYCLE", "MODE", "SPARE", "SERIAL", "KEY",
                           "STATION", "OPTIONS", "MAILBOX", "WATCH", "PAD", "MODULES\\SLOT_2\\LABEL"}) {
    EXPECT_NE(root->_GetAt(path), nullptr) << path;
  }
  std::string text;
  EXPECT_TRUE(root->FindFmtValue("IP\\ADDRESS", text, &m_resources));
  EXPECT_EQ(text, "192.168.  0. 10");
  EXPECT_TRUE(root->FindFmtValue("MODE", text, &m_resources));
  EXPECT_EQ(text, "Test");
  EXPECT_TRUE(root->FindName("CYCLE", text, &m_resources));
  EXPECT_EQ(text, "Temps de cycle");  // from the "Timeout" profile
  EXPECT_EQ(root->_GetAt("CYCLE")->GetUnit(&m_resources), "ms");
  // Written in ISO-8859-1, read as UTF-8.
  EXPECT_TRUE(root->FindName("MODULES", text));
  EXPECT_EQ(text, "Modules d'entrées/sorties");
  EXPECT_TRUE(root->FindName("MODULES\\SLOT_1", text));
  EXPECT_EQ(text, "Entrées TOR");
}

TEST_F(Examples, DeviceImageIsBitExact) {
  const auto device = LoadDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(PackImage(*device), kDeviceImage);
}

TEST_F(Examples, DeviceImageUnpacksIntoEveryType) {
  const auto device = LoadDevice();
  ASSERT_NE(device, nullptr);
  // Address 10.0.0.1, port 0x1234, cycle 0x123, mode 1, serial 0xCAFEBABE,
  // key 01 02 03, range 2 and level -1 (five bits 11111).
  const std::vector<std::uint8_t> image = {0x0A, 0x00, 0x00, 0x01, 0x12, 0x34, 0x23, 0x11, 0xEE,
                                           0xCA, 0xFE, 0xBA, 0xBE, 0x01, 0x02, 0x03, 0xFA};
  CAppDataRecord record(true);
  record.SetData(image);
  device->DataSerialize(&record);
  CAppParamGroup* root = device->GetGroup();
  std::string text;
  root->FindFmtValue("IP\\ADDRESS", text);
  EXPECT_EQ(text, " 10.  0.  0.  1");
  EXPECT_EQ(root->_GetAt("IP\\PORT")->GetVariant().ToUInt32(), 0x1234u);
  EXPECT_EQ(root->_GetAt("CYCLE")->GetVariant().ToUInt32(), 0x123u);
  EXPECT_EQ(root->_GetAt("MODE")->GetVariant().ToUInt32(), 1u);
  EXPECT_EQ(root->_GetAt("SPARE")->GetVariant().ToUInt32(), 255u);  // skipped, unchanged
  EXPECT_EQ(root->_GetAt("SERIAL")->GetVariant().ToUInt32(), 0xCAFEBABEu);
  EXPECT_EQ(root->_GetAt("RANGE")->GetVariant().ToUInt32(), 2u);
  EXPECT_EQ(root->_GetAt("LEVEL")->GetVariant().ToUInt32(), 31u);  // five bits, no sign extension
  // Packing again gives the image back, but for the skipped byte.
  std::vector<std::uint8_t> expected = image;
  expected[8] = 0x00;
  EXPECT_EQ(PackImage(*device), expected);
}

TEST_F(Examples, DeviceSurvivesXmlSaveAndReload) {
  const auto device = LoadDevice();
  ASSERT_NE(device, nullptr);
  TempFolder out;
  CAppToolsXML::SetPath(out.Prefix());
  ASSERT_TRUE(CAppStreamXML::Save("saved", device.get()));
  CAppResources fresh;
  fresh.Init();
  const auto reloaded = CAppStreamXML::Load("saved", &fresh, "DEVICE");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_TRUE(ParamTreesEqual(device.get(), reloaded.get()));
  EXPECT_EQ(PackImage(*reloaded), kDeviceImage);
}
