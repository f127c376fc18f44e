// The picture of the device data image: four bytes a row, bit 0 of each
// byte on the left so that a field reads as one unbroken band.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "AppConfigLayout.h"

namespace {

constexpr std::uint32_t kBytesPerRow = 4;
constexpr std::uint32_t kBitsPerRow = kBytesPerRow * 8;
constexpr int kBitWidth = 22;
constexpr int kLeft = 84;
constexpr int kTop = 82;
constexpr int kBandHeight = 36;
constexpr int kRowHeight = 62;
constexpr int kLegendLine = 18;
constexpr int kWidth = kLeft + static_cast<int>(kBitsPerRow) * kBitWidth + 24;
// Width of one character of the 11-pixel monospace labels, rounded up.
constexpr double kCharWidth = 6.8;

const char* const kPalette[] = {"#8dd3c7", "#ffffb3", "#bebada", "#fb8072", "#80b1d3", "#fdb462", "#b3de69", "#fccde5"};

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Hex(std::uint8_t byte) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

std::string LastKey(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

const char* LegendOrder(CAppDataRecord::EN_FIELD kind) {
  switch (kind) {
    case CAppDataRecord::FIELD_INTEL: return "Intel order";
    case CAppDataRecord::FIELD_MOTOROLA: return "Motorola order";
    case CAppDataRecord::FIELD_BYTES: return "byte by byte";
    case CAppDataRecord::FIELD_SKIPPED: return "no data, skipped";
  }
  return "?";
}

int RowTop(std::uint32_t row) { return kTop + static_cast<int>(row) * kRowHeight; }
int BitX(std::uint32_t bitInRow) { return kLeft + static_cast<int>(bitInRow) * kBitWidth; }

// The first of the texts that fits in `width` pixels, else nothing.
std::string FittingLabel(const std::vector<std::string>& texts, int width) {
  for (const std::string& text : texts) {
    if (static_cast<double>(text.size()) * kCharWidth + 6 <= width) return text;
  }
  return std::string();
}

class SvgWriter {
public:
  SvgWriter(const Layout& layout, std::ostream& out) : m_layout(layout), m_out(out) {
    std::uint32_t bytes = static_cast<std::uint32_t>(layout.image.size());
    for (const LayoutField& f : layout.fields) bytes = std::max(bytes, f.LastByte() + 1);
    m_rows = (bytes + kBytesPerRow - 1) / kBytesPerRow;
  }

  void Write(const std::string& title) {
    const int legendTop = RowTop(m_rows) + 16;
    const int height = legendTop + static_cast<int>(m_layout.fields.size()) * kLegendLine + 16;
    m_out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
          << "\" viewBox=\"0 0 " << kWidth << ' ' << height << "\" font-family=\"DejaVu Sans Mono, monospace\">\n"
          << "<defs><pattern id=\"skipped\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
             "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#eeeeee\"/>"
             "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#bbbbbb\" stroke-width=\"2\"/></pattern></defs>\n"
          << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
          << "<text x=\"12\" y=\"24\" font-size=\"15\" font-weight=\"bold\">" << Escape(title) << "</text>\n"
          << "<text x=\"12\" y=\"44\" font-size=\"11\" fill=\"#555555\">" << m_layout.image.size() << " bytes, "
          << m_layout.fields.size()
          << " fields; bit 0 of each byte on the left, the byte's value below it; hatched: no data</text>\n";
    WriteBitHeader();
    for (std::uint32_t row = 0; row < m_rows; ++row) WriteRowFrame(row);
    for (std::size_t i = 0; i < m_layout.fields.size(); ++i) WriteBand(i);
    for (std::uint32_t row = 0; row < m_rows; ++row) WriteRowGrid(row);
    WriteLegend(legendTop);
    m_out << "</svg>\n";
  }

private:
  std::string Fill(std::size_t index) const {
    if (m_layout.fields[index].kind == CAppDataRecord::FIELD_SKIPPED) return "url(#skipped)";
    return kPalette[index % std::size(kPalette)];
  }

  void WriteBitHeader() {
    for (std::uint32_t bit = 0; bit < kBitsPerRow; ++bit) {
      m_out << "<text x=\"" << BitX(bit) + kBitWidth / 2 << "\" y=\"" << kTop - 6
            << "\" font-size=\"9\" fill=\"#777777\" text-anchor=\"middle\">" << bit % 8 << "</text>\n";
    }
  }

  // The offset of the row and a box for each byte, dashed past the image.
  void WriteRowFrame(std::uint32_t row) {
    const int top = RowTop(row);
    m_out << "<text x=\"" << kLeft - 10 << "\" y=\"" << top + kBandHeight / 2 + 4
          << "\" font-size=\"11\" text-anchor=\"end\">byte " << row * kBytesPerRow << "</text>\n";
    for (std::uint32_t i = 0; i < kBytesPerRow; ++i) {
      const std::uint32_t byte = row * kBytesPerRow + i;
      const bool inImage = byte < m_layout.image.size();
      m_out << "<rect x=\"" << BitX(i * 8) << "\" y=\"" << top << "\" width=\"" << 8 * kBitWidth << "\" height=\""
            << kBandHeight << "\" fill=\"white\" stroke=\"#999999\""
            << (inImage ? "" : " stroke-dasharray=\"4 3\"") << "/>\n";
      if (inImage) {
        m_out << "<text x=\"" << BitX(i * 8) + 4 * kBitWidth << "\" y=\"" << top + kBandHeight + 14
              << "\" font-size=\"11\" text-anchor=\"middle\">" << Hex(m_layout.image[byte]) << "</text>\n";
      }
    }
  }

  // The field's bits, one rectangle per row it crosses, each labelled when
  // its key or number fits.
  void WriteBand(std::size_t index) {
    const LayoutField& f = m_layout.fields[index];
    const std::vector<std::string> labels = {f.path, LastKey(f.path), std::to_string(index + 1)};
    for (std::uint64_t bit = f.bit, end = std::uint64_t{f.bit} + f.bits; bit < end;) {
      const std::uint32_t row = static_cast<std::uint32_t>(bit / kBitsPerRow);
      const std::uint64_t stop = std::min<std::uint64_t>(end, std::uint64_t{row + 1} * kBitsPerRow);
      const int x = BitX(static_cast<std::uint32_t>(bit % kBitsPerRow));
      const int width = static_cast<int>(stop - bit) * kBitWidth;
      const int top = RowTop(row);
      m_out << "<rect x=\"" << x + 1 << "\" y=\"" << top + 3 << "\" width=\"" << width - 2 << "\" height=\""
            << kBandHeight - 6 << "\" rx=\"4\" fill=\"" << Fill(index) << "\" stroke=\"#333333\"/>\n";
      const std::string label = FittingLabel(labels, width);
      if (!label.empty()) {
        m_out << "<text x=\"" << x + width / 2 << "\" y=\"" << top + kBandHeight / 2 + 4
              << "\" font-size=\"11\" text-anchor=\"middle\">" << Escape(label) << "</text>\n";
      }
      bit = stop;
    }
  }

  // Bit ticks along the bottom of the bands, drawn over them.
  void WriteRowGrid(std::uint32_t row) {
    const int bottom = RowTop(row) + kBandHeight;
    for (std::uint32_t bit = 1; bit < kBitsPerRow; ++bit) {
      if (bit % 8 == 0) continue;
      m_out << "<line x1=\"" << BitX(bit) << "\" y1=\"" << bottom - 4 << "\" x2=\"" << BitX(bit) << "\" y2=\""
            << bottom << "\" stroke=\"#999999\"/>\n";
    }
  }

  void WriteLegend(int top) {
    for (std::size_t i = 0; i < m_layout.fields.size(); ++i) {
      const LayoutField& f = m_layout.fields[i];
      const int y = top + static_cast<int>(i) * kLegendLine;
      std::string bytes = std::to_string(f.FirstByte());
      if (f.LastByte() != f.FirstByte()) bytes += "-" + std::to_string(f.LastByte());
      m_out << "<rect x=\"12\" y=\"" << y << "\" width=\"14\" height=\"14\" fill=\"" << Fill(i)
            << "\" stroke=\"#333333\"/>\n<text x=\"34\" y=\"" << y + 11 << "\" font-size=\"11\">" << i + 1 << ". "
            << Escape(f.path) << ": bit " << f.bit << ", " << f.bits << (f.bits == 1 ? " bit" : " bits") << " in byte"
            << (f.LastByte() != f.FirstByte() ? "s " : " ") << bytes << ", " << LegendOrder(f.kind) << "</text>\n";
    }
  }

  const Layout& m_layout;
  std::ostream& m_out;
  std::uint32_t m_rows = 0;
};

}  // namespace

void WriteLayoutSvg(const Layout& layout, const std::string& title, std::ostream& out) {
  SvgWriter(layout, out).Write(title);
}
