// A host program: starts the library and its user interface, loads the
// gauge module, lets a parameter's profile name the module's link, and
// edits the parameter through it twice: typed and kept with OK, then shown
// read-only. Exits with 0 when everything behaved.
#include <dlfcn.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppDialogTemplate.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"
#include "appconfig/ui/AppUiLib.h"

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "gauge_host: %s\n", what);
    ++failures;
  }
}

// Runs `step` on the sheet once it is shown; the step closes it.
void WhenSheetShown(std::function<void(CAppSheet&)> step) {
  QTimer::singleShot(0, [step] {
    auto* sheet = qobject_cast<CAppSheet*>(QApplication::activeModalWidget());
    if (sheet == nullptr) {
      Expect(false, "no sheet shown");
      return;
    }
    step(*sheet);
    if (sheet->isVisible()) sheet->EndDialog(2);
  });
}

QLineEdit* GaugeOf(CAppSheet& sheet) {
  CAppPage* page = sheet.GetAppPage(-1);
  QWidget* item = page != nullptr ? AppGetDlgItem(page, 20002) : nullptr;
  Expect(item != nullptr && item->inherits("GaugeEdit"), "the page holds no GaugeEdit as item 20002");
  return qobject_cast<QLineEdit*>(item);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!InitAppConfigLib() || !InitAppConfigUiLib()) return 1;

  void* handle = dlopen(GAUGE_MODULE, RTLD_NOW | RTLD_LOCAL);
  auto init = handle != nullptr ? reinterpret_cast<PFN_APP_MODULE_INIT>(dlsym(handle, APP_MODULE_INIT_SYMBOL)) : nullptr;
  CAppDynamic::KTO_EXTENSION_MODULE* module = init != nullptr ? init(handle) : nullptr;
  if (module == nullptr || module->m_pContext == nullptr) {
    std::fprintf(stderr, "gauge_host: cannot load %s\n", GAUGE_MODULE);
    return 1;
  }
  CAppDynamic::KtoActiveExtensionModule(*module);

  CAppResources resources;
  resources.Init();
  CAppParamGroup root("Machine");
  auto* speed = root.SetAt("SPEED", new CAppParamValue("Vitesse"));
  speed->SetVariant(CAppVariant("100"));
  CAppParamGroup* profile = resources.FindProfile(speed);
  CAppParam* link = profile->FindChild("SYS_LINK_0");
  if (link == nullptr) link = profile->SetAt("SYS_LINK_0", new CAppParamGroup);
  link->SetName("Host Gauge");

  WhenSheetShown([](CAppSheet& sheet) {
    Expect(sheet.GetTabWidget()->tabText(0) == "Jauge", "the module's page is not shown");
    if (QLineEdit* gauge = GaugeOf(sheet)) {
      Expect(gauge->text() == "100" && !gauge->isReadOnly(), "the gauge does not show the value");
      gauge->setText("120");
    }
    sheet.GetButton(CAppSheet::ID_OK)->click();
  });
  Expect(resources.OnProperties(speed) == 1, "OK did not close the sheet");
  Expect(speed->GetVariant().ToString() == "120", "the typed value was not kept");

  speed->ModifyFlags(0, PF_READONLY);
  WhenSheetShown([](CAppSheet& sheet) {
    QLineEdit* gauge = GaugeOf(sheet);
    Expect(gauge != nullptr && gauge->isReadOnly(), "the gauge did not take \"wmReadOnly\"");
    sheet.GetButton(CAppSheet::ID_OK)->click();
  });
  resources.OnProperties(speed);
  return failures == 0 ? 0 : 1;
}
