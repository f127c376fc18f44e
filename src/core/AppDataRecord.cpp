#include "appconfig/AppDataRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppVariant.h"

APP_IMPLEMENT_DYNCREATE(CAppDataRecord, CAppObject)

namespace {

// The image is little-endian by bit numbering: byte 0 holds bits 0 to 7.
std::uint64_t LoadLE64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

void StoreLE64(std::uint8_t* p, std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, sizeof v);
}

// `n` (<= 8) bits of `src` from bit `bit` (< 8) on; touches src[1] only when
// the run crosses into it.
unsigned ReadSmall(const std::uint8_t* src, unsigned bit, unsigned n) {
  unsigned v = static_cast<unsigned>(src[0]) >> bit;
  if (bit + n > 8) v |= static_cast<unsigned>(src[1]) << (8 - bit);
  return v & ((1u << n) - 1u);
}

void MergeByte(std::uint8_t* dst, unsigned value, unsigned mask) {
  *dst = static_cast<std::uint8_t>((*dst & ~mask) | (value & mask));
}

// The variant keeps its type; only a value with no integer meaning becomes
// an unsigned 32-bit one.
void StoreWord(CAppVariant& value, std::uint32_t word) {
  const std::uint16_t vt = value.GetType();
  if (vt == CAppVariant::VT_EMPTY || vt == CAppVariant::VT_BSTR) {
    value.SetUInt(CAppVariant::VT_UI4, word);
  } else if (vt == CAppVariant::VT_R4 || vt == CAppVariant::VT_R8) {
    value.SetDouble(vt, static_cast<double>(word));
  } else {
    value.SetUInt(vt, word);
  }
}

std::uint64_t RoundUp(std::uint64_t bytes, std::uint64_t step) { return (bytes + step - 1) / step * step; }

}  // namespace

void CAppDataRecord::Reserve(std::uint64_t bytes) {
  // 8 bytes of slack so that a field can be read and written as one word.
  const std::uint64_t want = RoundUp(bytes + 8, kGrowBy);
  if (m_data.size() < want) m_data.resize(static_cast<std::size_t>(want));
}

void CAppDataRecord::Grow(std::uint64_t bytes) {
  if (bytes <= m_nSize) return;
  if (bytes > std::numeric_limits<std::uint32_t>::max() - 2 * kGrowBy) APP_THROW("Size Error");
  Reserve(bytes);
  m_nSize = static_cast<std::uint32_t>(bytes);
}

void CAppDataRecord::GetData(std::vector<std::uint8_t>& out) const {
  out.assign(m_data.begin(), m_data.begin() + m_nSize);
}

void CAppDataRecord::SetData(const std::vector<std::uint8_t>& data) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max() - 2 * kGrowBy) APP_THROW("Size Error");
  SetData(data.data(), static_cast<std::uint32_t>(data.size()));
}

void CAppDataRecord::GetData(std::uint8_t* buffer, std::uint32_t size) const {
  APP_CHECK_POINTER(buffer);
  if (size < m_nSize) APP_THROW("GetData Error");
  if (m_nSize != 0) std::memcpy(buffer, m_data.data(), m_nSize);
}

void CAppDataRecord::SetData(const std::uint8_t* bytes, std::uint32_t size) {
  if (size != 0) APP_CHECK_POINTER(bytes);
  if (size > std::numeric_limits<std::uint32_t>::max() - 2 * kGrowBy) APP_THROW("Size Error");
  // A fresh buffer: `bytes` may point into the current one.
  std::vector<std::uint8_t> fresh(static_cast<std::size_t>(RoundUp(std::uint64_t{size} + 8, kGrowBy)));
  if (size != 0) std::memcpy(fresh.data(), bytes, size);
  m_data.swap(fresh);
  m_nSize = size;
}

std::uint32_t CAppDataRecord::SwabData(std::uint32_t value, std::uint32_t bits) {
  switch (bits) {
    case 16: return ((value & 0x00FFu) << 8) | ((value >> 8) & 0x00FFu);
    case 24: return ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
    case 32:
      return (value << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) | (value >> 24);
    default: return value;
  }
}

std::uint32_t CAppDataRecord::Advance(std::uint32_t bits) {
  const std::uint64_t start = m_nPosition;
  if (start + bits > std::numeric_limits<std::uint32_t>::max()) {
    std::string path = m_pParam != nullptr ? m_pParam->GetPath() : std::string();
    if (path.empty() && m_pParam != nullptr) path = m_pParam->GetKey();
    APP_THROW("Size Error : %s", path.c_str());
  }
  m_nPosition = static_cast<std::uint32_t>(start + bits);
  return static_cast<std::uint32_t>(start);
}

void CAppDataRecord::Shift(std::uint32_t bits) { Advance(bits); }

void CAppDataRecord::Do(CAppVariant& value, std::uint32_t bits, bool motorola) {
  if (bits == 0) return;
  const std::uint64_t start = Advance(bits);
  if ((bits + 7ull) / 8 > 4) APP_THROW("Size Error");
  const std::uint64_t need = (start + bits + 7) / 8;
  const std::size_t byte = static_cast<std::size_t>(start >> 3);
  const unsigned shift = static_cast<unsigned>(start & 7);
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  // A field of at most 32 bits spans at most 5 bytes: one 64-bit window,
  // which the storage's slack keeps in bounds.
  if (m_bLoad) {
    if (m_nSize < need) APP_THROW("Size Error");
    std::uint32_t word = static_cast<std::uint32_t>((LoadLE64(&m_data[byte]) >> shift) & mask);
    if (motorola) word = SwabData(word, bits);
    StoreWord(value, word);
  } else {
    Grow(need);
    std::uint32_t word = value.ToUInt32();
    if (motorola) word = SwabData(word, bits);
    std::uint8_t* p = &m_data[byte];
    const std::uint64_t window = LoadLE64(p);
    StoreLE64(p, (window & ~(mask << shift)) | ((word & mask) << shift));
  }
  // SwabData leaves the widths it does not reverse as they are.
  const bool swapped = motorola && SwabData(0x00010203u, bits) != 0x00010203u;
  Notify(static_cast<std::uint32_t>(start), bits, swapped ? FIELD_MOTOROLA : FIELD_INTEL);
}

void CAppDataRecord::Do(std::vector<std::uint8_t>& value, std::uint32_t bits, bool /*motorola*/) {
  if (bits == 0) return;
  const std::uint64_t start = Advance(bits);
  const std::uint64_t need = (start + bits + 7) / 8;
  const std::size_t bytes = static_cast<std::size_t>((bits + 7ull) / 8);
  if (m_bLoad) {
    if (m_nSize < need) APP_THROW("Size Error");
    value.assign(bytes, 0);
    CopyData(value.data(), m_data.data(), 0, start, bits);
  } else {
    if (value.size() < bytes) APP_THROW("Size Error");
    Grow(need);
    CopyData(m_data.data(), value.data(), start, 0, bits);
  }
  Notify(static_cast<std::uint32_t>(start), bits, FIELD_BYTES);
}

void CAppDataRecord::Skip(std::uint32_t bits) {
  const std::uint32_t start = Advance(bits);
  Notify(start, bits, FIELD_SKIPPED);
}

void CAppDataRecord::CopyData(std::uint8_t* destination, const std::uint8_t* source,
                              std::uint64_t destinationBit, std::uint64_t sourceBit,
                              std::uint64_t bits) {
  if (bits == 0) return;
  APP_CHECK_POINTER(destination);
  APP_CHECK_POINTER(source);
  std::uint8_t* dst = destination + (destinationBit >> 3);
  const std::uint8_t* src = source + (sourceBit >> 3);
  unsigned dbit = static_cast<unsigned>(destinationBit & 7);
  unsigned sbit = static_cast<unsigned>(sourceBit & 7);

  // Bring the destination to a byte boundary.
  if (dbit != 0) {
    const unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(bits, 8 - dbit));
    MergeByte(dst, ReadSmall(src, sbit, n) << dbit, ((1u << n) - 1u) << dbit);
    ++dst;
    sbit += n;
    src += sbit >> 3;
    sbit &= 7;
    bits -= n;
    dbit = 0;
  }
  if (sbit == 0) {
    // Same phase: whole bytes at once.
    const std::size_t whole = static_cast<std::size_t>(bits >> 3);
    if (whole != 0) std::memmove(dst, src, whole);
    dst += whole;
    src += whole;
  } else {
    // Source out of phase: each destination word from a shifted source word.
    // 64 bits starting at sbit > 0 cover source bytes 0 to 8, all in range.
    while (bits >= 64) {
      const std::uint64_t lo = LoadLE64(src);
      const std::uint64_t hi = src[8];
      StoreLE64(dst, (lo >> sbit) | (hi << (64 - sbit)));
      dst += 8;
      src += 8;
      bits -= 64;
    }
    while (bits >= 8) {
      *dst++ = static_cast<std::uint8_t>((src[0] >> sbit) | (src[1] << (8 - sbit)));
      ++src;
      bits -= 8;
    }
  }
  const unsigned rest = static_cast<unsigned>(bits & 7);
  if (rest != 0) MergeByte(dst, ReadSmall(src, sbit, rest), (1u << rest) - 1u);
}
