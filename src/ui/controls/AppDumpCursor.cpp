#include "AppDumpCursor.h"

#include <algorithm>

namespace AppDump {

int Cursor::FirstPos(const Grid& grid) const { return m_area == AREA_ASCII ? 0 : grid.format->FirstPosition(); }

int Cursor::LastPos(const Grid& grid) const {
  return m_area == AREA_ASCII ? grid.format->BytesPerWord() - 1 : grid.format->LastPosition();
}

void Cursor::Place(const Grid& grid, long word, int area) {
  m_area = area;
  PlaceAt(grid, word, FirstPos(grid), area);
}

void Cursor::PlaceAt(const Grid& grid, long word, int pos, int area) {
  m_area = area;
  m_word = std::clamp(word, 0L, grid.wordCount);
  m_pos = pos;
  ClearSelection();
  Fit(grid);
}

void Cursor::SetArea(const Grid& grid, int area) {
  if (area == m_area) return;
  m_area = area;
  m_pos = FirstPos(grid);
  Fit(grid);
}

void Cursor::SelectAll(const Grid& grid) {
  ClearSelection();
  if (grid.wordCount == 0) return;
  m_word = grid.wordCount;
  m_pos = FirstPos(grid);
  ExtendFrom(grid, 0);
}

void Cursor::ClearSelection() { m_anchor = m_first = m_last = -1; }

void Cursor::ExtendFrom(const Grid& grid, long anchor) {
  m_anchor = std::clamp(anchor, 0L, grid.wordCount);
  const long from = std::min(m_anchor, m_word);
  const long to = std::max(m_anchor, m_word);
  if (from == to) {
    m_first = m_last = -1;
  } else {
    m_first = from;
    m_last = to - 1;
  }
}

void Cursor::Fit(const Grid& grid) {
  m_word = std::clamp(m_word, 0L, grid.wordCount);
  if (m_area == AREA_ASCII)
    m_pos = std::clamp(m_pos, 0, LastPos(grid));
  else
    m_pos = grid.format->ValidPosition(m_pos);
  if (m_first < 0) return;
  m_last = std::min(m_last, grid.wordCount - 1);
  m_anchor = std::min(m_anchor, grid.wordCount);
  if (m_first > m_last) ClearSelection();
}

void Cursor::GoTo(const Grid& grid, long word, int pos, bool extend) {
  const long anchor = m_anchor >= 0 ? m_anchor : m_word;
  m_word = std::clamp(word, 0L, grid.wordCount);
  m_pos = pos;
  if (extend)
    ExtendFrom(grid, anchor);
  else
    ClearSelection();
}

void Cursor::MoveWords(const Grid& grid, long delta, bool extend) {
  GoTo(grid, m_word + delta, m_pos, extend);
}

void Cursor::Left(const Grid& grid, bool extend) {
  if (extend) return GoTo(grid, m_word - 1, FirstPos(grid), true);
  const int previous = m_area == AREA_ASCII ? (m_pos > 0 ? m_pos - 1 : -1) : grid.format->PreviousPosition(m_pos);
  if (previous >= 0) return GoTo(grid, m_word, previous, false);
  if (m_word > 0) return GoTo(grid, m_word - 1, LastPos(grid), false);
  GoTo(grid, m_word, m_pos, false);
}

void Cursor::Right(const Grid& grid, bool extend) {
  if (extend) return GoTo(grid, m_word + 1, FirstPos(grid), true);
  Advance(grid);
  ClearSelection();
}

void Cursor::Advance(const Grid& grid) {
  const int next = m_area == AREA_ASCII ? (m_pos < LastPos(grid) ? m_pos + 1 : -1) : grid.format->NextPosition(m_pos);
  if (next >= 0 && m_word < grid.wordCount) {
    m_pos = next;
  } else if (m_word < grid.wordCount) {
    ++m_word;
    m_pos = FirstPos(grid);
  }
}

void Cursor::Home(const Grid& grid, bool extend, bool wholeData) {
  const long word = wholeData ? 0 : m_word - m_word % grid.wordsPerRow;
  GoTo(grid, word, FirstPos(grid), extend);
}

void Cursor::End(const Grid& grid, bool extend, bool wholeData) {
  if (wholeData) return GoTo(grid, grid.wordCount, FirstPos(grid), extend);
  const long rowEnd = m_word - m_word % grid.wordsPerRow + grid.wordsPerRow - 1;
  // A selection ends before the caret, so it stops after the row's last word.
  if (extend) return GoTo(grid, std::min(rowEnd + 1, grid.wordCount), FirstPos(grid), true);
  const long word = std::min(rowEnd, std::max(grid.wordCount - 1, 0L));
  GoTo(grid, std::max(word, m_word), LastPos(grid), false);
}

}  // namespace AppDump
