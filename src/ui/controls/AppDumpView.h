// The painting piece of the hex dump editor: the layout figures (character
// size, column positions, words per row), computed once per font, format or
// option change, and the drawing of the rows in view from the bytes.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRawFont>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "AppDumpCursor.h"
#include "AppDumpFormat.h"

class QPainter;

namespace AppDump {

struct ViewOptions {
  bool address = true;
  bool data = true;
  bool ascii = true;
  bool fourEight = true;
  int bytesPerRow = 8;
  std::uint32_t addressOffset = 0;
};

struct Colours {
  QColor background;
  QColor text;
  QColor highlight;
  QColor highlightedText;
  QColor shadow;  // the frame that echoes the caret in the other column
};

// What one paint needs besides the layout.
struct PaintInput {
  const std::vector<std::uint8_t>* bytes = nullptr;
  const Cursor* cursor = nullptr;
  long firstRow = 0;
  QRect dirty;  // in viewport coordinates
  int xScroll = 0;
  bool focused = false;
  Colours colours;
};

// Where a point of the viewport falls.
struct Hit {
  int area = AREA_DATA;
  long word = 0;
  int pos = 0;
};

class View {
public:
  void SetFont(const QFont& font);
  // Recomputes every column position; cheap, called after each change that
  // can move a column (the address width follows the data length).
  void Update(const WordFormat& format, const ViewOptions& options, std::size_t dataSize);

  long WordsPerRow() const { return m_wordsPerRow; }
  int LineHeight() const { return m_lineHeight; }
  int CharWidth() const { return m_charWidth; }
  int Width() const { return m_width; }
  // Rows for `wordCount` words and the caret place after them.
  long RowCount(long wordCount) const { return wordCount / m_wordsPerRow + 1; }

  void Paint(QPainter& painter, const PaintInput& in) const;
  // The caret's cell in viewport coordinates.
  QRect CaretRect(const Cursor& cursor, long firstRow, int xScroll) const;
  // The column, word and character under a point; false outside the columns.
  bool HitTest(QPoint point, long firstRow, int xScroll, long wordCount, Hit& hit) const;

private:
  void PaintRow(QPainter& painter, const PaintInput& in, long row, int y) const;
  void PaintColumn(QPainter& painter, const PaintInput& in, int x, int y, std::string_view text, int selFrom,
                   int selTo) const;
  // Draws characters on the grid, one cell each, from glyphs looked up once
  // per font: the texts are plain ASCII, so no shaping is needed.
  void DrawChars(QPainter& painter, int x, int baseline, std::string_view text, const QColor& colour) const;
  void PaintCaret(QPainter& painter, const PaintInput& in, int y) const;
  int CaretColumnX(const Cursor& cursor, int area) const;

  WordFormat m_format;
  ViewOptions m_options;
  QFont m_font;
  QRawFont m_rawFont;
  std::vector<quint32> m_glyphs;  // by character code, 0 to 255
  int m_charWidth = 8;
  int m_lineHeight = 14;
  int m_ascent = 11;
  int m_addressChars = 8;
  int m_addressX = 0;
  int m_dataX = 0;
  int m_asciiX = 0;
  int m_width = 0;
  long m_wordsPerRow = 8;
  long m_rowBytes = 8;
};

}  // namespace AppDump
