// Builds a small device tree in memory and prints it, one node per line.
#include <cstdio>
#include <string>

#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"

namespace {

void Print(CAppParam& node, int depth) {
  std::printf("%*s%-24s %-16s %s\n", depth * 2, "", node.GetKey().c_str(),
              node.GetClassName().c_str(), node.GetFullKey().c_str());
  if (CAppParamGroup* group = node.GetGroup()) {
    POSITION pos = group->GetStartPosition();
    while (pos != nullptr) Print(*group->GetNextPtr(pos), depth + 1);
  }
}

}  // namespace

int main() {
  try {
    CAppParamGroup device("Device");
    device.SetKey("Device");
    auto* network = device.SetAt("Network", new CAppParamGroup("Network settings"));
    network->SetAt("Address", new CAppParam);
    network->SetAt("Mask", new CAppParam);
    auto* modules = device.SetAt("Modules", new CAppParamGroup("I/O modules"));
    for (int i = 0; i < 3; ++i) {
      modules->SetAt("Module", new CAppParamGroup("Module"), CAppParamGroup::ADD_AUTO_INDEX);
    }
    device.SetAt("Modules\\Module_1\\Channel", new CAppParam);
    device.FindSetFlags("Network\\Mask", PF_READONLY);
    modules->MoveDown("Module_2");
    Print(device, 0);
    device.Check();
    std::printf("%u nodes, check OK\n", device.ObjectCount());
    return 0;
  } catch (const CAppException& e) {
    std::fprintf(stderr, "%s (%s:%u)\n", e.GetMessage().c_str(), e.GetPrgFile().c_str(),
                 e.GetPrgLine());
    return 1;
  }
}
