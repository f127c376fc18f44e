#include "ParamLinkFixture.h"

#include <fstream>
#include <iterator>

#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

void ParamLinks::SetUp() {
  resources.Init();
  CAppToolsXML::SetPath(APPCONFIG_EXAMPLES_DIR "/");
  CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
  device = CAppStreamXML::Load("device", &resources, "DEVICE");
  ASSERT_NE(device, nullptr);
  messages = std::make_unique<RecordedMessageBoxes>();
}

void ParamLinks::TearDown() {
  messages.reset();
  CAppToolsXML::SetPath("");
  CAppToolsXML::SetSchemaPath("");
}

int ParamLinks::Open(CAppParam* param, const std::function<void(CAppSheet&)>& action, CAppSheet* sheet) {
  WhenModal([&] {
    auto* shown = ActiveModal<CAppSheet>();
    ASSERT_NE(shown, nullptr);
    action(*shown);
  });
  return resources.OnProperties(param, sheet);
}

std::vector<char> ParamLinks::SavedTree() {
  const std::string file = folder.File("device.bin");
  CAppStreamBin::Save(device.get(), file);
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
