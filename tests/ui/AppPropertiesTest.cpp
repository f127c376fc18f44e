// Properties of a loaded description through CAppResources::OnProperties:
// OK keeps the new values, Cancel gives back the tree byte for byte.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../core/TempFolder.h"
#include "TestLink.h"
#include "UiTestSupport.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"
#include "platform/AppKeyState.h"

namespace {

std::vector<char> ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ShiftHeld(AppKey key) { return key == AppKey::LeftShift; }

class Properties : public ::testing::Test {
protected:
  void SetUp() override {
    TestRecordingLink::Reset();
    resources.Init();
    CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    device = CAppStreamXML::Load("device", &resources, "DEVICE");
    ASSERT_NE(device, nullptr);
    station = device->GetGroup()->_GetAt("STATION");
    ASSERT_NE(station, nullptr);
  }
  void TearDown() override {
    TestRecordingLink::Reset();
    CAppToolsXML::SetPath("");
    CAppToolsXML::SetSchemaPath("");
  }

  // The whole tree as a binary parameter file.
  std::vector<char> SavedTree() {
    const std::string file = folder.File("device.bin");
    CAppStreamBin::Save(device.get(), file);
    return ReadBytes(file);
  }
  std::string Station() { return station->GetVariant().GetStringRef(); }

  TempFolder folder;
  CAppResources resources;
  std::unique_ptr<CAppParam> device;
  CAppParam* station = nullptr;
};

TestEdit* ActiveEdit(CAppSheet* sheet) { return sheet->GetAppPage(-1)->findChild<TestEdit*>(); }

}  // namespace

TEST_F(Properties, OkKeepsTheNewValue) {
  UseTestLink(resources, station);
  WhenModal([&] {
    auto* sheet = ActiveModal<CAppSheet>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "Nom de station");
    QTest::keyClicks(ActiveEdit(sheet), "-B");
    SaveScreenshot(*sheet);
    Click(sheet->GetButton(CAppSheet::ID_OK));
  });
  EXPECT_EQ(resources.OnProperties(station), 1);
  EXPECT_EQ(Station(), "IO-01-B");
}

TEST_F(Properties, CancelGivesBackTheTreeByteForByte) {
  // The device group's properties edit its station ("SYS_GRP_ROOT"), and the
  // link stores every keystroke at once.
  UseTestLink(resources, device.get())->SetAt("SYS_GRP_ROOT", new CAppParamValue("STATION"));
  TestRecordingLink::Current().writeOnChange = true;
  const std::vector<char> before = SavedTree();
  WhenModal([&] {
    auto* sheet = ActiveModal<CAppSheet>();
    ASSERT_NE(sheet, nullptr);
    QTest::keyClicks(ActiveEdit(sheet), "-X");
    EXPECT_EQ(Station(), "IO-01-X");
    EXPECT_NE(SavedTree(), before);
    Click(sheet->GetButton(CAppSheet::ID_CANCEL));
  });
  EXPECT_EQ(resources.OnProperties(device.get()), 2);
  station = device->GetGroup()->_GetAt("STATION");  // the undo may have rebuilt it
  EXPECT_EQ(Station(), "IO-01");
  EXPECT_EQ(SavedTree(), before);
}

TEST_F(Properties, ParametersWithoutPropertiesAreAcceptedAtOnce) {
  EXPECT_EQ(resources.OnProperties(nullptr), 2);
  station->ModifyFlags(0, PF_NO_PROPERTIES);
  EXPECT_EQ(resources.OnProperties(station), 1);
  EXPECT_TRUE(TestRecordingLink::Current().events.empty());
}

TEST_F(Properties, DebugModeWithShiftShowsTheDebugSheet) {
  resources.ModifyFlags(0, PF_DEBUG);
  AppSetKeyStateProvider(ShiftHeld);
  WhenModal([&] {
    auto* sheet = ActiveModal<CAppSheet>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "Nom de station : CAppParamValue");
    EXPECT_EQ(sheet->IsReadOnly(), 1);
    EXPECT_EQ(sheet->GetTabWidget()->tabText(0), "Debug List");
    SaveScreenshot(*sheet);
    Click(sheet->GetButton(CAppSheet::ID_OK));
  });
  const int result = resources.OnProperties(station);
  AppSetKeyStateProvider(&AppQtKeyHeld);
  EXPECT_EQ(result, 2);
  EXPECT_TRUE(TestRecordingLink::Current().events.empty());
}
