// libFuzzer target for the number parsers and the byte-list reader.
// Input: byte 0 = the set of bases, byte 1 = bit 0 the sign flag and bits 1-2
// the GetData base (decimal, hexadecimal, or two invalid ones); the rest is
// the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "appconfig/AppException.h"
#include "appconfig/AppTools.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::uint32_t bases = data[0] & 0x1Fu;
  if (data[0] == 0xFF) bases = 0xFFFFFFFFu;  // the "all bases" callers pass
  const bool isSigned = (data[1] & 1u) != 0;
  static constexpr std::uint32_t kDataBases[] = {CAppTools::BASE_DEC, CAppTools::BASE_HEX,
                                                 CAppTools::BASE_OCT, 0};
  const std::uint32_t dataBase = kDataBases[(data[1] >> 1) & 3u];
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  bool ok32 = false;
  bool ok64 = false;
  std::uint32_t value32 = 0;
  std::uint64_t value64 = 0;
  try {
    value32 = CAppTools::StringToDwordThrow(text.c_str(), isSigned, bases);
    ok32 = true;
  } catch (const CAppException& e) {
    Check(e.GetMessage().empty());
  }
  try {
    value64 = CAppTools::StringToInt64(text.c_str(), isSigned, bases);
    ok64 = true;
  } catch (const CAppException& e) {
    Check(e.GetMessage().empty());
  }
  // Whatever fits 32 bits fits 64 bits, with the same low word.
  if (ok32) Check(ok64 && static_cast<std::uint32_t>(value64) == value32);
  // The soft variant agrees with the throwing one (no output interface here).
  Check(CAppTools::StringToDword(text.c_str(), isSigned, bases) == (ok32 ? value32 : 0));

  std::vector<std::uint8_t> bytes;
  try {
    CAppTools::GetData(bytes, text.c_str(), dataBase);
  } catch (const CAppException& e) {
    Check(e.GetMessage() == "Exception >Error");
  }
  if (dataBase != CAppTools::BASE_DEC && dataBase != CAppTools::BASE_HEX) Check(bytes.empty());
  Check(bytes.size() <= text.size());
  return 0;
}
