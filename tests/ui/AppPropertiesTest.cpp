// Properties of a loaded description through CAppResources::OnProperties:
// OK keeps the new values, Cancel gives back the tree byte for byte. (The
// debug sheet that Shift opens in debug mode: links/AppLnkDebugTest.)
#include "TestLink.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"

#include <QTest>

namespace {

class Properties : public ExampleDevice {
protected:
  void SetUp() override {
    TestRecordingLink::Reset();
    ExampleDevice::SetUp();
    station = Device("STATION");
  }
  void TearDown() override {
    TestRecordingLink::Reset();
    ExampleDevice::TearDown();
  }

  std::string Station() { return station->GetVariant().GetStringRef(); }

  CAppParam* station = nullptr;
};

TestEdit* ActiveEdit(CAppSheet& sheet) { return sheet.GetAppPage(-1)->findChild<TestEdit*>(); }

}  // namespace

TEST_F(Properties, OkKeepsTheNewValue) {
  UseTestLink(resources, station);
  EXPECT_EQ(OpenSheet(resources, station, [&](CAppSheet& sheet) {
    EXPECT_EQ(sheet.windowTitle(), "Nom de station");
    QTest::keyClicks(ActiveEdit(sheet), "-B");
    SaveScreenshot(sheet);
    ClickOk(sheet);
  }), 1);
  EXPECT_EQ(Station(), "IO-01-B");
}

TEST_F(Properties, CancelGivesBackTheTreeByteForByte) {
  // The device group's properties edit its station ("SYS_GRP_ROOT"), and the
  // link stores every keystroke at once.
  UseTestLink(resources, device.get())->SetAt("SYS_GRP_ROOT", new CAppParamValue("STATION"));
  TestRecordingLink::Current().writeOnChange = true;
  const std::vector<char> before = Saved(device.get());
  EXPECT_EQ(OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    QTest::keyClicks(ActiveEdit(sheet), "-X");
    EXPECT_EQ(Station(), "IO-01-X");
    EXPECT_NE(Saved(device.get()), before);
    ClickCancel(sheet);
  }), 2);
  station = Device("STATION");  // the undo may have rebuilt it
  EXPECT_EQ(Station(), "IO-01");
  EXPECT_EQ(Saved(device.get()), before);
}

TEST_F(Properties, ParametersWithoutPropertiesAreAcceptedAtOnce) {
  EXPECT_EQ(resources.OnProperties(nullptr), 2);
  station->ModifyFlags(0, PF_NO_PROPERTIES);
  EXPECT_EQ(resources.OnProperties(station), 1);
  EXPECT_TRUE(TestRecordingLink::Current().events.empty());
}
