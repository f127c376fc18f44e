// Reads random bytes as a binary parameter file, into a new tree and into an
// existing group (the undo path). Whatever loads must save again and load
// back to the same bytes. Seeds: fuzz/seeds/stream_bin.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRecord.h"
#include "appconfig/AppStreamBin.h"

namespace {

// A parameter with one field of every record type, so that every reader
// path is reachable from a file.
class CFuzzParamAll : public CAppParam {
  APP_DECLARE_DYNCREATE(CFuzzParamAll)

public:
  void Serialize(CAppRecord* record) override {
    CAppParam::Serialize(record);
    record->Do("I1", i1);
    record->Do("UI1", ui1);
    record->Do("I2", i2);
    record->Do("UI2", ui2);
    record->Do("I4", i4);
    record->Do("UI4", ui4);
    record->Do("I8", i8);
    record->Do("UI8", ui8);
    record->Do("Text", text);
    record->Do("Type", type);
    record->Do("Value", value);
    record->Do("Bytes", bytes);
    record->Do("Words", words);
    record->Do("Strings", strings);
    record->Do("List", list);
  }
  static void _ResourcesInit(CAppResources*) {}

  signed char i1 = 0;
  unsigned char ui1 = 0;
  short i2 = 0;
  unsigned short ui2 = 0;
  int i4 = 0;
  unsigned int ui4 = 0;
  long long i8 = 0;
  unsigned long long ui8 = 0;
  std::string text;
  CAppTools::Type type;
  CAppVariant value;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> words;
  std::vector<std::string> strings;
  std::list<std::string> list;
};

APP_IMPLEMENT_DYNCREATE(CFuzzParamAll, CAppParam)
APP_REGISTER_CLASS(CFuzzParamAll, "")

std::vector<std::uint8_t> Save(CAppParam* param) {
  CAppToolsBin::Memory memory(4096);
  CAppStreamBin::SaveStream save(&memory, param);
  return memory.GetData();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CAppToolsBin::Memory input(4096);
  input._Write(data, static_cast<unsigned>(size));

  CAppParam* loaded = nullptr;
  try {
    CAppStreamBin::LoadStream load(&input, loaded);
  } catch (const CAppException&) {
    if (loaded != nullptr) __builtin_trap();  // a failed load hands nothing back
  }
  const std::unique_ptr<CAppParam> tree(loaded);
  if (tree) {
    // A tree that loaded is a valid tree: it saves, and its file loads to
    // the same tree, which saves to the same bytes.
    const std::vector<std::uint8_t> first = Save(tree.get());
    CAppToolsBin::Memory again(4096);
    again._Write(first.data(), static_cast<unsigned>(first.size()));
    CAppParam* reloaded = nullptr;
    CAppStreamBin::LoadStream load(&again, reloaded);
    const std::unique_ptr<CAppParam> second(reloaded);
    if (!second || Save(second.get()) != first) __builtin_trap();
  }

  // The undo path: into an existing group that already has children.
  CAppParamGroup group;
  group.SetAt("OLD", new CAppParam);
  try {
    CAppStreamBin::MakeUndo(&input, &group);
  } catch (const CAppException&) {
  }
  return 0;
}
