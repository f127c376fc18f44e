#include "appconfig/AppDataRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "TestSupport.h"
#include "appconfig/AppVariant.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Image(const CAppDataRecord& r) {
  Bytes out;
  r.GetData(out);
  return out;
}

struct Field { std::uint32_t value, bits; bool motorola; };

// Packs one variant field per entry into a fresh image.
Bytes Pack(const std::vector<Field>& fields) {
  CAppDataRecord r(false);
  for (const Field& f : fields) {
    CAppVariant v(f.value);
    r.Do(v, f.bits, f.motorola);
  }
  return Image(r);
}

// Reference: one bit at a time, by the bit numbering of the image.
bool BitAt(const Bytes& b, std::uint64_t p) { return (b[p / 8] >> (p % 8)) & 1u; }

}  // namespace

TEST(AppDataRecordLayout, GoldenBytes) {
  const std::pair<std::vector<Field>, Bytes> rows[] = {
      // Motorola order only for 16 to 32 bits.
      {{{0x1234, 16, true}}, {0x12, 0x34}}, {{{0x1234, 16, false}}, {0x34, 0x12}},
      {{{0x123456, 24, true}}, {0x12, 0x34, 0x56}}, {{{0x123456, 24, false}}, {0x56, 0x34, 0x12}},
      {{{0x12345678, 32, true}}, {0x12, 0x34, 0x56, 0x78}}, {{{0xABC, 12, true}}, {0xBC, 0x0A}},
      // Small fields packed without padding; a wider value keeps only the field's bits.
      {{{5, 3, false}, {1, 5, false}}, {0x0D}}, {{{0xFF, 3, false}, {0, 5, false}}, {0x07}},
      // 1 bit, then 16 bits Motorola crossing three bytes, then 7 bits.
      {{{1, 1, false}, {0x1234, 16, true}, {0x7F, 7, false}}, {0x25, 0x68, 0xFE}},
      {{{0, 5, false}, {0x1ABC, 13, false}}, {0x80, 0x57, 0x03}},
  };
  for (const auto& [fields, bytes] : rows) EXPECT_EQ(Pack(fields), bytes) << fields.size() << " fields";
}

TEST(AppDataRecordLoad, Variant_KeepsItsTypeWithoutSignExtension) {
  CAppVariant i1, i2, loaded[] = {CAppVariant(std::int32_t{0}), i1, i2, CAppVariant("text"), CAppVariant()};
  loaded[1].SetInt(CAppVariant::VT_I1, 0);
  loaded[2].SetInt(CAppVariant::VT_I2, 0);
  CAppDataRecord r(true);
  r.SetData(Bytes(5, 0xFF));
  for (CAppVariant& v : loaded) r.Do(v, 8, false);
  const std::pair<std::uint16_t, std::int64_t> expected[] = {
      {CAppVariant::VT_I4, 255}, {CAppVariant::VT_I1, -1}, {CAppVariant::VT_I2, 255}, {CAppVariant::VT_UI4, 255},
      {CAppVariant::VT_UI4, 255}};  // text and empty become UI4
  for (std::size_t i = 0; i < std::size(loaded); ++i) {
    EXPECT_EQ(std::pair(loaded[i].GetType(), loaded[i].GetInt64()), expected[i]) << i;
  }
}

TEST(AppDataRecordRoundTrip, MixedFields_SameValuesBack) {
  std::mt19937 rng(7);
  std::vector<Field> fields;
  for (int i = 0; i < 2000; ++i) {
    const std::uint32_t bits = 1 + rng() % 32;
    const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    fields.push_back({static_cast<std::uint32_t>(rng()) & mask, bits, (rng() & 1) != 0});
  }
  CAppDataRecord r(true);
  r.SetData(Pack(fields));
  for (const Field& f : fields) {
    CAppVariant v(std::uint32_t{0});
    r.Do(v, f.bits, f.motorola);
    ASSERT_EQ(v.GetUInt64(), f.value) << f.bits << " bits";
  }
  EXPECT_EQ(r.GetSize(), (r.GetPosition() + 7) / 8);
}

TEST(AppDataRecordRoundTrip, ByteArrayAtOddOffsetOverAnImageAndAcrossStorageSteps) {
  CAppDataRecord over(false);  // saving over an image keeps the other bits
  over.SetData(Bytes{0xFF, 0xFF});
  over.Shift(4);
  CAppVariant zero(std::uint32_t{0});
  over.Do(zero, 8, false);
  EXPECT_EQ(Image(over), (Bytes{0x0F, 0xF0}));
  CAppDataRecord save(false);
  CAppVariant head(std::uint32_t{3}), none(std::uint32_t{1});
  save.Do(head, 3, false);
  save.Do(none, 0, true);  // zero bits do nothing
  Bytes array = {0xA5, 0x3C, 0x7F};
  save.Do(array, 21, true);  // the last 3 bits of 0x7F are not part of the field
  EXPECT_EQ(Image(save), (Bytes{0x2B, 0xE5, 0xF9}));
  CAppDataRecord load(true);
  load.SetData(Image(save));
  load.Shift(3);
  Bytes back = {1, 2, 3, 4, 5};
  load.Do(back, 21, false);
  EXPECT_EQ(back, (Bytes{0xA5, 0x3C, 0x1F}));

  CAppDataRecord big(false);
  Bytes large(CAppDataRecord::kGrowBy * 3 + 5);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 31);
  big.Shift(4);
  big.Do(large, static_cast<std::uint32_t>(large.size() * 8), false);
  EXPECT_EQ(big.GetSize(), large.size() + 1);
  CAppDataRecord bigLoad(true);
  bigLoad.SetData(Image(big).data(), big.GetSize());
  bigLoad.Shift(4);
  back.clear();
  bigLoad.Do(back, static_cast<std::uint32_t>(large.size() * 8), false);
  EXPECT_EQ(back, large);
}

TEST(AppDataRecordErrors, SizeError_NothingChanged) {
  CAppVariant v(std::uint32_t{1});
  Bytes array = {7};
  CAppDataRecord save(false), shifted(true), empty(true);
  shifted.SetData(Bytes{1, 2});
  shifted.Shift(9);
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"33 bits", [&] { save.Do(v, 33, false); }},
      {"8 bits at 9 of 16", [&] { shifted.Do(v, 8, false); }},
      {"array from an empty image", [&] { empty.Do(array, 1, false); }},
      {"17 bits of a 1-byte array", [&] { save.Do(array, 17, false); }},
  };
  for (const auto& [name, call] : rows) {
    const CAppException e = CatchAppException(call);
    EXPECT_EQ(e.GetMessage(), "Exception >Size Error") << name;
    EXPECT_EQ(e.GetPrgFile(), "AppDataRecord") << name;
  }
  EXPECT_EQ(save.GetSize(), 0u);
  EXPECT_EQ(v.GetUInt64(), 1u);
  EXPECT_EQ(array, Bytes{7});
}

TEST(AppDataRecordData, GetDataIntoBuffer) {
  CAppDataRecord r(false);
  r.SetData(Bytes{1, 2, 3});
  std::uint8_t exact[3] = {};
  r.GetData(exact, 3);
  EXPECT_EQ(Bytes(exact, exact + 3), (Bytes{1, 2, 3}));
  std::uint8_t small[2] = {9, 9};
  EXPECT_EQ(CatchAppException([&] { r.GetData(small, 2); }).GetMessage(), "Exception >GetData Error");
  EXPECT_EQ(small[0], 9);
  EXPECT_EQ(CatchAppException([&] { r.GetData(nullptr, 8); }).GetMessage(), "Exception >Bad pointer");
}

TEST(AppDataRecordCopyData, MatchesBitwiseReferenceAndKeepsOutsideBits) {
  Bytes edge = {0xFF, 0xFF};
  const Bytes zero = {0x00};
  CAppDataRecord::CopyData(edge.data(), zero.data(), 6, 0, 4);
  EXPECT_EQ(edge, (Bytes{0x3F, 0xFC}));
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    Bytes src(40), dst(40);
    for (auto& b : src) b = static_cast<std::uint8_t>(rng());
    for (auto& b : dst) b = static_cast<std::uint8_t>(rng());
    const std::uint64_t bits = rng() % 150;
    const std::uint64_t sbit = rng() % (src.size() * 8 - bits + 1);
    const std::uint64_t dbit = rng() % (dst.size() * 8 - bits + 1);
    const Bytes before = dst;
    CAppDataRecord::CopyData(dst.data(), src.data(), dbit, sbit, bits);
    for (std::uint64_t p = 0; p < dst.size() * 8; ++p) {
      const bool inside = p >= dbit && p < dbit + bits;
      const bool want = inside ? BitAt(src, sbit + (p - dbit)) : BitAt(before, p);
      ASSERT_EQ(BitAt(dst, p), want) << "bits " << bits << " from " << sbit << " to " << dbit << " at " << p;
    }
  }
}
