#include "appconfig/AppParamArray.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamGroup.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kSizeError = "Erreur: Erreur de taille dans le paramètre Blk.";

CAppParamArray* AddArray(CAppParamGroup& root, const std::string& key, Bytes data, unsigned bits) {
  auto* array = root.SetAt(key, new CAppParamArray);
  array->SetData(data);
  array->SetBitSize(bits);
  return array;
}

Bytes Image(const CAppDataRecord& record) {
  Bytes bytes;
  record.GetData(bytes);
  return bytes;
}

Bytes Data(CAppParam& param) {
  Bytes bytes;
  param.GetData(bytes);
  return bytes;
}

}  // namespace

// --- CAppParamArray --------------------------------------------------------------------

TEST(AppParamArray, SetMaxSize_ResizesThroughBitSize) {
  CapturedOutput out;
  CAppParamArray array;
  array.SetKey("Blk");
  EXPECT_EQ(array.GetMaxSize(), 1024u);
  EXPECT_EQ(array.GetSize(), 0u);  // the max size alone sizes nothing
  array.SetMaxSize(16);
  EXPECT_EQ(Data(array), Bytes(16, 0));
  const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
  array.SetMaxSize(2);
  array.SetData(bytes, 5);  // longer than its maximum: kept whole
  EXPECT_EQ(array.GetSize(), 5u);
  array.SetMaxSize(3);
  EXPECT_EQ(Data(array), (Bytes{1, 2, 3}));
  array.SetBitSize(12);
  array.SetMaxSize(100);  // the bit size decides the size
  EXPECT_EQ(Data(array), (Bytes{1, 2}));
  EXPECT_TRUE(out.lines.empty());

  // Sizes a damaged file could carry allocate nothing.
  array.SetBitSize(0xFFFFFFF0u);
  array.SetMaxSize(8);
  array.SetBitSize(0);
  array.SetMaxSize(CAppParamArray::kMaxDataSize + 1);
  EXPECT_EQ(out.lines, (std::vector<std::string>{kSizeError, kSizeError}));
  EXPECT_EQ(Data(array), (Bytes{1, 2}));
  EXPECT_EQ(array.GetMaxSize(), 100u);

  const CAppException e = CatchAppException([&] { array.SetData(nullptr, 3); });
  EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(e.GetPrgFile(), "AppParamArray");
}

TEST(AppParamArray, GetFmtValue_DumpsAtMostTenBytes) {
  CAppParamArray array;
  EXPECT_EQ(array.GetFmtValue(), "");
  Bytes data(9);
  std::iota(data.begin(), data.end(), std::uint8_t{0xF7});
  array.SetData(data);
  EXPECT_EQ(array.GetFmtValue(), "F7 F8 F9 FA FB FC FD FE FF ");
  data.push_back(0x0A);
  data.push_back(0x0B);
  array.SetData(data);
  EXPECT_EQ(array.GetFmtValue(), "F7 F8 F9 FA FB FC FD FE FF 0A ...");
}

TEST(AppParamArray, Serialize_FieldOrderAndRoundTrip) {
  CAppParamArray array;
  array.SetKey("Blk");
  array.ModifyFlags(0, PF_MOTOROLA);
  Bytes data{0, 0x7F, 0xFF};
  array.SetData(data);
  array.SetBitSize(20);
  array.SetDumpOptions(0x31);
  StoreSaveRecord save;
  array.Serialize(&save);
  EXPECT_EQ(save.fields, (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias", "MaxSize",
                                                   "Format", "Value", "DumpOptions", "BitSize"}));
  EXPECT_EQ(save.store["Format"], std::vector<std::string>{"%d"});
  EXPECT_EQ(save.store["Value"], (std::vector<std::string>{"0", "127", "255"}));

  CAppParamArray copy;
  StoreLoadRecord load(save.store);
  copy.Serialize(&load);
  EXPECT_EQ(copy.GetKey(), "Blk");
  EXPECT_EQ(Data(copy), data);  // loading does not resize to the max size
  EXPECT_EQ(copy.GetBitSize(), 20u);
  StoreSaveRecord again;
  copy.Serialize(&again);
  EXPECT_EQ(again.store, save.store);
}

// Two arrays of 3 and 12 bits: 5 | 0xDAB << 3 = 0x6D5D, low byte first.
// Arrays are never byte-swapped, whatever PF_MOTOROLA says.
TEST(AppParamArray, DataSerialize_PacksOddBitSizes) {
  for (const bool motorola : {false, true}) {
    CAppParamGroup root;
    AddArray(root, "A", {0x05}, 3);
    CAppParamArray* b = AddArray(root, "B", {0xAB, 0xCD}, 12);
    if (motorola) b->ModifyFlags(0, PF_MOTOROLA);
    CAppDataRecord record(false);
    root.DataSerialize(&record);
    EXPECT_EQ(record.GetPosition(), 15u);
    EXPECT_EQ(Image(record), (Bytes{0x5D, 0x6D})) << "motorola " << motorola;
  }
}

// A PF_NO_DATA array keeps its 8 bits free: 5 at bit 0, 0x1F at bit 11.
TEST(AppParamArray, DataSerialize_SkipsNoDataArrays) {
  CAppParamGroup root;
  AddArray(root, "A", {0x05}, 3);
  AddArray(root, "N", {0xFF}, 8)->ModifyFlags(0, PF_NO_DATA);
  AddArray(root, "B", {0x1F}, 5);
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(Image(record), (Bytes{0x05, 0xF8}));
}

TEST(AppParamArray, DataSerialize_LoadsBack) {
  CAppParamGroup root;
  CAppParamArray* a = AddArray(root, "A", {0x00}, 3);
  CAppParamArray* n = AddArray(root, "N", {0x66}, 8);
  CAppParamArray* b = AddArray(root, "B", {0x00, 0x00}, 12);
  n->ModifyFlags(0, PF_NO_DATA);
  const Bytes image{0x5D, 0x6D, 0xFF};
  CAppDataRecord record(true);
  record.SetData(image);
  root.DataSerialize(&record);
  EXPECT_EQ(Data(*a), Bytes{0x05});
  EXPECT_EQ(Data(*n), Bytes{0x66});
  // B starts after the 8 skipped bits: bits 11..22 of the image.
  EXPECT_EQ(Data(*b), (Bytes{0xED, 0x0F}));

  CAppDataRecord shortImage(true);
  shortImage.SetData(Bytes{0x5D});
  const CAppException e = CatchAppException([&] { root.DataSerialize(&shortImage); });
  EXPECT_EQ(e.GetMessage(), "Exception >Size Error");
  EXPECT_EQ(e.GetPrgFile(), "AppDataRecord");
}

TEST(AppParamArray, DataSerialize_BitSizeBeyondDataLeavesArrayOut) {
  CapturedOutput out;
  CAppParamGroup root;
  AddArray(root, "Blk", {0x01}, 9);
  AddArray(root, "B", {0x03}, 2);
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(out.lines, std::vector<std::string>{kSizeError});
  EXPECT_EQ(Image(record), Bytes{0x03});
  EXPECT_EQ(CatchAppException([&] { root.FindChild("B")->DataSerialize(nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}

// --- CAppParamAddress ----------------------------------------------------------------------

TEST(AppParamAddress, GetFmtValue_PartsThroughFormat) {
  CAppParamAddress address;
  Bytes ip{192, 168, 0, 1};
  address.SetData(ip);
  EXPECT_EQ(address.GetFmtValue(), "192.168.  0.  1");

  address.SetReadOnlyValue("automatic");
  EXPECT_EQ(address.GetFmtValue(), "192.168.  0.  1");  // not read-only
  address.ModifyFlags(0, PF_READONLY);
  EXPECT_EQ(address.GetFmtValue(), "automatic");
  address.SetReadOnlyValue("");
  EXPECT_EQ(address.GetFmtValue(), "192.168.  0.  1");

  address.SetPartNumber(0);
  EXPECT_EQ(address.GetFmtValue(), "");

  CAppParamAddress mac;
  StoreLoadRecord load({{"Format", {"%02X"}},
                        {"Separator", {":"}},
                        {"PartNumber", {"6"}},
                        {"Value", ByteTexts({0x00, 0x1A, 0x2B, 0xFC, 0x0D, 0xE0})}});
  mac.Serialize(&load);
  EXPECT_EQ(mac.GetFmtValue(), "00:1A:2B:FC:0D:E0");

  // A bit size shorter than the parts: the missing parts show as 0.
  address.SetPartNumber(4);
  address.SetData(ip);
  address.ModifyFlags(PF_READONLY, 0);
  address.SetBitSize(16);
  address.SetMaxSize(4);
  EXPECT_EQ(address.GetFmtValue(), "192.168.  0.  0");
}

TEST(AppParamAddress, Serialize_FieldOrderAndResizeToParts) {
  CAppParamAddress address;
  StoreSaveRecord save;
  address.Serialize(&save);
  EXPECT_EQ(save.fields,
            (std::vector<std::string>{"Key", "Name", "Help", "Flags", "Alias", "MaxSize", "Format",
                                      "Value", "DumpOptions", "BitSize", "PartNumber", "Default",
                                      "MaxPartValue", "Separator", "ReadOnlyValue"}));
  EXPECT_EQ(save.store["Format"], std::vector<std::string>{"%3d"});
  EXPECT_EQ(save.store["MaxSize"], std::vector<std::string>{"4"});

  FieldStore shorter = save.store;
  shorter["PartNumber"] = {"6"};
  shorter["Value"] = ByteTexts({1, 2, 3, 4});
  CAppParamAddress padded;
  StoreLoadRecord load(shorter);
  padded.Serialize(&load);
  EXPECT_EQ(Data(padded), (Bytes{1, 2, 3, 4, 0, 0}));

  FieldStore longer = shorter;
  longer["Value"] = ByteTexts({1, 2, 3, 4, 5, 6, 7, 8});
  CAppParamAddress cut;
  StoreLoadRecord loadLonger(longer);
  cut.Serialize(&loadLonger);
  EXPECT_EQ(Data(cut), (Bytes{1, 2, 3, 4, 5, 6}));

  longer["BitSize"] = {"16"};
  CAppParamAddress bits;
  StoreLoadRecord loadBits(longer);
  bits.Serialize(&loadBits);
  EXPECT_EQ(Data(bits), (Bytes{1, 2}));
}

TEST(AppParamAddress, Serialize_BadPartNumberKeepsThePreviousOne) {
  for (const char* parts : {"-1", "2147483647"}) {
    CapturedOutput out;
    CAppParamAddress address;
    address.SetKey("Blk");
    StoreLoadRecord load({{"PartNumber", {parts}}, {"Value", ByteTexts({10, 0, 0, 1, 9})}});
    address.Serialize(&load);
    EXPECT_EQ(out.lines, std::vector<std::string>{kSizeError}) << parts;
    EXPECT_EQ(address.GetPartNumber(), 4);
    EXPECT_EQ(Data(address), (Bytes{10, 0, 0, 1}));
    address.SetPartNumber(std::stoi(parts));
    EXPECT_EQ(out.lines.size(), 2u);
    EXPECT_EQ(address.GetPartNumber(), 4);
  }
}

TEST(AppParamAddress, CompareAndLoadDefault) {
  CAppParamAddress address;
  EXPECT_TRUE(address.IsNull());  // 0.0.0.0
  Bytes ip{0, 0, 0, 1};
  address.SetData(ip);
  EXPECT_FALSE(address.IsNull());
  EXPECT_TRUE(address.IsSameAddress(ip));
  EXPECT_TRUE(address.IsSameAddress(Bytes{0, 0, 0, 1, 7}));
  EXPECT_FALSE(address.IsSameAddress(Bytes{0, 0, 0, 2}));
  EXPECT_FALSE(address.IsSameAddress(Bytes{0, 0, 0}));
  Bytes none;
  address.SetData(none);
  EXPECT_TRUE(address.IsNull());

  address.SetDefaultValue(Bytes{10, 0, 0, 254});
  address.LoadDefault(false);
  EXPECT_EQ(Data(address), (Bytes{10, 0, 0, 254}));
  address.SetData(ip);
  address.LoadDefault(true);
  Bytes def;
  address.GetDefaultValue(def);
  EXPECT_EQ(def, ip);
}

// 192.168.0.1 after a 4-bit gap: every byte straddles two image bytes.
TEST(AppParamAddress, DataSerialize_OneBlockAfterAGap) {
  CAppParamAddress address;
  Bytes ip{0xC0, 0xA8, 0x00, 0x01};
  address.SetData(ip);
  address.SetBitSize(32);
  address.ModifyFlags(0, PF_MOTOROLA);
  CAppDataRecord record(false);
  record.Shift(4);
  address.DataSerialize(&record);
  EXPECT_EQ(Image(record), (Bytes{0x00, 0x8C, 0x0A, 0x10, 0x00}));

  CAppParamAddress back;
  back.SetBitSize(32);
  back.SetMaxSize(4);
  record.SetModeLoad(true);
  record.Shift(4);
  back.DataSerialize(&record);
  EXPECT_EQ(Data(back), ip);
}

TEST(AppParamAddress, Slots_ValueOperationsStayUnsupported) {
  CAppParamAddress address;
  address.SetKey("Ip");
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::string get = "GetVariant not supported for class : CAppParamAddress key: Ip";
  const std::string bits = "GetBitSize not supported for class : CAppParamAddress key: Ip";
  const std::uint32_t gets = log.CountOf(get), bitTraces = log.CountOf(bits);
  EXPECT_TRUE(address.GetVariant().IsEmpty());
  EXPECT_EQ(address.GetBitSize(), 0u);  // the array's: no trace
  EXPECT_EQ(log.CountOf(get), gets + 1);
  EXPECT_EQ(log.CountOf(bits), bitTraces);
  EXPECT_EQ(address.GetBaseClassName(), "CAppParamArray");
  address.Check();  // the class tests pass
}
