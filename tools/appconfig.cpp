// appconfig: the command-line tool over description files.
//
//   appconfig [options] check FILE KEY
//   appconfig [options] show FILE KEY
//   appconfig [options] image FILE KEY | image --bin FILE.bin
//   appconfig [options] unpack FILE KEY HEX...
//   appconfig [options] save-xml FILE KEY OUT.xml
//   appconfig [options] save-bin FILE KEY OUT.bin
//   appconfig [options] load-bin IN.bin
//   appconfig [options] set FILE KEY PATH VALUE --out OUT.bin
//   appconfig [options] layout FILE KEY [--svg OUT.svg] | layout --bin FILE.bin [--svg OUT.svg]
//   appconfig [options] diff A B
//   appconfig [options] import FILE.eds OUT.xml
//   appconfig [options] dcf FILE.eds VALUES OUT.dcf
//
// FILE may also be a CANopen .eds or .dcf file, whose definition is DEVICE;
// --node-id N gives the node id its $NODEID values are read with.
//
// Exit status: 0 success, 1 a data error, 2 a usage error; diff exits 0
// when the files are equal, 1 when they differ and 2 on any trouble.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamEDS.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppTools.h"
#include "appconfig/AppToolsXML.h"
#include "AppConfigDiff.h"
#include "AppConfigFiles.h"
#include "AppConfigInput.h"
#include "AppConfigLayout.h"
#include "../src/core/AppSaveFile.h"  // the library's own atomic save

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0;
constexpr int kDataError = 1;
constexpr int kUsageError = 2;

struct UsageError {
  std::string message;
};

// Soft errors go to standard error, one per line.
class StderrOutput : public COutputInfoInterface {
public:
  void OutputInfo(const std::string& text, unsigned long /*param*/) override {
    std::cerr << text << '\n';
  }
};

struct Options {
  std::string schemas;
  std::string resources;
  std::string bin;
  std::string out;
  std::string svg;
  std::string log;
  int nodeId = CAppStreamEDS::NODE_ID_FROM_FILE;
  int baudrate = -1;
  std::vector<std::string> args;
  bool help = false;
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  std::size_t minArgs;
  std::size_t maxArgs;  // 0: no limit
  std::function<int(const Options&)> run;
  int failure = kDataError;  // the exit status when a file cannot be used
};

// --- Environment -------------------------------------------------------------------------

// A description is named by its .xml file (a device by its .eds or .dcf).
std::string UseDescriptionFile(const std::string& file) {
  if (IsDeviceFile(file)) return file;
  const std::string extension = fs::path(file).extension().string();
  if (extension != ".xml" && extension != ".XML") {
    throw UsageError{"a description is given as its .xml file: " + file};
  }
  return UseDescription(file);
}

// A binary parameter file's tree; the library answers null for a file it
// cannot open.
std::unique_ptr<CAppParam> LoadBinary(const std::string& file) {
  std::unique_ptr<CAppParam> root = CAppStreamBin::Load(file);
  if (root == nullptr) throw CAppException("appconfig", 0, "Can not load %s", file.c_str());
  return root;
}

class Session {
public:
  explicit Session(const Options& options) : m_nodeId(options.nodeId) {
    CAppToolsXML::SetSchemaPath((fs::path(options.schemas.empty() ? DefaultSchemaDir() : options.schemas) /
                                 "Description").string());
    m_resources.Init();
    if (!options.resources.empty()) {
      const std::string name = UseDescriptionFile(options.resources);
      CAppStreamXML::LoadResources(name, &m_resources);
    }
  }

  std::unique_ptr<CAppParam> LoadDescription(const std::string& file, const std::string& key) {
    if (IsDeviceFile(file)) return LoadDevice(file, key);
    const std::string name = UseDescriptionFile(file);
    std::unique_ptr<CAppParam> root = CAppStreamXML::Load(name, &m_resources, key);
    if (root == nullptr) {
      throw CAppException("appconfig", 0, "Can not load %s: no description schema in %s",
                          file.c_str(), CAppToolsXML::GetSchemaPath().c_str());
    }
    return root;
  }

  // A value file: an XML file saved by save-xml (or a description with a
  // single definition), or a binary parameter file.
  std::unique_ptr<CAppParam> LoadValues(const std::string& file) {
    const std::string extension = fs::path(file).extension().string();
    if (extension == ".bin" || extension == ".BIN") return LoadBinary(file);
    if (IsDeviceFile(file)) return LoadDevice(file, DEVICE_KEY);
    UseDescriptionFile(file);
    return LoadDescription(file, OnlyDefinitionKey(file));
  }

  CAppResources& Resources() { return m_resources; }
  int NodeId() const { return m_nodeId; }

private:
  std::unique_ptr<CAppParam> LoadDevice(const std::string& file, const std::string& key) {
    if (CAppTools::MakeUpper(key) != DEVICE_KEY) {
      throw UsageError{"the definition of a device file is " + std::string(DEVICE_KEY) + ": " + file};
    }
    CAppLog::SetFileName(fs::path(file).filename().string());
    return CAppStreamEDS::Load(file, m_nodeId);
  }

  CAppResources m_resources;
  int m_nodeId;
};

// --- Output ------------------------------------------------------------------------------

void ShowNode(CAppParam& node, CAppResources& resources) {
  const std::string path = node.GetParent() == nullptr ? "\\" : node.GetPath();
  std::cout << path << '\t' << node.GetClassName() << '\t' << ShownValue(node, &resources) << '\n';
  if (CAppParamGroup* group = node.GetGroup()) {
    POSITION pos = group->GetStartPosition();
    while (pos != nullptr) ShowNode(*group->GetNextPtr(pos), resources);
  }
}

std::string HexLine(const std::vector<std::uint8_t>& bytes) {
  std::string line;
  for (const std::uint8_t b : bytes) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    if (!line.empty()) line += ' ';
    line += text;
  }
  return line;
}

std::vector<std::uint8_t> ParseHex(const std::vector<std::string>& words) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& word : words) {
    if (word.empty() || word.size() > 2 ||
        word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      throw UsageError{"not a hexadecimal byte: " + word};
    }
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

std::vector<std::uint8_t> Pack(CAppParam& root) {
  CAppDataRecord image(false);
  root.DataSerialize(&image);
  std::vector<std::uint8_t> bytes;
  image.GetData(bytes);
  return bytes;
}

// --- Commands --------------------------------------------------------------------------

int RunCheck(const Options& o) {
  Session session(o);
  session.LoadDescription(o.args[0], o.args[1]);
  std::cout << "OK\n";
  return kOk;
}

int RunShow(const Options& o) {
  Session session(o);
  const auto root = session.LoadDescription(o.args[0], o.args[1]);
  ShowNode(*root, session.Resources());
  return kOk;
}

// The tree of FILE KEY, or of the binary file given with --bin.
std::unique_ptr<CAppParam> LoadTree(Session& session, const Options& o, const char* command) {
  if (!o.bin.empty()) {
    if (!o.args.empty()) throw UsageError{std::string(command) + " --bin takes no description"};
    return LoadBinary(o.bin);
  }
  if (o.args.size() != 2) throw UsageError{std::string(command) + " needs FILE and KEY, or --bin FILE.bin"};
  return session.LoadDescription(o.args[0], o.args[1]);
}

int RunImage(const Options& o) {
  Session session(o);
  const auto root = LoadTree(session, o, "image");
  std::cout << HexLine(Pack(*root)) << '\n';
  return kOk;
}

int RunUnpack(const Options& o) {
  Session session(o);
  const auto root = session.LoadDescription(o.args[0], o.args[1]);
  const std::vector<std::uint8_t> given = ParseHex({o.args.begin() + 2, o.args.end()});
  const std::size_t needed = Pack(*root).size();
  if (given.size() < needed) {
    throw CAppException("appconfig", 0, "The image of %s needs %zu bytes, %zu were given", o.args[1].c_str(), needed,
                        given.size());
  }
  CAppDataRecord image(true);
  image.SetData(given);
  root->DataSerialize(&image);
  ShowNode(*root, session.Resources());
  return kOk;
}

int RunSaveXml(const Options& o) {
  Session session(o);
  const auto root = session.LoadDescription(o.args[0], o.args[1]);
  const fs::path out(o.args[2]);
  CAppToolsXML::SetPath((out.has_parent_path() ? out.parent_path() : fs::path(".")).string() + "/");
  CAppStreamXML::Save(out.stem().string(), root.get());
  return kOk;
}

int RunSaveBin(const Options& o) {
  Session session(o);
  const auto root = session.LoadDescription(o.args[0], o.args[1]);
  CAppStreamBin::Save(root.get(), o.args[2]);
  return kOk;
}

int RunLoadBin(const Options& o) {
  Session session(o);
  const auto root = LoadBinary(o.args[0]);
  ShowNode(*root, session.Resources());
  return kOk;
}

int RunSet(const Options& o) {
  if (o.out.empty()) throw UsageError{"set needs --out OUT.bin"};
  Session session(o);
  const auto root = session.LoadDescription(o.args[0], o.args[1]);
  CAppParam* node = root->GetGroup() != nullptr ? root->GetGroup()->_GetAt(o.args[2]) : nullptr;
  if (node == nullptr) {
    throw CAppException("appconfig", 0, "No parameter at %s in %s", o.args[2].c_str(), o.args[1].c_str());
  }
  CheckTypedValue(*node, o.args[2], o.args[3]);
  node->SetVariant(CAppVariant(o.args[3]));
  root->Check(&session.Resources());
  CAppStreamBin::Save(root.get(), o.out);
  return kOk;
}

// Saved the way the library saves its files: a failure leaves any previous
// file as it was, and a link in a shared folder is not written through.
void WriteFile(const std::string& file, const std::function<void(std::ostream&)>& write) {
  std::ostringstream out;
  write(out);
  AppSaveFile(file, out.str());
}

int RunLayout(const Options& o) {
  Session session(o);
  const auto root = LoadTree(session, o, "layout");
  const Layout layout = PackLayout(*root);
  PrintLayout(layout, std::cout);
  if (!o.svg.empty()) {
    const std::string title = o.bin.empty() ? fs::path(o.args[0]).filename().string() + " " + o.args[1]
                                            : fs::path(o.bin).filename().string();
    WriteFile(o.svg, [&](std::ostream& out) { WriteLayoutSvg(layout, title, out); });
  }
  return kOk;
}

int RunDiff(const Options& o) {
  Session session(o);
  const auto a = session.LoadValues(o.args[0]);
  const auto b = session.LoadValues(o.args[1]);
  const std::vector<Difference> differences = DiffTrees(*a, *b, &session.Resources());
  PrintDiff(differences, std::cout);
  return differences.empty() ? kOk : 1;
}

// An appconfig description of a device file: it loads back, under DEVICE,
// to the same tree.
int RunImport(const Options& o) {
  if (!IsDeviceFile(o.args[0])) throw UsageError{"import reads a .eds or .dcf file: " + o.args[0]};
  Options save = o;
  save.args = {o.args[0], DEVICE_KEY, o.args[1]};
  return RunSaveXml(save);
}

int RunDcf(const Options& o) {
  if (!IsDeviceFile(o.args[0])) throw UsageError{"dcf reads a .eds or .dcf file: " + o.args[0]};
  Session session(o);
  const auto values = session.LoadValues(o.args[1]);
  CAppStreamEDS::DcfOptions options;
  options.nodeId = o.nodeId;
  options.baudrate = o.baudrate;
  CAppStreamEDS::SaveDCF(o.args[0], values.get(), o.args[2], options);
  return kOk;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"check", "check FILE KEY", "load the definition KEY of FILE (which checks it) and print OK", 2, 2, RunCheck},
      {"show", "show FILE KEY", "print each node: path, class and formatted value, tab-separated", 2, 2, RunShow},
      {"image", "image FILE KEY | image --bin FILE.bin", "print the device data image in hexadecimal", 0, 2, RunImage},
      {"unpack", "unpack FILE KEY HEX...", "unpack an image into the definition and show it", 2, 0, RunUnpack},
      {"save-xml", "save-xml FILE KEY OUT.xml", "save the loaded tree as an XML value file", 3, 3, RunSaveXml},
      {"save-bin", "save-bin FILE KEY OUT.bin", "save the loaded tree as a binary parameter file", 3, 3, RunSaveBin},
      {"load-bin", "load-bin IN.bin", "load a binary parameter file and show it", 1, 1, RunLoadBin},
      {"set", "set FILE KEY PATH VALUE --out OUT.bin", "set one value by path, check and save", 4, 4, RunSet},
      {"layout", "layout FILE KEY [--svg OUT.svg] | layout --bin FILE.bin [--svg OUT.svg]",
       "print where each parameter lies in the device data image: path, bit offset, bit size,\n"
       "      byte order (Intel, Motorola, bytes, no data), bytes touched and their values;\n"
       "      --svg also draws the image",
       0, 2, RunLayout},
      {"diff", "diff A B",
       "compare two value files (.xml saved by save-xml, or .bin) of one description: print\n"
       "      changed, removed (only in A), added (only in B) and moved parameters with the\n"
       "      path and the A and B values (for moved, the place among the siblings);\n"
       "      exit 0 equal, 1 different, 2 trouble",
       2, 2, RunDiff, kUsageError},
      {"import", "import FILE.eds OUT.xml",
       "write an appconfig description of a CANopen device (.eds or .dcf) that loads back,\n"
       "      under DEVICE, to the same tree and image",
       2, 2, RunImport},
      {"dcf", "dcf FILE.eds VALUES OUT.dcf [--node-id N] [--baudrate KBITS]",
       "write a DCF: the lines of FILE.eds (or .dcf) with ParameterValue set where the value\n"
       "      file VALUES (.xml or .bin) differs, and [DeviceComissioning] NodeID (and Baudrate)",
       3, 3, RunDcf},
  };
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "usage: appconfig [--schemas DIR] [--resources FILE.xml] COMMAND ARGS...\n\n"
         "Loads device descriptions, checks them, shows their values and packs their\n"
         "device data image.\n\ncommands:\n";
  for (const Command& c : Commands()) out << "  " << c.usage << "\n      " << c.summary << "\n";
  out << "\noptions:\n"
         "  --schemas DIR         folder of Description.xdr (default: the bundled schemas)\n"
         "  --resources FILE.xml  load the resource sections of FILE first\n"
         "  --node-id N           node id of a .eds/.dcf FILE ($NODEID; default: the DCF's, else 0)\n"
         "  --baudrate KBITS      [DeviceComissioning] Baudrate that dcf writes\n"
         "  --log DIR             write the developer files Log.txt and Time.txt into DIR\n"
         "                        (without it they are written nowhere)\n"
         "  --help                this text; COMMAND --help for one command\n"
         "\nexit status: 0 success, 1 data error, 2 usage error (diff: 0 equal, 1 different, 2 trouble)\n";
}

void PrintCommandHelp(const Command& c) {
  std::cout << "usage: appconfig [--schemas DIR] [--resources FILE.xml] " << c.usage << "\n  " << c.summary << '\n';
}

// A CANopen node id: 0 to 127 (0 for a device not yet commissioned).
int ParseNodeId(const std::string& text) {
  std::size_t used = 0;
  int value = -1;
  try {
    value = std::stoi(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 0 || value > 127) throw UsageError{"--node-id takes 0 to 127: " + text};
  return value;
}

// A CANopen bit rate in kbit/s, as [DeviceComissioning] Baudrate holds it.
int ParseBaudrate(const std::string& text) {
  for (const int rate : {10, 20, 50, 125, 250, 500, 800, 1000}) {
    if (text == std::to_string(rate)) return rate;
  }
  throw UsageError{"--baudrate takes 10, 20, 50, 125, 250, 500, 800 or 1000 (kbit/s): " + text};
}

// Splits the command line into the command and its options and arguments.
const Command* Parse(int argc, char** argv, Options& options) {
  const Command* command = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      target = argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--schemas") {
      value(options.schemas);
    } else if (arg == "--resources") {
      value(options.resources);
    } else if (arg == "--bin") {
      value(options.bin);
    } else if (arg == "--out") {
      value(options.out);
    } else if (arg == "--svg") {
      value(options.svg);
    } else if (arg == "--log") {
      value(options.log);
      UseLogFolder(options.log);
    } else if (arg == "--node-id") {
      std::string text;
      value(text);
      options.nodeId = ParseNodeId(text);
    } else if (arg == "--baudrate") {
      std::string text;
      value(text);
      options.baudrate = ParseBaudrate(text);
    } else if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
      throw UsageError{"unknown option " + arg};
    } else if (command == nullptr) {
      for (const Command& c : Commands()) {
        if (arg == c.name) command = &c;
      }
      if (command == nullptr) throw UsageError{"unknown command " + arg};
    } else {
      options.args.push_back(arg);
    }
  }
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  StderrOutput output;
  CAppLog::SetPtr(&output);
  Options options;
  const Command* command = nullptr;
  try {
    command = Parse(argc, argv, options);
    if (command == nullptr) {
      PrintHelp(options.help ? std::cout : std::cerr);
      return options.help ? kOk : kUsageError;
    }
    if (options.help) {
      PrintCommandHelp(*command);
      return kOk;
    }
    const std::size_t n = options.args.size();
    if (n < command->minArgs || (command->maxArgs != 0 && n > command->maxArgs)) {
      throw UsageError{std::string("wrong number of arguments for ") + command->name};
    }
    return command->run(options);
  } catch (const UsageError& e) {
    std::cerr << "appconfig: " << e.message << "\nTry 'appconfig --help'.\n";
    return kUsageError;
  } catch (const CAppException& e) {
    std::cerr << e.GetMessage() << '\n';
    return command != nullptr ? command->failure : kDataError;
  } catch (const std::exception& e) {
    std::cerr << "appconfig: " << e.what() << '\n';
    return command != nullptr ? command->failure : kDataError;
  }
}
