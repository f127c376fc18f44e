// Loads the installed example description, checks it and packs its image.
#include <cstdio>
#include <string>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  try {
    CAppToolsXML::SetSchemaPath(std::string(APPCONFIG_SCHEMA_DIR) + "/Description");
    CAppToolsXML::SetPath(std::string(argv[1]) + "/");
    CAppResources resources;
    resources.Init();
    const auto device = CAppStreamXML::Load("device", &resources, "DEVICE");
    if (device == nullptr) return 1;
    CAppDataRecord image(false);
    device->DataSerialize(&image);
    std::printf("%u bytes\n", image.GetSize());
    return image.GetSize() == 17 ? 0 : 1;
  } catch (const CAppException& e) {
    std::fprintf(stderr, "%s\n", e.GetMessage().c_str());
    return 1;
  }
}
