#include "appconfig/AppParamArray.h"

#include <gtest/gtest.h>

#include <string>

#include "FieldStoreRecord.h"
#include "TestSupport.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppParamAddress.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamMail.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

const std::string kSizeError = "Erreur: Erreur de taille dans le paramètre Blk.";

CAppParamArray* AddArray(CAppParamGroup& root, const std::string& key, Bytes data, unsigned bits) {
  auto* array = root.SetAt(key, new CAppParamArray);
  array->SetData(data);
  array->SetBitSize(bits);
  return array;
}

}  // namespace

TEST(AppParamArray, SetMaxSize_ResizesThroughBitSize) {
  CapturedOutput out;
  CAppParamArray array;
  array.SetKey("Blk");
  array.SetMaxSize(16);
  EXPECT_EQ(DataOf(array), Bytes(16, 0));
  const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
  array.SetMaxSize(2);
  array.SetData(bytes, 5);  // longer than its maximum: kept whole
  EXPECT_EQ(array.GetSize(), 5u);
  array.SetMaxSize(3);
  EXPECT_EQ(DataOf(array), (Bytes{1, 2, 3}));
  array.SetBitSize(12);
  array.SetMaxSize(100);  // the bit size decides the size
  EXPECT_EQ(DataOf(array), (Bytes{1, 2}));
  EXPECT_TRUE(out.lines.empty());

  const CAppException e = CatchAppException([&] { array.SetData(nullptr, 3); });
  EXPECT_EQ(e.GetMessage() + " " + e.GetPrgFile(), "Exception >Bad pointer AppParamArray");
}

// Nine bytes are dumped whole; from ten on, ten and "...".
TEST(AppParamArray, GetFmtValue_DumpsAtMostTenBytes) {
  CAppParamArray array;
  Bytes data{0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
  array.SetData(data);
  const std::string nine = array.GetFmtValue();
  data.push_back(0x0A);
  array.SetData(data);
  EXPECT_EQ(nine + "| " + array.GetFmtValue(),
            "F7 F8 F9 FA FB FC FD FE FF | F7 F8 F9 FA FB FC FD FE FF 0A ...");
}

// The classes built on an array store its fields; the address adds its own.
TEST(AppParamArray, Serialize_FieldOrder) {
  const Strings array = {"Key",    "Name",  "Help",        "Flags",  "Alias",
                         "MaxSize", "Format", "Value", "DumpOptions", "BitSize"};
  Strings address = array;
  address.insert(address.end(),
                 {"PartNumber", "Default", "MaxPartValue", "Separator", "ReadOnlyValue"});
  CAppParamArray plain;
  CAppParamAddress ip;
  CAppParamStruct fields;
  CAppParamMail mail;
  Bytes data{0, 0x7F, 0xFF};
  plain.SetData(data);
  for (CAppParam* param : std::initializer_list<CAppParam*>{&plain, &ip, &fields, &mail}) {
    StoreSaveRecord save;
    param->Serialize(&save);
    EXPECT_EQ(save.fields, param == &ip ? address : array) << param->GetClassName();
    if (param == &plain) { EXPECT_EQ(save.store["Value"], (Strings{"0", "127", "255"})); }
  }
}

TEST(AppParamArray, DataSerialize_BitSizeBeyondDataLeavesArrayOut) {
  CapturedOutput out;
  CAppParamGroup root;
  AddArray(root, "Blk", {0x01}, 9);
  AddArray(root, "B", {0x03}, 2);
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  EXPECT_EQ(out.lines, Strings{kSizeError});
  EXPECT_EQ(ImageOf(record), Bytes{0x03});
  EXPECT_EQ(CatchAppException([&] { root.FindChild("B")->DataSerialize(nullptr); }).GetMessage(),
            "Exception >Bad pointer");
}

TEST(AppParamAddress, GetFmtValue_PartsSeparatorAndReadOnlyText) {
  CAppParamAddress address;
  Bytes ip{192, 168, 0, 1};
  address.SetData(ip);
  EXPECT_EQ(address.GetFmtValue(), "192.168.  0.  1");
  address.SetReadOnlyValue("automatic");
  const std::string writable = address.GetFmtValue();  // not read-only
  address.ModifyFlags(0, PF_READONLY);
  const std::string readOnly = address.GetFmtValue();
  address.SetReadOnlyValue("");
  EXPECT_EQ(writable + "|" + readOnly + "|" + address.GetFmtValue(),
            "192.168.  0.  1|automatic|192.168.  0.  1");

  CAppParamAddress mac;
  StoreLoadRecord load({{"Format", {"%02X"}}, {"Separator", {":"}}, {"PartNumber", {"6"}},
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

// Six parts: shorter data is padded, longer is cut, a bit size cuts further.
TEST(AppParamAddress, Serialize_ResizeToParts) {
  const std::pair<FieldStore, Bytes> rows[] = {
      {{{"Value", ByteTexts({1, 2, 3, 4})}}, {1, 2, 3, 4, 0, 0}},
      {{{"Value", ByteTexts({1, 2, 3, 4, 5, 6, 7, 8})}}, {1, 2, 3, 4, 5, 6}},
      {{{"Value", ByteTexts({1, 2, 3, 4, 5, 6, 7, 8})}, {"BitSize", {"16"}}}, {1, 2}},
  };
  for (const auto& [fields, bytes] : rows) {
    FieldStore store = fields;
    store["PartNumber"] = {"6"};
    CAppParamAddress loaded;
    StoreLoadRecord load(store);
    loaded.Serialize(&load);
    EXPECT_EQ(DataOf(loaded), bytes);
  }
}

