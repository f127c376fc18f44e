#include "appconfig/AppDataRecord.h"

#include <gtest/gtest.h>

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

// Packs one variant field per (value, bits, motorola) into a fresh image.
struct Field {
  std::uint32_t value;
  std::uint32_t bits;
  bool motorola;
};

Bytes Pack(const std::vector<Field>& fields) {
  CAppDataRecord r(false);
  for (const Field& f : fields) {
    CAppVariant v(f.value);
    r.Do(v, f.bits, f.motorola);
  }
  return Image(r);
}

CAppVariant LoadOne(const Bytes& image, std::uint32_t skip, std::uint32_t bits, bool motorola,
                    CAppVariant v = CAppVariant(std::uint32_t{0})) {
  CAppDataRecord r(true);
  r.SetData(image);
  r.Shift(skip);
  r.Do(v, bits, motorola);
  return v;
}

// Reference: one bit at a time, by the bit numbering of the image.
bool BitAt(const Bytes& b, std::uint64_t p) { return (b[p / 8] >> (p % 8)) & 1u; }

}  // namespace

TEST(AppDataRecordLayout, ByteOrder_MotorolaOnlyFor16To32Bits) {
  EXPECT_EQ(Pack({{0x1234, 16, true}}), (Bytes{0x12, 0x34}));
  EXPECT_EQ(Pack({{0x1234, 16, false}}), (Bytes{0x34, 0x12}));
  EXPECT_EQ(Pack({{0x123456, 24, true}}), (Bytes{0x12, 0x34, 0x56}));
  EXPECT_EQ(Pack({{0x123456, 24, false}}), (Bytes{0x56, 0x34, 0x12}));
  EXPECT_EQ(Pack({{0x12345678, 32, true}}), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(Pack({{0xAB, 8, true}}), (Bytes{0xAB}));
  EXPECT_EQ(Pack({{0xABC, 12, true}}), (Bytes{0xBC, 0x0A}));
  EXPECT_EQ(Pack({{0xABC, 12, false}}), (Bytes{0xBC, 0x0A}));
}

TEST(AppDataRecordLayout, SmallFields_PackedWithoutPadding) {
  EXPECT_EQ(Pack({{5, 3, false}, {1, 5, false}}), (Bytes{0x0D}));
  // 1 bit, then 16 bits Motorola crossing three bytes, then 7 bits.
  EXPECT_EQ(Pack({{1, 1, false}, {0x1234, 16, true}, {0x7F, 7, false}}),
            (Bytes{0x25, 0x68, 0xFE}));
  // A value wider than its field keeps only the field's bits.
  EXPECT_EQ(Pack({{0xFF, 3, false}, {0, 5, false}}), (Bytes{0x07}));
}

TEST(AppDataRecordLayout, OddOffset_CrossesBytes) {
  // 5 bits of padding, then 13 bits 0x1ABC at bit 5: bits 5..17.
  const Bytes image = Pack({{0, 5, false}, {0x1ABC, 13, false}});
  EXPECT_EQ(image, (Bytes{0x80, 0x57, 0x03}));
  EXPECT_EQ(LoadOne(image, 5, 13, false).GetUInt64(), 0x1ABCu);
}

TEST(AppDataRecordLoad, Variant_KeepsItsTypeWithoutSignExtension) {
  const Bytes ff = {0xFF};
  const CAppVariant i1 = LoadOne(ff, 0, 8, false, CAppVariant(std::int32_t{0}));
  EXPECT_EQ(i1.GetInt64(), 255);  // I4 holds the zero-extended field
  CAppVariant s1;
  s1.SetInt(CAppVariant::VT_I1, 0);
  s1 = LoadOne(ff, 0, 8, false, s1);
  EXPECT_EQ(s1.GetType(), CAppVariant::VT_I1);
  EXPECT_EQ(s1.GetInt64(), -1);
  CAppVariant s2;
  s2.SetInt(CAppVariant::VT_I2, 0);
  s2 = LoadOne(ff, 0, 8, false, s2);
  EXPECT_EQ(s2.GetType(), CAppVariant::VT_I2);
  EXPECT_EQ(s2.GetInt64(), 255);
  const CAppVariant fromText = LoadOne(ff, 0, 8, false, CAppVariant("text"));
  EXPECT_EQ(fromText.GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(fromText.GetUInt64(), 255u);
  const CAppVariant fromEmpty = LoadOne(ff, 0, 4, false, CAppVariant());
  EXPECT_EQ(fromEmpty.GetType(), CAppVariant::VT_UI4);
  EXPECT_EQ(fromEmpty.GetUInt64(), 15u);
}

TEST(AppDataRecordRoundTrip, MixedFields_SameValuesBack) {
  std::mt19937 rng(7);
  std::vector<Field> fields;
  for (int i = 0; i < 2000; ++i) {
    const std::uint32_t bits = 1 + rng() % 32;
    const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    fields.push_back({static_cast<std::uint32_t>(rng()) & mask, bits, (rng() & 1) != 0});
  }
  const Bytes image = Pack(fields);
  CAppDataRecord r(true);
  r.SetData(image);
  for (const Field& f : fields) {
    CAppVariant v(std::uint32_t{0});
    r.Do(v, f.bits, f.motorola);
    ASSERT_EQ(v.GetUInt64(), f.value) << f.bits << " bits";
  }
  EXPECT_EQ(r.GetSize(), (r.GetPosition() + 7) / 8);
}

TEST(AppDataRecordRoundTrip, ByteArrayAtOddOffset) {
  CAppDataRecord save(false);
  CAppVariant head(std::uint32_t{3});
  save.Do(head, 3, false);
  Bytes array = {0xA5, 0x3C, 0x7F};
  save.Do(array, 21, true);  // the last 3 bits of 0x7F are not part of the field
  EXPECT_EQ(save.GetSize(), 3u);
  EXPECT_EQ(Image(save), (Bytes{0x2B, 0xE5, 0xF9}));

  CAppDataRecord load(true);
  load.SetData(Image(save));
  load.Shift(3);
  Bytes back = {1, 2, 3, 4, 5};
  load.Do(back, 21, false);
  EXPECT_EQ(back, (Bytes{0xA5, 0x3C, 0x1F}));
}

TEST(AppDataRecordDo, ZeroBits_DoesNothing) {
  CAppDataRecord r(false);
  CAppVariant v(std::uint32_t{1});
  Bytes array;
  r.Do(v, 0, true);
  r.Do(array, 0, false);
  EXPECT_EQ(r.GetPosition(), 0u);
  EXPECT_EQ(r.GetSize(), 0u);
}

TEST(AppDataRecordDo, SaveOverExistingImage_KeepsOtherBits) {
  CAppDataRecord r(false);
  r.SetData(Bytes{0xFF, 0xFF});
  r.Shift(4);
  CAppVariant v(std::uint32_t{0});
  r.Do(v, 8, false);
  EXPECT_EQ(Image(r), (Bytes{0x0F, 0xF0}));
}

TEST(AppDataRecordErrors, SizeError_Cases) {
  CAppVariant v(std::uint32_t{1});
  {
    CAppDataRecord r(false);
    const CAppException e = CatchAppException([&] { r.Do(v, 33, false); });
    EXPECT_EQ(e.GetMessage(), "Exception >Size Error");
    EXPECT_EQ(e.GetPrgFile(), "AppDataRecord");
    EXPECT_EQ(r.GetSize(), 0u);
  }
  {
    CAppDataRecord r(true);
    r.SetData(Bytes{1, 2});
    r.Shift(9);
    const CAppException e = CatchAppException([&] { r.Do(v, 8, false); });  // needs 3 bytes
    EXPECT_EQ(e.GetMessage(), "Exception >Size Error");
    EXPECT_EQ(v.GetUInt64(), 1u);
  }
  {
    CAppDataRecord r(true);
    Bytes array = {7};
    const CAppException e = CatchAppException([&] { r.Do(array, 1, false); });  // empty image
    EXPECT_EQ(e.GetMessage(), "Exception >Size Error");
    EXPECT_EQ(array, Bytes{7});
  }
  {
    CAppDataRecord r(false);
    Bytes array = {1, 2};
    const CAppException e = CatchAppException([&] { r.Do(array, 17, false); });
    EXPECT_EQ(e.GetMessage(), "Exception >Size Error");
    EXPECT_EQ(r.GetSize(), 0u);
  }
}

TEST(AppDataRecordData, GetDataIntoBuffer) {
  CAppDataRecord r(false);
  r.SetData(Bytes{1, 2, 3});
  std::uint8_t exact[3] = {};
  r.GetData(exact, 3);
  EXPECT_EQ(Bytes(exact, exact + 3), (Bytes{1, 2, 3}));
  std::uint8_t small[2] = {9, 9};
  const CAppException e = CatchAppException([&] { r.GetData(small, 2); });
  EXPECT_EQ(e.GetMessage(), "Exception >GetData Error");
  EXPECT_EQ(small[0], 9);
  EXPECT_EQ(CatchAppException([&] { r.GetData(nullptr, 8); }).GetMessage(), "Exception >Bad pointer");
}

TEST(AppDataRecordData, GrowsAcrossStorageSteps) {
  CAppDataRecord r(false);
  Bytes array(CAppDataRecord::kGrowBy * 3 + 5);
  for (std::size_t i = 0; i < array.size(); ++i) array[i] = static_cast<std::uint8_t>(i * 31);
  r.Shift(4);
  r.Do(array, static_cast<std::uint32_t>(array.size() * 8), false);
  EXPECT_EQ(r.GetSize(), array.size() + 1);
  CAppDataRecord load(true);
  load.SetData(Image(r).data(), r.GetSize());
  load.Shift(4);
  Bytes back;
  load.Do(back, static_cast<std::uint32_t>(array.size() * 8), false);
  EXPECT_EQ(back, array);
}

TEST(AppDataRecordCopyData, MatchesBitwiseReference) {
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

TEST(AppDataRecordCopyData, KeepsOutsideBitsOfEdgeBytes) {
  Bytes dst = {0xFF, 0xFF};
  const Bytes src = {0x00};
  CAppDataRecord::CopyData(dst.data(), src.data(), 6, 0, 4);
  EXPECT_EQ(dst, (Bytes{0x3F, 0xFC}));
}
