// The hex dump's caret moves and its view's hit test, each from a table.
#include <gtest/gtest.h>

#include <QFontDatabase>

#include "AppDumpCursor.h"
#include "AppDumpView.h"

using namespace AppDump;

namespace {

WordFormat MakeFormat(int base, int format, bool isSigned = true) {
  WordFormat f;
  f.base = base;
  f.format = format;
  f.isSigned = isSigned;
  return f;
}

const WordFormat kHex8 = MakeFormat(BASE_HEXA, FORMAT_8);          // "AB ": positions 0, 1
const WordFormat kHex16 = MakeFormat(BASE_HEXA, FORMAT_16);        // 2 bytes a word
const WordFormat kUnsigned8 = MakeFormat(BASE_DECIMAL, FORMAT_8, false);  // " 255": positions 1 to 3
const WordFormat kBits = MakeFormat(BASE_BINARY, FORMAT_BIT_BY_BIT);      // "0 1 ...": even positions 0 to 14

enum class Move { Left, Right, Down, PageUp, PageDown, Home, End, DataHome, DataEnd };

struct MoveCase {
  const char* what;
  const WordFormat* format;
  int area;
  long word;
  int pos;
  Move move;
  bool extend;
  long wantWord;
  int wantPos;
  long wantFirst;  // -1: no selection
  long wantLast;
};

void Apply(Cursor& cursor, const Grid& grid, Move move, bool extend) {
  switch (move) {
    case Move::Left: return cursor.Left(grid, extend);
    case Move::Right: return cursor.Right(grid, extend);
    case Move::Down: return cursor.Down(grid, extend);
    case Move::PageUp: return cursor.PageUp(grid, extend);
    case Move::PageDown: return cursor.PageDown(grid, extend);
    case Move::Home: return cursor.Home(grid, extend, false);
    case Move::End: return cursor.End(grid, extend, false);
    case Move::DataHome: return cursor.Home(grid, extend, true);
    case Move::DataEnd: return cursor.End(grid, extend, true);
  }
}

}  // namespace

// 20 words, 8 a row, pages of 2 rows; the caret may stand on word 20, where
// typing appends.
TEST(AppDumpCursor, MovesFromATable) {
  const MoveCase cases[] = {
      {"right inside a word", &kHex8, AREA_DATA, 3, 0, Move::Right, false, 3, 1, -1, -1},
      {"right off a word's last digit", &kHex8, AREA_DATA, 3, 1, Move::Right, false, 4, 0, -1, -1},
      {"right stops after the data", &kHex8, AREA_DATA, 20, 0, Move::Right, false, 20, 0, -1, -1},
      {"left onto the last digit before", &kHex8, AREA_DATA, 4, 0, Move::Left, false, 3, 1, -1, -1},
      {"left stops at the start", &kHex8, AREA_DATA, 0, 0, Move::Left, false, 0, 0, -1, -1},
      {"shift right takes whole words", &kHex8, AREA_DATA, 3, 1, Move::Right, true, 4, 0, 3, 3},
      {"shift left selects the word before", &kHex8, AREA_DATA, 3, 1, Move::Left, true, 2, 0, 2, 2},
      {"down keeps the digit", &kHex8, AREA_DATA, 3, 1, Move::Down, false, 11, 1, -1, -1},
      {"down past the end stops there", &kHex8, AREA_DATA, 15, 0, Move::Down, false, 20, 0, -1, -1},
      {"page down", &kHex8, AREA_DATA, 0, 0, Move::PageDown, false, 16, 0, -1, -1},
      {"page up before the start", &kHex8, AREA_DATA, 5, 0, Move::PageUp, false, 0, 0, -1, -1},
      {"home of the row", &kHex8, AREA_DATA, 11, 1, Move::Home, false, 8, 0, -1, -1},
      {"end of the row, on its last digit", &kHex8, AREA_DATA, 11, 0, Move::End, false, 15, 1, -1, -1},
      {"end of a short last row", &kHex8, AREA_DATA, 17, 0, Move::End, false, 19, 1, -1, -1},
      {"shift end selects to the last word", &kHex8, AREA_DATA, 17, 0, Move::End, true, 20, 0, 17, 19},
      {"shift ctrl home selects to the start", &kHex8, AREA_DATA, 5, 1, Move::DataHome, true, 0, 0, 0, 4},
      {"ctrl end goes after the data", &kHex8, AREA_DATA, 5, 1, Move::DataEnd, false, 20, 0, -1, -1},
      {"unsigned decimal skips its blank", &kUnsigned8, AREA_DATA, 3, 3, Move::Right, false, 4, 1, -1, -1},
      {"back onto an unsigned last digit", &kUnsigned8, AREA_DATA, 4, 1, Move::Left, false, 3, 3, -1, -1},
      {"single bits skip their blanks", &kBits, AREA_DATA, 0, 0, Move::Right, false, 0, 2, -1, -1},
      {"back onto the last bit", &kBits, AREA_DATA, 1, 0, Move::Left, false, 0, 14, -1, -1},
      {"ascii goes by bytes", &kHex16, AREA_ASCII, 2, 1, Move::Right, false, 3, 0, -1, -1},
      {"ascii back a byte", &kHex16, AREA_ASCII, 3, 0, Move::Left, false, 2, 1, -1, -1},
  };
  for (const MoveCase& c : cases) {
    const Grid grid{c.format, 20, 8, 2};
    Cursor cursor;
    cursor.PlaceAt(grid, c.word, c.pos, c.area);
    Apply(cursor, grid, c.move, c.extend);
    EXPECT_EQ(cursor.Word(), c.wantWord) << c.what;
    EXPECT_EQ(cursor.Position(), c.wantPos) << c.what;
    EXPECT_EQ(cursor.Area(), c.area) << c.what;
    EXPECT_EQ(cursor.HasSelection() ? cursor.First() : -1, c.wantFirst) << c.what;
    EXPECT_EQ(cursor.HasSelection() ? cursor.Last() : -1, c.wantLast) << c.what;
  }
}

// Shorter data (an undo, a cut) keeps the caret and the selection inside
// the words that are left; a caret is only ever on a digit.
TEST(AppDumpCursor, FitsShorterDataAndValidPositions) {
  Grid grid{&kHex8, 20, 8, 2};
  Cursor cursor;
  cursor.SelectAll(grid);
  EXPECT_EQ(std::make_pair(cursor.First(), cursor.Last()), std::make_pair(0L, 19L));
  grid.wordCount = 12;
  cursor.Fit(grid);
  EXPECT_EQ(cursor.Word(), 12);
  EXPECT_EQ(std::make_pair(cursor.First(), cursor.Last()), std::make_pair(0L, 11L));
  grid.wordCount = 0;
  cursor.Fit(grid);
  EXPECT_FALSE(cursor.HasSelection());
  grid = Grid{&kUnsigned8, 10, 8, 2};
  cursor.PlaceAt(grid, 4, 0, AREA_DATA);
  EXPECT_EQ(cursor.Position(), 1) << "the blank of an unsigned decimal is no caret place";
}

namespace {

struct HitCase {
  const char* what;
  const WordFormat* format;
  int area;     // the caret place whose cell is aimed at...
  long word;
  int pos;
  int dx;       // ...shifted by whole characters
  int dy;       // and whole lines
  bool hit;
  int wantArea;
  long wantWord;
  int wantPos;
};

}  // namespace

// Points are taken from the caret cells the view draws, so that the test
// pins hit test and painting to the same layout: 20 bytes, 8 a row, with
// the address, data and ascii columns.
TEST(AppDumpView, HitTestFromATable) {
  const HitCase cases[] = {
      {"a data digit", &kHex8, AREA_DATA, 9, 1, 0, 0, true, AREA_DATA, 9, 1},
      {"the blank after a word: its last digit", &kHex8, AREA_DATA, 2, 1, 1, 0, true, AREA_DATA, 2, 1},
      {"the address column", &kHex8, AREA_DATA, 0, 0, -4, 0, false, 0, 0, 0},
      {"an ascii byte", &kHex8, AREA_ASCII, 3, 0, 0, 0, true, AREA_ASCII, 3, 0},
      {"past the data: after its last word", &kHex8, AREA_ASCII, 16, 0, 5, 0, true, AREA_ASCII, 20, 0},
      {"a row below the data", &kHex8, AREA_DATA, 16, 0, 0, 1, true, AREA_DATA, 20, 0},
      {"right of the ascii column", &kHex8, AREA_ASCII, 7, 0, 2, 0, false, 0, 0, 0},
      {"the second byte of a 16-bit word", &kHex16, AREA_ASCII, 1, 1, 0, 0, true, AREA_ASCII, 1, 1},
      {"a 16-bit digit", &kHex16, AREA_DATA, 2, 3, 0, 0, true, AREA_DATA, 2, 3},
      {"an unsigned blank: the first digit", &kUnsigned8, AREA_DATA, 4, 1, -1, 0, true, AREA_DATA, 4, 1},
      {"the blank between bits: the next bit", &kBits, AREA_DATA, 1, 2, 1, 0, true, AREA_DATA, 1, 4},
  };
  View view;
  view.SetFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const int cw = view.CharWidth();
  const int lh = view.LineHeight();
  for (const HitCase& c : cases) {
    ViewOptions options;
    options.bytesPerRow = 8;
    view.Update(*c.format, options, 20);
    const Grid grid{c.format, 20 / c.format->BytesPerWord(), view.WordsPerRow(), 4};
    for (const auto& [firstRow, xScroll] : {std::make_pair(0L, 0), std::make_pair(1L, 3 * cw)}) {
      Cursor aim;
      aim.PlaceAt(grid, c.word, c.pos, c.area);
      if (aim.Word() / view.WordsPerRow() < firstRow) continue;
      const QPoint point = view.CaretRect(aim, firstRow, xScroll).center() + QPoint(c.dx * cw, c.dy * lh);
      Hit hit;
      ASSERT_EQ(view.HitTest(point, firstRow, xScroll, grid.wordCount, hit), c.hit) << c.what;
      if (!c.hit) continue;
      EXPECT_EQ(hit.area, c.wantArea) << c.what;
      EXPECT_EQ(hit.word, c.wantWord) << c.what;
      EXPECT_EQ(hit.pos, c.wantPos) << c.what;
    }
  }
}
