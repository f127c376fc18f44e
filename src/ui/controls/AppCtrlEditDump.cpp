#include "appconfig/ui/AppCtrlEditDump.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <bit>
#include <cctype>
#include <tuple>
#include <utility>

#include "AppDumpData.h"
#include "AppDumpCursor.h"
#include "AppDumpFormat.h"
#include "AppDumpMenu.h"
#include "AppDumpOptions.h"
#include "AppDumpView.h"
#include "appconfig/AppTools.h"
#include "platform/AppWindowMessages.h"

using namespace AppDump;

namespace {

// The bytes per row are 1, 2, 4, 8 or 16: choice i is 1 << i, with the
// command ID_BPR_1 + i and the option bit OPT_BPR_1 >> i.
constexpr unsigned kBytesPerRowChoices = 5;
unsigned RowChoice(int bytesPerRow) {
  return static_cast<unsigned>(std::countr_zero(static_cast<unsigned>(bytesPerRow)));
}
constexpr unsigned kNoMinimum = 0xFFFFFFFFu;

QFont DumpFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(12);
  // Whole-pixel advances keep every column on the character grid.
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace

// The widget's state: the three pieces (data, cursor, view), the menu and
// the helpers that tie them to the scroll area.
struct CAppCtrlEditDump::Impl {
  explicit Impl(CAppCtrlEditDump* owner) : q(owner) {}

  CAppCtrlEditDump* q;
  Data data;
  std::vector<std::uint8_t> clipboard;
  WordFormat format;
  ViewOptions options;
  Cursor cursor;
  View view;
  std::unique_ptr<Menu> menu;
  bool readOnly = false;
  bool exclusive = false;
  int changeType = 0;
  long dragAnchor = -1;

  int BytesPerWord() const { return format.BytesPerWord(); }
  long WordCount() const { return static_cast<long>((data.Size() + WordOffset(1) - 1) / WordOffset(1)); }
  std::size_t WordOffset(long word) const {
    return static_cast<std::size_t>(word) * static_cast<std::size_t>(BytesPerWord());
  }

  // The bytes of the selected words, as an offset and a count inside the data.
  std::pair<std::size_t, std::size_t> SelectedRange() const {
    const std::size_t offset = std::min(WordOffset(cursor.First()), data.Size());
    return {offset, std::min(WordOffset(cursor.Last() + 1), data.Size()) - offset};
  }

  long PageRows() const { return std::max(1, q->viewport()->height() / view.LineHeight()); }
  Grid MakeGrid() const { return Grid{&format, WordCount(), view.WordsPerRow(), PageRows()}; }
  // Follows any change of data, format or options: layout, scroll bars,
  // caret and the menu's checks.
  void Relayout() {
    SyncMenuChecks();
    view.Update(format, options, data.Size());
    UpdateScrollBars();
    cursor.Fit(MakeGrid());
    if (cursor.Area() == AREA_DATA && !options.data && options.ascii) SwitchArea(AREA_ASCII);
    if (cursor.Area() == AREA_ASCII && !options.ascii && options.data) SwitchArea(AREA_DATA);
    ShowCaret();
  }

  void UpdateScrollBars() {
    const long pageRows = PageRows();
    QScrollBar* vertical = q->verticalScrollBar();
    vertical->setRange(0, static_cast<int>(std::max(0L, view.RowCount(WordCount()) - pageRows)));
    vertical->setPageStep(static_cast<int>(pageRows));
    QScrollBar* horizontal = q->horizontalScrollBar();
    horizontal->setRange(0, std::max(0, view.Width() - q->viewport()->width()));
    horizontal->setPageStep(q->viewport()->width());
    horizontal->setSingleStep(view.CharWidth());
  }

  void EnsureCaretVisible() {
    const long pageRows = PageRows();
    const long row = cursor.Word() / view.WordsPerRow();
    QScrollBar* vertical = q->verticalScrollBar();
    if (row < vertical->value()) vertical->setValue(static_cast<int>(row));
    else if (row >= vertical->value() + pageRows) vertical->setValue(static_cast<int>(row - pageRows + 1));
    const QRect caret = view.CaretRect(cursor, vertical->value(), q->horizontalScrollBar()->value());
    QScrollBar* horizontal = q->horizontalScrollBar();
    if (caret.left() < 0) horizontal->setValue(horizontal->value() + caret.left());
    else if (caret.right() >= q->viewport()->width())
      horizontal->setValue(horizontal->value() + caret.right() - q->viewport()->width() + 1);
  }

  void ShowCaret() {
    EnsureCaretVisible();
    q->viewport()->update();
  }

  // Repaints the rows from one word's to another's.
  void UpdateRows(long firstWord, long lastWord) {
    const long firstRow = q->verticalScrollBar()->value();
    const int top = static_cast<int>(firstWord / view.WordsPerRow() - firstRow) * view.LineHeight();
    const int bottom = static_cast<int>(lastWord / view.WordsPerRow() - firstRow + 1) * view.LineHeight();
    q->viewport()->update(QRect(0, top, q->viewport()->width(), bottom - top));
  }

  bool HitAt(QPoint point, Hit& hit) const {
    return view.HitTest(point, q->verticalScrollBar()->value(), q->horizontalScrollBar()->value(), WordCount(), hit);
  }

  void SwitchArea(int area) { cursor.SetArea(MakeGrid(), area); }

  template <class Change>
  void ChangeWordFormat(Change change) {
    const int oldBytesPerWord = BytesPerWord();
    change();
    // The caret and the selection keep the bytes they were on.
    const long caretByte = cursor.Word() * oldBytesPerWord;
    const bool hadSelection = cursor.HasSelection();
    const long firstByte = std::max(0L, cursor.First()) * oldBytesPerWord;
    const long endByte = (cursor.Last() + 1) * oldBytesPerWord;
    const long bytesPerWord = BytesPerWord();
    data.PadTo(std::min(static_cast<std::size_t>(WordCount() * bytesPerWord), std::max(data.MaxLength(), data.Size())));
    view.Update(format, options, data.Size());
    const Grid grid = MakeGrid();
    if (hadSelection) {
      cursor.PlaceAt(grid, (endByte + bytesPerWord - 1) / bytesPerWord, 0, cursor.Area());
      cursor.ExtendFrom(grid, firstByte / bytesPerWord);
    } else {
      cursor.PlaceAt(grid, caretByte / bytesPerWord, 0, cursor.Area());
    }
    Relayout();
  }

  void SyncMenuChecks() {
    Menu& m = *menu;
    m.Check(ID_BASE_BINARY + static_cast<unsigned>(format.base));
    m.Check(format.motorola ? ID_MOTOROLA : ID_INTEL);
    m.Check(format.isSigned ? ID_SIGNED : ID_UNSIGNED);
    constexpr unsigned formatCommands[] = {ID_FORMAT_8, ID_FORMAT_16, ID_FORMAT_32, ID_FORMAT_BIT_BY_BIT,
                                           ID_FORMAT_ONE_BIT};
    m.Check(formatCommands[format.format]);
    m.Check(ID_BPR_1 + RowChoice(options.bytesPerRow));
    m.SetChecked(ID_VIEW_ADDRESS, options.address);
    m.SetChecked(ID_VIEW_DATA, options.data);
    m.SetChecked(ID_VIEW_ASCII, options.ascii);
    m.SetChecked(ID_VIEW_FOUR_EIGHT, options.fourEight);
  }

  void DataEdited(long firstWord, bool sizeChanged) {
    if (sizeChanged) {
      Relayout();
    } else {
      cursor.Fit(MakeGrid());
      EnsureCaretVisible();
      UpdateRows(firstWord, cursor.Word());
    }
    emit q->Changed();
  }

  void TypeChar(char c) {
    if (q->IsReadOnly() || data.MaxLength() == 0) return;
    if (cursor.HasSelection()) {
      cursor.ClearSelection();
      q->viewport()->update();
    }
    const long wordIndex = cursor.Word();
    const std::size_t offset = WordOffset(wordIndex);
    if (offset > data.Size()) return;
    // The caret's word as bytes, a short last word read with zeros.
    std::vector<std::uint8_t> word(static_cast<std::size_t>(BytesPerWord()));
    format.WriteWord(format.ReadWord(data.Bytes().data(), data.Size(), offset), word.data());
    int pos = cursor.Position();
    const int area = cursor.Area();
    if (area == AREA_ASCII) {
      word[static_cast<std::size_t>(pos)] = static_cast<std::uint8_t>(c);
    } else {
      // A digit typed on the sign of a decimal goes to the first digit.
      if (std::isdigit(static_cast<unsigned char>(c)) && format.base == BASE_DECIMAL && format.isSigned &&
          pos == 0 && format.format <= FORMAT_32)
        pos = format.NextPosition(pos);
      std::uint32_t value = 0;
      if (!format.TypeChar(format.ReadWord(word.data(), word.size(), 0), pos, c, value)) return;
      format.WriteWord(value, word.data());
    }
    // A short last word is completed, a word after the end appended, room allowing.
    const std::size_t present = std::min(word.size(), data.Size() - offset);
    if (word.size() - present > data.Room()) return;
    data.Replace(offset, present, word);
    cursor.PlaceAt(MakeGrid(), wordIndex, pos, area);
    cursor.Advance(MakeGrid());
    DataEdited(wordIndex, present != word.size());
  }

  void InsertWord() {
    if (q->IsReadOnly() || data.Room() < static_cast<std::size_t>(BytesPerWord())) return;
    const std::size_t offset = std::min(WordOffset(cursor.Word()), data.Size());
    data.Replace(offset, 0, std::vector<std::uint8_t>(static_cast<std::size_t>(BytesPerWord()), 0));
    cursor.ClearSelection();
    DataEdited(cursor.Word(), true);
  }

  // Removes whole words from `offset`, no further than the minimum length.
  void RemoveBytes(std::size_t offset, std::size_t count) {
    const std::size_t bytesPerWord = static_cast<std::size_t>(BytesPerWord());
    if (count > data.Removable()) count = data.Removable() / bytesPerWord * bytesPerWord;
    if (count == 0) return;
    data.Replace(offset, count, {});
    cursor.PlaceAt(MakeGrid(), static_cast<long>(offset / bytesPerWord), 0, cursor.Area());
    DataEdited(cursor.Word(), true);
  }

  void DeleteAtCaret() {
    if (q->IsReadOnly()) return;
    if (cursor.HasSelection()) return q->Clear();
    const std::size_t offset = WordOffset(cursor.Word());
    if (offset >= data.Size()) return;
    RemoveBytes(offset, std::min(static_cast<std::size_t>(BytesPerWord()), data.Size() - offset));
  }

  void Backspace() {
    if (q->IsReadOnly() || cursor.Word() == 0) return;
    cursor.ClearSelection();
    cursor.PlaceAt(MakeGrid(), cursor.Word() - 1, 0, cursor.Area());
    DeleteAtCaret();
    q->viewport()->update();
  }

  // Tab goes from the data to the ascii column, Shift+Tab back, then out.
  void TabKey(bool forward) {
    const int other = forward ? AREA_ASCII : AREA_DATA;
    if (cursor.Area() != other && (forward ? options.ascii : options.data)) {
      SwitchArea(other);
      ShowCaret();
    } else if (!exclusive) {
      q->focusNextPrevChild(forward);
    }
  }

  // The edit commands refuse a read-only control themselves.
  bool ControlKey(QKeyEvent* event) {
    switch (event->key()) {
      case Qt::Key_A: q->SelectAll(); return true;
      case Qt::Key_C: q->Copy(); return true;
      case Qt::Key_V: q->Paste(); return true;
      case Qt::Key_X: q->Cut(); return true;
      case Qt::Key_Z: q->Undo(); return true;
      default: return false;
    }
  }

  bool MoveKey(QKeyEvent* event) {
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool wholeData = (event->modifiers() & Qt::ControlModifier) != 0;
    const Grid grid = MakeGrid();
    const long oldWord = cursor.Word();
    const bool hadSelection = cursor.HasSelection();
    switch (event->key()) {
      case Qt::Key_Left: cursor.Left(grid, extend); break;
      case Qt::Key_Right: cursor.Right(grid, extend); break;
      case Qt::Key_Up: cursor.Up(grid, extend); break;
      case Qt::Key_Down: cursor.Down(grid, extend); break;
      case Qt::Key_Home: cursor.Home(grid, extend, wholeData); break;
      case Qt::Key_End: cursor.End(grid, extend, wholeData); break;
      case Qt::Key_PageUp: cursor.PageUp(grid, extend); break;
      case Qt::Key_PageDown: cursor.PageDown(grid, extend); break;
      default: return false;
    }
    EnsureCaretVisible();
    if (hadSelection || cursor.HasSelection()) q->viewport()->update();
    else UpdateRows(std::min(oldWord, cursor.Word()), std::max(oldWord, cursor.Word()));
    return true;
  }
};

CAppCtrlEditDump::CAppCtrlEditDump(int /*mode*/, QWidget* parent) : QAbstractScrollArea(parent), d(new Impl(this)) {
  d->menu = std::make_unique<Menu>(this, [this](unsigned command) { OnCommand(command); });
  connect(d->menu->Get(), &QMenu::aboutToShow, this, [this] {
    const bool editable = !IsReadOnly();
    const bool selection = d->cursor.HasSelection();
    d->menu->SetEnabled(ID_EDIT_UNDO, editable && d->data.CanUndo());
    d->menu->SetEnabled(ID_EDIT_PASTE, editable && !d->clipboard.empty());
    d->menu->SetEnabled(ID_EDIT_COPY, selection);
    d->menu->SetEnabled(ID_EDIT_CUT, editable && selection);
    d->menu->SetEnabled(ID_EDIT_CLEAR, editable && selection);
  });
  setFocusPolicy(Qt::StrongFocus);
  setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContentsOnFirstShow);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setCursor(Qt::IBeamCursor);
  d->view.SetFont(DumpFont());
  // The control paints every pixel of the rows it is asked for.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  d->Relayout();
}

CAppCtrlEditDump::~CAppCtrlEditDump() = default;

// --- Data ---------------------------------------------------------------------

void CAppCtrlEditDump::SetData(const std::vector<std::uint8_t>& bytes) { SetData(bytes.data(), static_cast<int>(bytes.size())); }

void CAppCtrlEditDump::SetData(const unsigned char* bytes, int count) {
  if (bytes == nullptr || count < 0) count = 0;
  d->data.Assign(bytes, static_cast<std::size_t>(count));
  d->cursor.Place(d->MakeGrid(), 0, d->options.data || !d->options.ascii ? AREA_DATA : AREA_ASCII);
  verticalScrollBar()->setValue(0);
  d->Relayout();
}

void CAppCtrlEditDump::GetData(std::vector<std::uint8_t>& bytes) const { bytes = d->data.Bytes(); }

int CAppCtrlEditDump::GetData(unsigned char* bytes, int count) const {
  if (bytes == nullptr || count <= 0) return 0;
  const std::size_t copied = std::min(static_cast<std::size_t>(count), d->data.Size());
  std::copy_n(d->data.Bytes().begin(), copied, bytes);
  return static_cast<int>(copied);
}

int CAppCtrlEditDump::GetDataLength() const { return static_cast<int>(d->data.Size()); }

void CAppCtrlEditDump::SetMaxLength(unsigned max) {
  d->data.SetMaxLength(max);
  d->Relayout();
}

void CAppCtrlEditDump::SetMinLength(unsigned min) {
  d->data.SetMinLength(min == kNoMinimum ? -1L : static_cast<long>(min));
  d->Relayout();
}

// --- Display ------------------------------------------------------------------

void CAppCtrlEditDump::SetBase(int base) {
  if (base >= BASE_BINARY && base <= BASE_DECIMAL) d->ChangeWordFormat([&] { ChangeBase(d->format, base); });
}

int CAppCtrlEditDump::GetBase() const { return d->format.base; }

void CAppCtrlEditDump::SetFormat(int format) {
  if (format >= FORMAT_8 && format <= FORMAT_ONE_BIT) d->ChangeWordFormat([&] { ChangeFormat(d->format, format); });
}

int CAppCtrlEditDump::GetFormat() const { return d->format.format; }

void CAppCtrlEditDump::SetTypeAffichage(int order) {
  d->format.motorola = order == 1;
  d->Relayout();
}

int CAppCtrlEditDump::GetTypeAffichage() const { return d->format.motorola ? 1 : 0; }

void CAppCtrlEditDump::SetSigne(bool isSigned) {
  d->format.isSigned = isSigned;
  d->Relayout();
}

bool CAppCtrlEditDump::GetSigne() const { return d->format.isSigned; }

void CAppCtrlEditDump::SetBPR(int bytesPerRow) {
  if (bytesPerRow < 1 || bytesPerRow > 16 || !std::has_single_bit(static_cast<unsigned>(bytesPerRow))) return;
  d->options.bytesPerRow = bytesPerRow;
  d->Relayout();
}

int CAppCtrlEditDump::GetBPR() const { return d->options.bytesPerRow; }

void CAppCtrlEditDump::SetOptions(bool address, bool data, bool ascii, bool fourEight) {
  d->options.address = address;
  d->options.data = data;
  d->options.ascii = ascii;
  d->options.fourEight = fourEight;
  d->Relayout();
}

void CAppCtrlEditDump::GetOptions(bool& address, bool& data, bool& ascii, bool& fourEight) const {
  address = d->options.address;
  data = d->options.data;
  ascii = d->options.ascii;
  fourEight = d->options.fourEight;
}

void CAppCtrlEditDump::ShowAddress(bool show) { SetOptions(show, d->options.data, d->options.ascii, d->options.fourEight); }
void CAppCtrlEditDump::ShowData(bool show) { SetOptions(d->options.address, show, d->options.ascii, d->options.fourEight); }
void CAppCtrlEditDump::ShowAscii(bool show) { SetOptions(d->options.address, d->options.data, show, d->options.fourEight); }
void CAppCtrlEditDump::ShowAddressWidth(bool eight) { SetOptions(d->options.address, d->options.data, d->options.ascii, eight); }
bool CAppCtrlEditDump::IsShownAddress() const { return d->options.address; }
bool CAppCtrlEditDump::IsShownData() const { return d->options.data; }
bool CAppCtrlEditDump::IsShownAscii() const { return d->options.ascii; }
bool CAppCtrlEditDump::IsShownAddressWidth() const { return d->options.fourEight; }

void CAppCtrlEditDump::SetSpaceChar(char space) {
  d->format.space = space;
  viewport()->update();
}

char CAppCtrlEditDump::GetSpaceChar() const { return d->format.space; }

void CAppCtrlEditDump::SetHexaFormat(bool prefix) {
  d->format.hexPrefix = prefix;
  d->Relayout();
}

void CAppCtrlEditDump::SetOffsetAdresse(unsigned offset) {
  d->options.addressOffset = offset;
  d->Relayout();
}

void CAppCtrlEditDump::SetExclusiveMode(bool exclusive) { d->exclusive = exclusive; }

// --- Options word ---------------------------------------------------------------

void CAppCtrlEditDump::SetOptionsWord(std::uint32_t visible, std::uint32_t current, char space) {
  for (const AppDump::Option& option : AppDump::kOptions) {
    if (option.command != 0) d->menu->SetVisible(option.command, (visible & option.bit) != 0);
  }

  if ((current & OPT_BASE_BINARY) != 0) {
    SetBase(BASE_BINARY);
  } else if ((current & OPT_BASE_HEXA) != 0) {
    SetBase(BASE_HEXA);
  } else if ((current & OPT_BASE_DECIMAL) != 0) {
    SetBase(BASE_DECIMAL);
    SetSigne((current & OPT_SIGNED) != 0);
  }
  if ((current & OPT_INTEL) != 0) SetTypeAffichage(0);
  else if ((current & OPT_MOTOROLA) != 0) SetTypeAffichage(1);
  for (unsigned i = 0; i < kBytesPerRowChoices; ++i) {
    if ((current & (OPT_BPR_1 >> i)) != 0) {
      SetBPR(1 << i);
      break;
    }
  }
  SetOptions((current & OPT_ADDRESS) != 0, (current & OPT_DATA) != 0, (current & OPT_ASCII) != 0,
             (current & OPT_FOUR_EIGHT) != 0);

  if ((visible & OPT_SPACE) != 0) SetSpaceChar(space);
  if ((visible & OPT_HIDE_ALL) != 0) RemoveAllItems();
  if ((visible & OPT_HIDE_CLIPBOARD) != 0) RemoveClipboardItems();
}

void CAppCtrlEditDump::GetOptionsWord(std::uint32_t& options) const {
  constexpr std::uint32_t baseBits[] = {OPT_BASE_BINARY, OPT_BASE_HEXA, OPT_BASE_DECIMAL};
  std::uint32_t word = baseBits[d->format.base];
  if (d->format.base == BASE_DECIMAL && d->format.isSigned) word |= OPT_SIGNED;
  word |= d->format.motorola ? OPT_MOTOROLA : OPT_INTEL;
  word |= OPT_BPR_1 >> RowChoice(d->options.bytesPerRow);
  if (d->options.address) word |= OPT_ADDRESS;
  if (d->options.data) word |= OPT_DATA;
  if (d->options.ascii) word |= OPT_ASCII;
  if (d->options.fourEight) word |= OPT_FOUR_EIGHT;
  if (word != 0) options = word;
}

// --- Edits ----------------------------------------------------------------------

bool CAppCtrlEditDump::IsReadOnly() const {
  return d->readOnly || (d->data.MaxLength() == 0 && d->data.MinLength() == 0);
}

void CAppCtrlEditDump::MySetReadOnly(bool readOnly) {
  d->readOnly = readOnly;
  viewport()->update();
}

void CAppCtrlEditDump::Undo() {
  if (IsReadOnly() || !d->data.CanUndo()) return;
  const std::size_t offset = d->data.Undo();
  d->cursor.Place(d->MakeGrid(), static_cast<long>(offset / static_cast<std::size_t>(d->BytesPerWord())), d->cursor.Area());
  d->DataEdited(d->cursor.Word(), true);
}

void CAppCtrlEditDump::Copy() {
  if (!d->cursor.HasSelection()) return;
  const auto [offset, count] = d->SelectedRange();
  const auto first = d->data.Bytes().begin() + static_cast<std::ptrdiff_t>(offset);
  d->clipboard.assign(first, first + static_cast<std::ptrdiff_t>(count));
  QGuiApplication::clipboard()->setText(QString::fromStdString(CAppTools::Dump(d->clipboard, "%02X ")));
}

void CAppCtrlEditDump::Cut() {
  if (IsReadOnly() || !d->cursor.HasSelection()) return;
  Copy();
  Clear();
}

void CAppCtrlEditDump::Clear() {
  if (IsReadOnly() || !d->cursor.HasSelection()) return;
  const auto [offset, count] = d->SelectedRange();
  d->cursor.ClearSelection();
  d->RemoveBytes(offset, count);
}

void CAppCtrlEditDump::Paste() {
  if (IsReadOnly() || d->clipboard.empty()) return;
  std::size_t offset = std::min(d->WordOffset(d->cursor.Word()), d->data.Size());
  std::size_t count = 0;
  if (d->cursor.HasSelection()) std::tie(offset, count) = d->SelectedRange();
  const std::size_t room = d->data.Room() + count;
  const std::size_t taken = std::min(room, d->clipboard.size());
  if (taken == 0 && count == 0) return;
  const std::vector<std::uint8_t> insert(d->clipboard.begin(), d->clipboard.begin() + static_cast<std::ptrdiff_t>(taken));
  d->data.Replace(offset, count, insert);
  const std::size_t bytesPerWord = static_cast<std::size_t>(d->BytesPerWord());
  d->cursor.Place(d->MakeGrid(), static_cast<long>((offset + taken + bytesPerWord - 1) / bytesPerWord), d->cursor.Area());
  d->DataEdited(d->cursor.Word(), true);
}

void CAppCtrlEditDump::SelectAll() {
  d->cursor.SelectAll(d->MakeGrid());
  d->ShowCaret();
}

bool CAppCtrlEditDump::CanUndo() const { return d->data.CanUndo(); }

void CAppCtrlEditDump::GetSelection(long& first, long& last) const {
  first = d->cursor.First();
  last = d->cursor.Last();
}

void CAppCtrlEditDump::SetSelection(long first, long last) {
  const AppDump::Grid grid = d->MakeGrid();
  if (first < 0 || first > last) {
    d->cursor.ClearSelection();
  } else {
    d->cursor.Place(grid, last + 1, d->cursor.Area());
    d->cursor.ExtendFrom(grid, first);
  }
  d->ShowCaret();
}

void CAppCtrlEditDump::GetCaret(long& word, int& position, int& area) const {
  word = d->cursor.Word();
  position = d->cursor.Position();
  area = d->cursor.Area();
}

void CAppCtrlEditDump::OnCommand(unsigned command) {
  switch (command) {
    case ID_BASE_BINARY: case ID_BASE_HEXA: case ID_BASE_DECIMAL: return SetBase(static_cast<int>(command - ID_BASE_BINARY));
    case ID_INTEL: return SetTypeAffichage(0);
    case ID_MOTOROLA: return SetTypeAffichage(1);
    case ID_SIGNED: return SetSigne(true);
    case ID_UNSIGNED: return SetSigne(false);
    case ID_FORMAT_8: return SetFormat(FORMAT_8);
    case ID_FORMAT_16: return SetFormat(FORMAT_16);
    case ID_FORMAT_32: return SetFormat(FORMAT_32);
    case ID_FORMAT_ONE_BIT: return SetFormat(FORMAT_ONE_BIT);
    case ID_FORMAT_BIT_BY_BIT: return SetFormat(FORMAT_BIT_BY_BIT);
    case ID_BPR_1: case ID_BPR_2: case ID_BPR_4: case ID_BPR_8: case ID_BPR_16:
      return SetBPR(1 << (command - ID_BPR_1));
    case ID_VIEW_ADDRESS: return ShowAddress(!d->options.address);
    case ID_VIEW_DATA: return ShowData(!d->options.data);
    case ID_VIEW_ASCII: return ShowAscii(!d->options.ascii);
    case ID_VIEW_FOUR_EIGHT: return ShowAddressWidth(!d->options.fourEight);
    case ID_EDIT_UNDO: return Undo();
    case ID_EDIT_CUT: return Cut();
    case ID_EDIT_COPY: return Copy();
    case ID_EDIT_PASTE: return Paste();
    case ID_EDIT_CLEAR: return Clear();
    case ID_EDIT_SELECT_ALL: return SelectAll();
    default: return;
  }
}

// --- Menu ---------------------------------------------------------------------

void CAppCtrlEditDump::PopupMenu() {
  const QRect caret = d->view.CaretRect(d->cursor, verticalScrollBar()->value(), horizontalScrollBar()->value());
  d->menu->Get()->popup(viewport()->mapToGlobal(caret.bottomLeft()));
}

void CAppCtrlEditDump::SetMenuVisible(unsigned command, bool show) { d->menu->SetVisible(command, show); }
void CAppCtrlEditDump::RemoveAllItems() { d->menu->RemoveAllItems(); }
void CAppCtrlEditDump::RemoveClipboardItems() { d->menu->RemoveClipboardItems(); }

// --- Other ----------------------------------------------------------------------

void CAppCtrlEditDump::SetOnChangeType(int type) { d->changeType = type; }
int CAppCtrlEditDump::GetOnChangeType() const { return d->changeType; }

// --- Events ---------------------------------------------------------------------

bool CAppCtrlEditDump::event(QEvent* event) {
  if (CAppMessageEvent* message = AppMessageEventCast(event)) {
    if (message->GetMessage() == AppWindowMessage::ReadOnly) MySetReadOnly(message->GetWParam() != 0);
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        (key->modifiers() & Qt::ControlModifier) == 0) {
      d->TabKey(key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier) == 0);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void CAppCtrlEditDump::keyPressEvent(QKeyEvent* event) {
  if (d->MoveKey(event)) return;
  if ((event->modifiers() & Qt::ControlModifier) != 0) {
    if (!d->ControlKey(event)) event->ignore();
    return;
  }
  switch (event->key()) {
    case Qt::Key_Insert: d->InsertWord(); return;
    case Qt::Key_Delete: d->DeleteAtCaret(); return;
    case Qt::Key_Backspace: d->Backspace(); return;
    case Qt::Key_Escape: case Qt::Key_Return: case Qt::Key_Enter: event->ignore(); return;
    default: break;
  }
  const QString text = event->text();
  if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() > 0xFF) {
    event->ignore();
    return;
  }
  d->TypeChar(static_cast<char>(text[0].unicode()));
}

void CAppCtrlEditDump::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  Hit hit;
  if (!d->HitAt(event->position().toPoint(), hit)) return;
  const long anchor = (event->modifiers() & Qt::ShiftModifier) != 0 ? d->cursor.Word() : hit.word;
  d->cursor.PlaceAt(d->MakeGrid(), hit.word, hit.pos, hit.area);
  if (anchor != hit.word) d->cursor.ExtendFrom(d->MakeGrid(), anchor);
  d->dragAnchor = anchor;
  viewport()->update();
}

void CAppCtrlEditDump::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) == 0 || d->dragAnchor < 0) return;
  Hit hit;
  if (!d->HitAt(event->position().toPoint(), hit)) return;
  // Dragging selects whole words, the word under the mouse included.
  const long end = hit.word >= d->dragAnchor ? hit.word + 1 : hit.word;
  const long anchor = hit.word >= d->dragAnchor ? d->dragAnchor : d->dragAnchor + 1;
  d->cursor.PlaceAt(d->MakeGrid(), end, 0, d->cursor.Area());
  d->cursor.ExtendFrom(d->MakeGrid(), anchor);
  d->ShowCaret();
}

void CAppCtrlEditDump::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Keyboard) return PopupMenu();
  d->menu->Get()->popup(event->globalPos());
}

void CAppCtrlEditDump::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  PaintInput in;
  in.bytes = &d->data.Bytes();
  in.cursor = &d->cursor;
  in.firstRow = verticalScrollBar()->value();
  in.dirty = event->rect();
  in.xScroll = horizontalScrollBar()->value();
  in.focused = hasFocus();
  const QPalette& colours = palette();
  const bool grey = IsReadOnly() || !isEnabled();
  in.colours.background = colours.color(grey ? QPalette::Button : QPalette::Base);
  in.colours.text = grey ? colours.color(QPalette::Disabled, QPalette::Text) : colours.color(QPalette::Text);
  in.colours.highlight = colours.color(QPalette::Active, QPalette::Highlight);
  in.colours.highlightedText = colours.color(QPalette::Active, QPalette::HighlightedText);
  in.colours.shadow = colours.color(QPalette::Mid);
  d->view.Paint(painter, in);
}

QSize CAppCtrlEditDump::viewportSizeHint() const {
  constexpr int kRowsShown = 8;
  return QSize(d->view.Width(), kRowsShown * d->view.LineHeight());
}

QSize CAppCtrlEditDump::sizeHint() const {
  const int frame = 2 * frameWidth();
  return viewportSizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
}

void CAppCtrlEditDump::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  d->UpdateScrollBars();
}

void CAppCtrlEditDump::scrollContentsBy(int dx, int dy) {
  // The vertical bar counts rows, the horizontal one pixels.
  viewport()->scroll(dx, dy * d->view.LineHeight());
}

void CAppCtrlEditDump::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void CAppCtrlEditDump::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void CAppCtrlEditDump::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    d->view.SetFont(DumpFont());
    d->Relayout();
  }
  if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) viewport()->update();
}
