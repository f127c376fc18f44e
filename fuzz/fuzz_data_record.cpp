// Loads value and byte-array fields of random widths from a random image.
// Input: a header byte n, then n field descriptors of 2 bytes, then the image.
// Descriptor: byte 0 bit 7 = byte array, bit 6 = Motorola, bits 0-2 = the
// variant's type; byte 1 = width (values 0 to 40 so that "Size Error" is
// reached; arrays 0 to 255). Every field of an unsigned 32-bit variant that
// loads is saved again and must give back the image's bits.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppVariant.h"

namespace {

const std::uint16_t kTypes[8] = {CAppVariant::VT_UI4, CAppVariant::VT_I1, CAppVariant::VT_UI1,
                                 CAppVariant::VT_I2,  CAppVariant::VT_UI2, CAppVariant::VT_I4,
                                 CAppVariant::VT_BSTR, CAppVariant::VT_EMPTY};

bool BitAt(const std::vector<std::uint8_t>& b, std::uint64_t p) { return (b[p / 8] >> (p % 8)) & 1u; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t fields = data[0];
  if (size < 1 + 2 * fields) return 0;
  const std::uint8_t* desc = data + 1;
  const std::vector<std::uint8_t> image(data + 1 + 2 * fields, data + size);

  CAppDataRecord load(true);
  load.SetData(image.data(), static_cast<std::uint32_t>(image.size()));
  for (std::size_t i = 0; i < fields; ++i) {
    const bool array = (desc[2 * i] & 0x80) != 0;
    const bool motorola = (desc[2 * i] & 0x40) != 0;
    const std::uint16_t type = kTypes[desc[2 * i] & 0x07];
    const std::uint32_t bits = array ? desc[2 * i + 1] : desc[2 * i + 1] % 41u;
    const std::uint32_t start = load.GetPosition();
    try {
      if (array) {
        std::vector<std::uint8_t> bytes;
        load.Do(bytes, bits, motorola);
        if (bytes.size() != (bits + 7) / 8) __builtin_trap();
        for (std::uint32_t b = 0; b < bits; ++b) {
          if (BitAt(bytes, b) != BitAt(image, std::uint64_t{start} + b)) __builtin_trap();
        }
      } else {
        CAppVariant value;
        value.SetUInt(type, 0);
        load.Do(value, bits, motorola);
        if (bits == 0 || type != CAppVariant::VT_UI4) continue;
        // Saving the loaded value at the same place gives the same bits.
        CAppDataRecord save(false);
        save.Shift(start);
        save.Do(value, bits, motorola);
        std::vector<std::uint8_t> out;
        save.GetData(out);
        for (std::uint32_t b = 0; b < bits; ++b) {
          if (BitAt(out, std::uint64_t{start} + b) != BitAt(image, std::uint64_t{start} + b)) __builtin_trap();
        }
      }
    } catch (const CAppException&) {
      // "Size Error" for a field past the image or wider than 32 bits.
    }
  }
  return 0;
}
