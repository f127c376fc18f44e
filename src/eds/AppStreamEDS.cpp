#include "appconfig/AppStreamEDS.h"

#include <filesystem>

#include "AppEdsDevice.h"
#include "AppEdsIni.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParam.h"

std::unique_ptr<CAppParam> CAppStreamEDS::Load(const std::string& file, int nodeId, std::vector<std::string>* skipped) {
  std::unique_ptr<CAppParam> root;
  std::vector<std::string> left;
  {
    const CAppEdsIni ini(file, CAppEdsIni::ReadFile(file));
    CAppEdsDevice device(ini, nodeId, std::filesystem::path(file).stem().string());
    root = device.TakeRoot();
    left = device.GetSkipped();
  }
  if (!left.empty()) {
    std::string list;
    for (const std::string& entry : left) list += (list.empty() ? "" : ", ") + entry;
    CAppLog::DisplayErrorMessage("Entrées non importées de " + std::filesystem::path(file).filename().string() +
                                 " : " + list + ".");
  }
  if (skipped != nullptr) *skipped = std::move(left);
  return root;
}
