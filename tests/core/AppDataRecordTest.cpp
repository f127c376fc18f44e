#include "appconfig/AppDataRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppVariant.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Field { std::uint32_t value, bits; bool motorola; };

}  // namespace

// Each layout packed to its bytes, then read back (a wider value keeps only the field's bits).
TEST(AppDataRecordLayout, GoldenBytesAndBack) {
  const std::pair<std::vector<Field>, Bytes> rows[] = {
      // Motorola order only for 16 to 32 bits.
      {{{0x1234, 16, true}}, {0x12, 0x34}}, {{{0x1234, 16, false}}, {0x34, 0x12}},
      {{{0x123456, 24, true}}, {0x12, 0x34, 0x56}}, {{{0x123456, 24, false}}, {0x56, 0x34, 0x12}},
      {{{0x12345678, 32, true}}, {0x12, 0x34, 0x56, 0x78}}, {{{0xABC, 12, true}}, {0xBC, 0x0A}},
      {{{5, 3, false}, {1, 5, false}}, {0x0D}}, {{{0xFF, 3, false}, {0, 5, false}}, {0x07}},
      // 1 bit, then 16 bits Motorola crossing three bytes, then 7 bits.
      {{{1, 1, false}, {0x1234, 16, true}, {0x7F, 7, false}}, {0x25, 0x68, 0xFE}},
      {{{0, 5, false}, {0x1ABC, 13, false}}, {0x80, 0x57, 0x03}},
  };
  for (const auto& [fields, bytes] : rows) {
    CAppDataRecord save(false), load(true);
    for (const Field& f : fields) {
      CAppVariant v(f.value);
      save.Do(v, f.bits, f.motorola);
    }
    EXPECT_EQ(ImageOf(save), bytes) << fields.size() << " fields";
    load.SetData(bytes);
    for (const Field& f : fields) {
      CAppVariant v(std::uint32_t{0});
      load.Do(v, f.bits, f.motorola);
      EXPECT_EQ(v.GetUInt64(), f.value & ((std::uint64_t{1} << f.bits) - 1)) << f.bits << " bits";
    }
  }
}

TEST(AppDataRecordLoad, Variant_KeepsItsTypeWithoutSignExtension) {
  CAppVariant loaded[] = {CAppVariant(std::int32_t{0}), {}, {}, CAppVariant("text"), CAppVariant()};
  loaded[1].SetInt(CAppVariant::VT_I1, 0), loaded[2].SetInt(CAppVariant::VT_I2, 0);
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

TEST(AppDataRecordRoundTrip, ByteArrayAtOddOffsetAndOverAnImage) {
  CAppDataRecord over(false);  // saving over an image keeps the other bits
  over.SetData(Bytes{0xFF, 0xFF});
  over.Shift(4);
  CAppVariant zero(std::uint32_t{0}), head(std::uint32_t{3}), none(std::uint32_t{1});
  over.Do(zero, 8, false);
  EXPECT_EQ(ImageOf(over), (Bytes{0x0F, 0xF0}));
  CAppDataRecord save(false);
  save.Do(head, 3, false);
  save.Do(none, 0, true);  // zero bits do nothing
  Bytes array = {0xA5, 0x3C, 0x7F};
  save.Do(array, 21, true);  // the last 3 bits of 0x7F are not part of the field
  EXPECT_EQ(ImageOf(save), (Bytes{0x2B, 0xE5, 0xF9}));
  CAppDataRecord load(true);
  load.SetData(ImageOf(save));
  load.Shift(3);
  Bytes back = {1, 2, 3, 4, 5};
  load.Do(back, 21, false);
  EXPECT_EQ(back, (Bytes{0xA5, 0x3C, 0x1F}));

  Bytes edge = {0xFF, 0xFF};  // a plain copy keeps the bits around the field
  CAppDataRecord::CopyData(edge.data(), Bytes{0x00}.data(), 6, 0, 4);
  EXPECT_EQ(edge, (Bytes{0x3F, 0xFC}));
}

TEST(AppDataRecordErrors, SizeAndGetDataErrors_NothingChanged) {
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
    EXPECT_EQ(e.GetMessage() + "|" + e.GetPrgFile(), "Exception >Size Error|AppDataRecord") << name;
  }
  EXPECT_EQ(std::tuple(save.GetSize(), v.GetUInt64(), array), std::tuple(0u, std::uint64_t{1}, Bytes{7}));
  save.SetData(Bytes{1, 2, 3});
  std::uint8_t exact[3] = {}, small[2] = {9, 9};
  save.GetData(exact, 3);
  EXPECT_EQ(Bytes(exact, exact + 3), (Bytes{1, 2, 3}));
  EXPECT_EQ(CatchAppException([&] { save.GetData(small, 2); }).GetMessage(), "Exception >GetData Error");
  EXPECT_EQ(small[0], 9);
  EXPECT_EQ(CatchAppException([&] { save.GetData(nullptr, 8); }).GetMessage(), "Exception >Bad pointer");
}

namespace {

struct Seen {
  const CAppParam* param;
  std::uint32_t bit, bits;
  CAppDataRecord::EN_FIELD kind;
  bool operator==(const Seen&) const = default;
};

class SeenFields : public CAppDataRecord::Observer {
public:
  void OnField(CAppParam* param, std::uint32_t bit, std::uint32_t bits, CAppDataRecord::EN_FIELD kind) override {
    seen.push_back({param, bit, bits, kind});
  }
  std::vector<Seen> seen;
};

}  // namespace

// The observer hears of each field where the walk puts it, skipped ones
// too, and of the same places when the walk reads the image back.
TEST(AppDataRecordObserver, SameFieldsSavingAndLoading) {
  CAppParamGroup root;
  auto* word = root.SetAt("Word", new CAppParamValue);
  word->SetBitSize(16);
  word->ModifyFlags(0, PF_MOTOROLA);
  auto* skip = root.SetAt("Skip", new CAppParamValue);
  skip->SetBitSize(5);
  skip->ModifyFlags(0, PF_NO_DATA);
  auto* bytes = root.SetAt("Bytes", new CAppParamArray);
  Bytes data = {1, 2};
  bytes->SetData(data);
  bytes->SetBitSize(11);
  const std::vector<Seen> expected = {{word, 0, 16, CAppDataRecord::FIELD_MOTOROLA},
                                      {skip, 16, 5, CAppDataRecord::FIELD_SKIPPED},
                                      {bytes, 21, 11, CAppDataRecord::FIELD_BYTES}};
  SeenFields saved, loaded;
  CAppDataRecord image(false);
  image.SetObserver(&saved);
  root.DataSerialize(&image);
  image.SetObserver(&loaded);
  image.SetModeLoad(true);
  root.DataSerialize(&image);
  EXPECT_EQ(saved.seen, expected);
  EXPECT_EQ(loaded.seen, expected);

  image.SetModeLoad(false);  // a field outside any parameter's walk
  CAppVariant v(std::uint32_t{1});
  image.Do(v, 3, false);
  EXPECT_EQ(loaded.seen.back(), (Seen{nullptr, 0, 3, CAppDataRecord::FIELD_INTEL}));
}

// Fields never wrap around the cursor onto others: two parameters without
// data that end past the last bit the cursor counts stop the layout,
// naming the parameter, instead of putting A and B on the same bits.
TEST(AppDataRecordErrors, ImagePastTheCursorsRangeIsRefusedWithThePath) {
  CAppParamGroup root;
  root.SetKey("DEV");
  const auto value = [&root](const char* key, std::uint32_t bits, std::uint32_t flags) {
    CAppParamValue* param = root.SetAt(key, new CAppParamValue);
    param->SetBitSize(bits);
    param->ModifyFlags(0, flags);
    param->SetVariant(CAppVariant(std::uint32_t{0xAB}));
  };
  value("A", 8, 0);
  value("GAP1", 2147483640u, PF_NO_DATA);
  CAppParamGroup* sub = root.SetAt("SUB", new CAppParamGroup);
  CAppParamValue* gap = sub->SetAt("GAP2", new CAppParamValue);
  gap->SetBitSize(2147483648u);
  gap->ModifyFlags(0, PF_NO_DATA);
  value("B", 8, 0);
  for (const bool load : {false, true}) {
    CAppDataRecord record(load);
    if (load) record.SetData(std::vector<std::uint8_t>(16, 0));
    EXPECT_EQ(CatchAppException([&] { root.DataSerialize(&record); }).GetMessage(), "Exception >Size Error : SUB\\GAP2");
  }
}
