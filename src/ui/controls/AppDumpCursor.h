// The caret and the selection of the hex dump editor. The caret sits on a
// word (the word after the last one is where typing appends), on a character
// of that word in the data column or on a byte of it in the ascii column. The
// selection is a range of whole words between an anchor and the caret.
#pragma once

#include "AppDumpFormat.h"

namespace AppDump {

enum Area : int { AREA_ADDRESS = 0, AREA_ASCII = 1, AREA_DATA = 2 };

// What a move needs to know of the data and the window.
struct Grid {
  const WordFormat* format = nullptr;
  long wordCount = 0;    // words holding data; the caret may go one further
  long wordsPerRow = 1;
  long pageRows = 1;     // whole rows in the window
};

class Cursor {
public:
  long Word() const { return m_word; }
  int Position() const { return m_pos; }
  int Area() const { return m_area; }

  bool HasSelection() const { return m_first >= 0; }
  long First() const { return m_first; }
  long Last() const { return m_last; }

  // Puts the caret on the first character of a word; clears the selection.
  void Place(const Grid& grid, long word, int area);
  // Puts the caret on a character (data) or byte (ascii) of a word.
  void PlaceAt(const Grid& grid, long word, int pos, int area);
  // The same word in the other column; the selection stays.
  void SetArea(const Grid& grid, int area);
  void SelectAll(const Grid& grid);
  void ClearSelection();
  // Selects the words from `anchor` to the caret's word (excluded), as a
  // Shift move does.
  void ExtendFrom(const Grid& grid, long anchor);
  // Keeps caret and selection inside the data after it or the format
  // changed; the position goes to a valid character of the word.
  void Fit(const Grid& grid);

  // The keys. With `extend` the selection grows from where it started (or
  // from the caret), and Left and Right go by whole words.
  void Left(const Grid& grid, bool extend);
  void Right(const Grid& grid, bool extend);
  void Up(const Grid& grid, bool extend) { MoveWords(grid, -grid.wordsPerRow, extend); }
  void Down(const Grid& grid, bool extend) { MoveWords(grid, grid.wordsPerRow, extend); }
  void PageUp(const Grid& grid, bool extend) { MoveWords(grid, -grid.wordsPerRow * grid.pageRows, extend); }
  void PageDown(const Grid& grid, bool extend) { MoveWords(grid, grid.wordsPerRow * grid.pageRows, extend); }
  // Start and end of the caret's row, or of the data with `wholeData`.
  void Home(const Grid& grid, bool extend, bool wholeData);
  void End(const Grid& grid, bool extend, bool wholeData);
  // One character forward, after typing: to the next word after the last
  // character of this one.
  void Advance(const Grid& grid);

private:
  void MoveWords(const Grid& grid, long delta, bool extend);
  void GoTo(const Grid& grid, long word, int pos, bool extend);
  int FirstPos(const Grid& grid) const;
  int LastPos(const Grid& grid) const;

  long m_word = 0;
  int m_pos = 0;
  int m_area = AREA_DATA;
  long m_anchor = -1;
  long m_first = -1;
  long m_last = -1;
};

}  // namespace AppDump
