#include "AppConfigLayout.h"

#include <cstdio>
#include <ostream>

#include "appconfig/AppParam.h"

namespace {

// Collects the fields the packing walk reports.
class FieldCollector : public CAppDataRecord::Observer {
public:
  explicit FieldCollector(std::vector<LayoutField>& fields) : m_fields(fields) {}

  void OnField(CAppParam* param, std::uint32_t bit, std::uint32_t bits, CAppDataRecord::EN_FIELD kind) override {
    std::string path = param != nullptr ? param->GetPath() : std::string();
    if (path.empty()) path = "\\";
    m_fields.push_back({std::move(path), bit, bits, kind});
  }

private:
  std::vector<LayoutField>& m_fields;
};

std::string ByteRange(const LayoutField& field) {
  std::string range = std::to_string(field.FirstByte());
  if (field.LastByte() != field.FirstByte()) range += "-" + std::to_string(field.LastByte());
  return range;
}

std::string TouchedBytes(const LayoutField& field, const std::vector<std::uint8_t>& image) {
  std::string hex;
  if (field.kind == CAppDataRecord::FIELD_SKIPPED) return hex;
  for (std::uint32_t i = field.FirstByte(); i <= field.LastByte() && i < image.size(); ++i) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", image[i]);
    if (!hex.empty()) hex += ' ';
    hex += text;
  }
  return hex;
}

}  // namespace

Layout PackLayout(CAppParam& root) {
  Layout layout;
  FieldCollector collector(layout.fields);
  CAppDataRecord image(false);
  image.SetObserver(&collector);
  root.DataSerialize(&image);
  image.GetData(layout.image);
  return layout;
}

const char* FieldOrderName(CAppDataRecord::EN_FIELD kind) {
  switch (kind) {
    case CAppDataRecord::FIELD_INTEL: return "Intel";
    case CAppDataRecord::FIELD_MOTOROLA: return "Motorola";
    case CAppDataRecord::FIELD_BYTES: return "bytes";
    case CAppDataRecord::FIELD_SKIPPED: return "no data";
  }
  return "?";
}

void PrintLayout(const Layout& layout, std::ostream& out) {
  for (const LayoutField& f : layout.fields) {
    out << f.path << '\t' << f.bit << '\t' << f.bits << '\t' << FieldOrderName(f.kind) << '\t' << ByteRange(f) << '\t'
        << TouchedBytes(f, layout.image) << '\n';
  }
}
