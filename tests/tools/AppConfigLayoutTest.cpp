// The layout listing checked against the image the library packs.
#include "AppConfigLayout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "appconfig/AppParamArray.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppToolsXML.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

CAppParamValue* AddValue(CAppParamGroup& group, const char* key, unsigned bits, std::uint32_t value,
                         std::uint32_t flags = 0) {
  auto* p = group.SetAt(key, new CAppParamValue);
  p->SetBitSize(bits);
  p->ModifyFlags(0, flags);
  p->SetVariant(CAppVariant(value));
  return p;
}

void AddArray(CAppParamGroup& group, const char* key, unsigned bits, Bytes data) {
  auto* p = group.SetAt(key, new CAppParamArray);
  p->SetData(data);
  p->SetBitSize(bits);
}

// Every kind of field, sub-byte ones sharing bytes, a 0-bit value that has
// no place, and PF_NO_DATA skips in the middle and at the very end.
void BuildDevice(CAppParamGroup& root) {
  AddValue(root, "WORD", 16, 0x1234, PF_MOTOROLA);
  AddValue(root, "ODD", 12, 0xABC, PF_MOTOROLA);  // Motorola does not reverse 12 bits
  AddValue(root, "SKIP", 5, 0x1F, PF_NO_DATA);
  AddValue(root, "NONE", 0, 0x77);
  auto* sub = root.SetAt("SUB", new CAppParamGroup);
  AddValue(*sub, "A", 3, 5);
  AddValue(*sub, "B", 5, 0x11);
  AddValue(*sub, "TRIPLE", 24, 0x123456, PF_MOTOROLA);
  AddArray(root, "DUMP", 21, {0xA5, 0x3C, 0x7F});
  AddValue(root, "LONG", 32, 0x89ABCDEF);
  AddValue(root, "TAIL", 8, 0xFF, PF_NO_DATA);
}

std::uint32_t BitsAt(const Bytes& image, std::uint32_t bit, std::uint32_t bits) {
  std::uint8_t word[8] = {};
  CAppDataRecord::CopyData(word, image.data(), 0, bit, bits);
  return word[0] | word[1] << 8 | word[2] << 16 | static_cast<std::uint32_t>(word[3]) << 24;
}

}  // namespace

TEST(AppConfigLayout, PackLayout_FieldsLieWhereTheImageHoldsThem) {
  CAppParamGroup root;
  BuildDevice(root);
  const Layout layout = PackLayout(root);

  std::string listed;
  for (const LayoutField& f : layout.fields) {
    listed += f.path + " " + std::to_string(f.bit) + " " + std::to_string(f.bits) + " " + FieldOrderName(f.kind) + "\n";
  }
  EXPECT_EQ(listed,
            "WORD 0 16 Motorola\nODD 16 12 Intel\nSKIP 28 5 no data\nSUB\\A 33 3 Intel\nSUB\\B 36 5 Intel\n"
            "SUB\\TRIPLE 41 24 Motorola\nDUMP 65 21 bytes\nLONG 86 32 Intel\nTAIL 118 8 no data\n");

  // The listing's image is the one DataSerialize packs; the skip at the end
  // does not lengthen it.
  CAppDataRecord packed(false);
  root.DataSerialize(&packed);
  Bytes image;
  packed.GetData(image);
  EXPECT_EQ(layout.image, image);
  EXPECT_EQ(image.size(), 15u);

  // Each packed field's bits hold its value where the listing says, in the
  // listed order; the skipped bits hold nothing.
  for (const LayoutField& f : layout.fields) {
    CAppParam* param = root._GetAt(f.path);
    ASSERT_NE(param, nullptr) << f.path;
    Bytes data;  // the array's bytes, or the value's, swapped as the field says
    param->GetData(data);
    if (f.kind == CAppDataRecord::FIELD_INTEL || f.kind == CAppDataRecord::FIELD_MOTOROLA) {
      std::uint32_t value = param->GetVariant().ToUInt32();
      if (f.kind == CAppDataRecord::FIELD_MOTOROLA) value = CAppDataRecord::SwabData(value, f.bits);
      data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    } else if (f.kind == CAppDataRecord::FIELD_SKIPPED) {
      data.assign(4, 0);
    }
    if (f.bit + f.bits > 8 * image.size()) continue;  // the skip past the end
    EXPECT_EQ(BitsAt(image, f.bit, f.bits), BitsAt(data, 0, f.bits)) << f.path;
  }
}

// The picture is well-formed XML (keys escaped), with one band for each row
// a field crosses and a legend line for each field.
TEST(AppConfigLayout, WriteLayoutSvg_BandsAndLegend) {
  CAppParamGroup root;
  AddValue(root, "R&D<1>", 24, 0xABCDEF);
  AddValue(root, "CROSS", 16, 0x1234, PF_MOTOROLA);  // bits 24 to 39: two rows of 32 bits
  AddValue(root, "GAP", 4, 0, PF_NO_DATA);
  AddValue(root, "TAIL", 4, 9);
  const Layout layout = PackLayout(root);
  std::ostringstream svg;
  WriteLayoutSvg(layout, "device & co", svg);
  const std::string text = svg.str();

  TempFolder folder;
  {
    std::ofstream(folder.File("layout.xml")) << text;
  }
  CAppToolsXML::SetPath(folder.Prefix());
  CAppToolsXML::Document document;
  EXPECT_NO_THROW(document.Load("layout", nullptr));
  CAppToolsXML::SetPath("");

  auto count = [&](const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("rx=\"4\""), 5u);  // R&D<1>, CROSS twice, GAP, TAIL
  EXPECT_EQ(count("url(#skipped)"), 2u);  // GAP's band and its legend swatch
  EXPECT_NE(text.find(">R&amp;D&lt;1&gt;<"), std::string::npos);
  EXPECT_NE(text.find(">device &amp; co<"), std::string::npos);
  for (const char* legend : {"1. R&amp;D&lt;1&gt;: bit 0, 24 bits in bytes 0-2, Intel order",
                             "2. CROSS: bit 24, 16 bits in bytes 3-4, Motorola order",
                             "3. GAP: bit 40, 4 bits in byte 5, no data, skipped",
                             "4. TAIL: bit 44, 4 bits in byte 5, Intel order"}) {
    EXPECT_NE(text.find(legend), std::string::npos) << legend;
  }
}
