// Where each parameter lands in the device data image: the listing and the
// picture of the `layout` command.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "appconfig/AppDataRecord.h"

class CAppParam;

struct LayoutField {
  std::string path;  // below the packed root, "\" for the root itself
  std::uint32_t bit = 0;
  std::uint32_t bits = 0;
  CAppDataRecord::EN_FIELD kind = CAppDataRecord::FIELD_INTEL;

  std::uint32_t FirstByte() const { return bit / 8; }
  std::uint32_t LastByte() const { return (bit + bits - 1) / 8; }
};

struct Layout {
  std::vector<std::uint8_t> image;
  std::vector<LayoutField> fields;  // in image order, skipped ones included
};

// Packs the image of `root` and notes each field as the packing meets it.
Layout PackLayout(CAppParam& root);

// "Intel", "Motorola", "bytes" or "no data".
const char* FieldOrderName(CAppDataRecord::EN_FIELD kind);

// One line per field, tab-separated: path, bit offset, bit size, byte order,
// the bytes it touches ("6-7") and their values in hexadecimal (none for a
// skipped field).
void PrintLayout(const Layout& layout, std::ostream& out);

// The image as rows of bytes with each field's bits as a labelled band, and
// a legend; plain SVG text.
void WriteLayoutSvg(const Layout& layout, const std::string& title, std::ostream& out);
