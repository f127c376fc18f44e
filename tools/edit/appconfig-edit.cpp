// appconfig-edit: opens a device's parameters in the library's editors.
//
//   appconfig-edit [FILE.xml KEY | FILE.xml | FILE.bin | FILE.eds | FILE.dcf]
//   appconfig-edit --screenshot OUT.png FILE KEY [PATH]
//
// The screenshot form opens the file, selects the node at PATH, writes a
// picture of the main window and exits (0, or 1 when any step failed).
#include <QApplication>
#include <QPixmap>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <string>

#include "AppConfigFiles.h"
#include "EditWindow.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppToolsXML.h"
#include "appconfig/ui/AppUiLib.h"

namespace {

void Usage(std::FILE* out = stderr) {
  std::fprintf(out,
               "usage: appconfig-edit [FILE.xml KEY | FILE.xml | FILE.bin | FILE.eds | FILE.dcf]\n"
               "       appconfig-edit --screenshot OUT.png FILE KEY [PATH]\n"
               "A CANopen .eds or .dcf file opens under the key DEVICE; Save writes a .dcf.\n");
}

int Screenshot(EditWindow& window, const QStringList& args) {
  if (args.size() < 5 || args.size() > 6) {
    Usage();
    return 2;
  }
  if (!window.OpenFile(args[3].toStdString(), args[4].toStdString())) return 1;
  if (args.size() == 6 && !window.SelectPath(args[5].toStdString())) {
    std::fprintf(stderr, "appconfig-edit: no parameter at %s\n", qPrintable(args[5]));
    return 1;
  }
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(args[2], "PNG")) {
    std::fprintf(stderr, "appconfig-edit: can not write %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the application object: it needs a display, the usage does not.
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("appconfig-edit");
  if (!InitAppConfigLib() || !InitAppConfigUiLib()) {
    std::fprintf(stderr, "appconfig-edit: the appconfig libraries did not start\n");
    return 1;
  }
  CAppToolsXML::SetSchemaPath((std::filesystem::path(DefaultSchemaDir()) / "Description").string());
  const QStringList args = QApplication::arguments();
  EditWindow window;
  if (args.size() > 1 && args[1] == "--screenshot") return Screenshot(window, args);
  if (args.size() > 3 || (args.size() > 1 && args[1].startsWith("-"))) {
    Usage();
    return 2;
  }
  window.show();
  if (args.size() > 1) window.OpenFile(args[1].toStdString(), args.size() > 2 ? args[2].toStdString() : std::string());
  return QApplication::exec();
}
