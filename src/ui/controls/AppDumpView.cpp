#include "AppDumpView.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>

namespace AppDump {
namespace {

constexpr int kMargin = 4;
// Blank characters between two columns.
constexpr int kColumnGap = 2;

char AsciiChar(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.'; }

}  // namespace

void View::SetFont(const QFont& font) {
  m_font = font;
  const QFontMetrics metrics(font);
  m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
  m_lineHeight = std::max(1, metrics.height());
  m_ascent = metrics.ascent();
  m_rawFont = QRawFont::fromFont(font);
  QString codes;
  for (int code = 0; code < 256; ++code) codes += QChar(code >= 0x20 && code < 0x7F ? code : ' ');
  const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(codes);
  m_glyphs.assign(glyphs.begin(), glyphs.end());
  m_glyphs.resize(256, 0);
}

void View::DrawChars(QPainter& painter, int x, int baseline, std::string_view text, const QColor& colour) const {
  QList<quint32> glyphs;
  QList<QPointF> positions;
  glyphs.reserve(static_cast<qsizetype>(text.size()));
  positions.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    glyphs.append(m_glyphs[static_cast<unsigned char>(text[i])]);
    positions.append(QPointF(static_cast<qreal>(i) * m_charWidth, 0));
  }
  if (glyphs.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(m_rawFont);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter.setPen(colour);
  painter.drawGlyphRun(QPointF(x, baseline), run);
}

void View::Update(const WordFormat& format, const ViewOptions& options, std::size_t dataSize) {
  m_format = format;
  m_options = options;
  const int bytesPerWord = format.BytesPerWord();
  m_rowBytes = std::max(options.bytesPerRow, bytesPerWord);
  m_wordsPerRow = m_rowBytes / bytesPerWord;
  // As many hexadecimal digits as the last address needs.
  const std::uint64_t lastAddress = std::uint64_t{options.addressOffset} + dataSize;
  m_addressChars = std::max(options.fourEight ? 8 : 4, static_cast<int>(std::bit_width(lastAddress) + 3) / 4);

  int x = kMargin;
  m_addressX = x;
  if (options.address) x += (m_addressChars + kColumnGap) * m_charWidth;
  m_dataX = x;
  if (options.data) x += (static_cast<int>(m_wordsPerRow) * format.CharsPerWord() + kColumnGap - 1) * m_charWidth;
  m_asciiX = x;
  if (options.ascii) x += static_cast<int>(m_rowBytes) * m_charWidth;
  m_width = x + kMargin;
}

void View::Paint(QPainter& painter, const PaintInput& in) const {
  painter.setFont(m_font);
  painter.fillRect(in.dirty, in.colours.background);
  const long bytesPerWord = m_format.BytesPerWord();
  const long rows = RowCount((static_cast<long>(in.bytes->size()) + bytesPerWord - 1) / bytesPerWord);
  const long top = in.firstRow + in.dirty.top() / m_lineHeight;
  const long bottom = std::min(rows - 1, in.firstRow + in.dirty.bottom() / m_lineHeight);
  painter.translate(-in.xScroll, 0);
  for (long row = top; row <= bottom; ++row) {
    const int y = static_cast<int>(row - in.firstRow) * m_lineHeight;
    PaintRow(painter, in, row, y);
    if (row == in.cursor->Word() / m_wordsPerRow) PaintCaret(painter, in, y);
  }
  painter.translate(in.xScroll, 0);
}

void View::PaintRow(QPainter& painter, const PaintInput& in, long row, int y) const {
  const std::vector<std::uint8_t>& bytes = *in.bytes;
  const std::size_t size = bytes.size();
  const std::size_t bytesPerWord = static_cast<std::size_t>(m_format.BytesPerWord());
  const std::size_t rowOffset = static_cast<std::size_t>(row) * static_cast<std::size_t>(m_rowBytes);
  const long firstWord = row * m_wordsPerRow;

  // The selected words of this row, as a range of its words (empty without
  // a selection, whose first and last are -1).
  const long selFrom = std::clamp(in.cursor->First() - firstWord, 0L, m_wordsPerRow);
  const long selTo = std::clamp(in.cursor->Last() + 1 - firstWord, 0L, m_wordsPerRow);

  if (m_options.address) {
    const unsigned long long address = std::uint64_t{m_options.addressOffset} + rowOffset;
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", m_addressChars, address);
    PaintColumn(painter, in, m_addressX, y, text, 0, 0);
  }
  if (m_options.data) {
    std::string line;
    for (std::size_t at = rowOffset; at < size && at < rowOffset + static_cast<std::size_t>(m_rowBytes);
         at += bytesPerWord)
      m_format.AppendWord(line, m_format.ReadWord(bytes.data(), size, at));
    const int chars = m_format.CharsPerWord();
    // The separator after the last selected word stays unselected.
    const int to = selTo > selFrom ? static_cast<int>(selTo) * chars - 1 : 0;
    PaintColumn(painter, in, m_dataX, y, line, static_cast<int>(selFrom) * chars, to);
  }
  if (m_options.ascii) {
    std::string line;
    for (std::size_t at = rowOffset; at < size && at < rowOffset + static_cast<std::size_t>(m_rowBytes); ++at)
      line += AsciiChar(bytes[at]);
    PaintColumn(painter, in, m_asciiX, y, line, static_cast<int>(selFrom * static_cast<long>(bytesPerWord)),
                static_cast<int>(selTo * static_cast<long>(bytesPerWord)));
  }
}

void View::PaintColumn(QPainter& painter, const PaintInput& in, int x, int y, std::string_view text, int selFrom,
                       int selTo) const {
  const int baseline = y + m_ascent;
  selTo = std::min(selTo, static_cast<int>(text.size()));
  if (selTo <= selFrom) return DrawChars(painter, x, baseline, text, in.colours.text);
  const auto from = static_cast<std::size_t>(selFrom);
  const auto to = static_cast<std::size_t>(selTo);
  DrawChars(painter, x, baseline, text.substr(0, from), in.colours.text);
  DrawChars(painter, x + selTo * m_charWidth, baseline, text.substr(to), in.colours.text);
  const QRect selected(x + selFrom * m_charWidth, y, (selTo - selFrom) * m_charWidth, m_lineHeight);
  painter.fillRect(selected, in.colours.highlight);
  DrawChars(painter, selected.left(), baseline, text.substr(from, to - from), in.colours.highlightedText);
}

int View::CaretColumnX(const Cursor& cursor, int area) const {
  const long wordInRow = cursor.Word() % m_wordsPerRow;
  if (area == AREA_ASCII) {
    const int byte = area == cursor.Area() ? cursor.Position() : 0;
    return m_asciiX + (static_cast<int>(wordInRow) * m_format.BytesPerWord() + byte) * m_charWidth;
  }
  const int pos = area == cursor.Area() ? cursor.Position() : m_format.FirstPosition();
  return m_dataX + (static_cast<int>(wordInRow) * m_format.CharsPerWord() + pos) * m_charWidth;
}

QRect View::CaretRect(const Cursor& cursor, long firstRow, int xScroll) const {
  const int y = static_cast<int>(cursor.Word() / m_wordsPerRow - firstRow) * m_lineHeight;
  return QRect(CaretColumnX(cursor, cursor.Area()) - xScroll, y, m_charWidth, m_lineHeight);
}

void View::PaintCaret(QPainter& painter, const PaintInput& in, int y) const {
  const Cursor& cursor = *in.cursor;
  const int area = cursor.Area();
  auto shown = [this](int column) { return column == AREA_ASCII ? m_options.ascii : m_options.data; };
  if (!shown(area)) return;
  // The same word in the other column gets a thin frame.
  const int otherArea = area == AREA_ASCII ? AREA_DATA : AREA_ASCII;
  if (shown(otherArea)) {
    const int width = otherArea == AREA_ASCII ? m_format.BytesPerWord() : m_format.TextChars();
    painter.setPen(in.colours.shadow);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(CaretColumnX(cursor, otherArea) - (otherArea == AREA_DATA ? m_format.FirstPosition() * m_charWidth : 0),
                     y, width * m_charWidth - 1, m_lineHeight - 1);
  }
  const QRect cell(CaretColumnX(cursor, area), y, m_charWidth, m_lineHeight);
  if (!in.focused) {
    painter.setPen(in.colours.text);
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
    return;
  }
  // A block caret that shows the character under it inverted.
  painter.fillRect(cell, in.colours.text);
  char under = ' ';
  const std::vector<std::uint8_t>& bytes = *in.bytes;
  const std::size_t wordOffset = static_cast<std::size_t>(cursor.Word()) * static_cast<std::size_t>(m_format.BytesPerWord());
  if (wordOffset < bytes.size()) {
    if (area == AREA_ASCII) {
      const std::size_t at = wordOffset + static_cast<std::size_t>(cursor.Position());
      if (at < bytes.size()) under = AsciiChar(bytes[at]);
    } else {
      const std::string word = m_format.WordText(m_format.ReadWord(bytes.data(), bytes.size(), wordOffset));
      under = word[static_cast<std::size_t>(cursor.Position())];
    }
  }
  DrawChars(painter, cell.left(), y + m_ascent, std::string_view(&under, 1), in.colours.background);
}

bool View::HitTest(QPoint point, long firstRow, int xScroll, long wordCount, Hit& hit) const {
  const int x = point.x() + xScroll;
  const long row = firstRow + std::max(0, point.y()) / m_lineHeight;
  const long rowWord = row * m_wordsPerRow;
  if (m_options.data && x >= m_dataX && x < m_asciiX) {
    const int column = (x - m_dataX) / m_charWidth;
    const int chars = m_format.CharsPerWord();
    hit.area = AREA_DATA;
    hit.word = rowWord + std::min<long>(column / chars, m_wordsPerRow - 1);
    hit.pos = m_format.ValidPosition(column % chars);
  } else if (m_options.ascii && x >= m_asciiX && x < m_width) {
    const int column = std::min<int>((x - m_asciiX) / m_charWidth, static_cast<int>(m_rowBytes) - 1);
    hit.area = AREA_ASCII;
    hit.word = rowWord + column / m_format.BytesPerWord();
    hit.pos = column % m_format.BytesPerWord();
  } else {
    return false;
  }
  if (hit.word > wordCount) {
    hit.word = wordCount;
    hit.pos = hit.area == AREA_ASCII ? 0 : m_format.FirstPosition();
  }
  return true;
}

}  // namespace AppDump
