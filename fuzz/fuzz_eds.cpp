// Reads random bytes as a CANopen EDS file. A file that loads is written
// back as a DCF with the values it holds: that DCF must load to a tree with
// the same data image. Seeds: fuzz/seeds/eds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppStreamEDS.h"

namespace {

std::vector<std::uint8_t> Image(CAppParam& root) {
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  std::vector<std::uint8_t> bytes;
  record.GetData(bytes);
  return bytes;
}

// One pair of files per process, in the temporary folder.
const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/fuzz_eds_XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string eds = Folder() + "/input.eds", dcf = Folder() + "/output.dcf";
  std::ofstream(eds, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
  std::unique_ptr<CAppParam> tree;
  try {
    tree = CAppStreamEDS::Load(eds, 1);
  } catch (const CAppException&) {
    return 0;  // malformed: refused with a message, nothing built
  }
  CAppStreamEDS::SaveDCF(eds, tree.get(), dcf, {1, 250});
  const std::unique_ptr<CAppParam> back = CAppStreamEDS::Load(dcf, 1);
  if (Image(*back) != Image(*tree)) __builtin_trap();
  return 0;
}
