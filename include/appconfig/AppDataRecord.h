// The device data image: a byte buffer and a bit cursor. Bit p is bit
// (p mod 8) of byte (p div 8), bit 0 being the least significant.
//
// Each parameter's DataSerialize places its value at the cursor with Do, or
// reads it back from there; fields are packed with no padding.
#pragma once

#include <cstdint>
#include <vector>

#include "appconfig/AppObject.h"

class CAppParam;
class CAppVariant;

class CAppDataRecord : public CAppObject {
  APP_DECLARE_DYNCREATE(CAppDataRecord)

public:
  // The storage grows by whole steps of this many bytes.
  static constexpr std::uint32_t kGrowBy = 1024;

  // How a field lies in the image.
  enum EN_FIELD : std::uint8_t {
    FIELD_INTEL,     // a value, low byte first
    FIELD_MOTOROLA,  // a value of 16, 24 or 32 bits with its bytes reversed
    FIELD_BYTES,     // a byte array, byte by byte
    FIELD_SKIPPED,   // the bits of a PF_NO_DATA parameter, passed over untouched
  };

  // Told of each field as the walk places it (or reads it back), so that a
  // tool can show where each parameter lands without laying the image out a
  // second time.
  class Observer {
  public:
    virtual ~Observer() = default;
    // `param` is the parameter whose DataSerialize handles the field, null
    // when Do is called outside one; `bit` is the field's first bit.
    virtual void OnField(CAppParam* param, std::uint32_t bit, std::uint32_t bits, EN_FIELD kind) = 0;
  };

  explicit CAppDataRecord(bool load = false) : m_bLoad(load) {}

  bool IsModeLoad() const { return m_bLoad; }
  // Sets the mode and puts the cursor back to 0.
  void SetModeLoad(bool load) {
    m_bLoad = load;
    m_nPosition = 0;
    m_pParam = nullptr;
  }
  // Advances the cursor without touching the data; past the last bit the
  // cursor counts (2^32 - 1) throws "Size Error", as every field does.
  void Shift(std::uint32_t bits);
  // Borrowed; null (the default) for none.
  void SetObserver(Observer* observer) { m_pObserver = observer; }
  std::uint32_t GetPosition() const { return m_nPosition; }

  // Bytes in the image.
  std::uint32_t GetSize() const { return m_nSize; }
  void GetData(std::vector<std::uint8_t>& out) const;
  void SetData(const std::vector<std::uint8_t>& data);
  // Copies the image into `buffer`; a buffer smaller than the image throws
  // "GetData Error".
  void GetData(std::uint8_t* buffer, std::uint32_t size) const;
  // The image becomes these bytes.
  void SetData(const std::uint8_t* bytes, std::uint32_t size);

  // A value field of up to 32 bits at the cursor; 0 bits does nothing.
  // `motorola` reverses the bytes of a 16, 24 or 32-bit field. Wider fields
  // throw "Size Error", as does loading past the end of the image (the cursor
  // has then already moved on). On load the variant keeps its type (a string
  // or empty one becomes VT_UI4) and receives the field zero-extended, as
  // that type holds it: 0xFF in an I1 variant is -1.
  void Do(CAppVariant& value, std::uint32_t bits, bool motorola);
  // A byte-array field: the array's first `bits` bits, never byte-swapped.
  // Saving an array shorter than the field and loading past the end of the
  // image throw "Size Error"; on load the array gets (bits + 7) / 8 bytes.
  void Do(std::vector<std::uint8_t>& value, std::uint32_t bits, bool motorola);

  // `value` with the order of its bits / 8 low bytes reversed for 16, 24 and
  // 32 bits; unchanged for any other width.
  static std::uint32_t SwabData(std::uint32_t value, std::uint32_t bits);
  // Copies `bits` bits from `source` at bit `sourceBit` to `destination` at
  // bit `destinationBit`; the other bits of the destination bytes keep their
  // values. The caller guarantees both ranges lie inside the buffers.
  static void CopyData(std::uint8_t* destination, const std::uint8_t* source,
                       std::uint64_t destinationBit, std::uint64_t sourceBit, std::uint64_t bits);

private:
  // CAppParam::IsDataSerializable names the parameter whose fields follow
  // and skips the bits of one without data.
  friend class CAppParam;
  void BeginParam(CAppParam* param) { m_pParam = param; }
  void Skip(std::uint32_t bits);
  // Moves the cursor past a field of `bits` bits and returns where the field
  // starts. A field that would end past the last bit the cursor counts
  // throws "Size Error" naming the parameter's path: fields never wrap
  // around onto others.
  std::uint32_t Advance(std::uint32_t bits);
  void Notify(std::uint32_t bit, std::uint32_t bits, EN_FIELD kind) {
    if (m_pObserver != nullptr) m_pObserver->OnField(m_pParam, bit, bits, kind);
  }

  // Makes the image at least `bytes` long; new bytes are zero.
  void Grow(std::uint64_t bytes);
  // Storage for `bytes` bytes plus the slack the word-wide accesses need.
  void Reserve(std::uint64_t bytes);

  // m_data.size() is the storage, a multiple of kGrowBy, zero past m_nSize
  // and always at least 8 bytes longer than the image.
  std::vector<std::uint8_t> m_data;
  std::uint32_t m_nSize = 0;
  std::uint32_t m_nPosition = 0;
  bool m_bLoad = false;
  Observer* m_pObserver = nullptr;
  CAppParam* m_pParam = nullptr;
};
