// The hex dump editor: a byte string shown as an address column, a data
// column of words (8, 16 or 32 bits, bit by bit or one bit per byte; binary,
// hexadecimal or decimal; Intel or Motorola byte order) and an ascii column,
// with its own caret and selection, one level of undo, an internal clipboard
// (the system clipboard receives the bytes as text, "0A 1B ") and a context
// menu through which the user changes the display.
//
// The control draws itself and paints only the rows in view, so an array of
// several megabytes costs what a page does. Lengths are enforced silently:
// typing, inserting and pasting stop at the maximum length, deleting stops at
// the minimum; invalid keys are ignored.
#pragma once

#include <QAbstractScrollArea>

#include <cstdint>
#include <memory>
#include <vector>

class QMenu;

class CAppCtrlEditDump : public QAbstractScrollArea {
  Q_OBJECT

public:
  // Context menu commands.
  enum : unsigned {
    ID_BASE_BINARY = 32773,
    ID_BASE_HEXA = 32774,
    ID_BASE_DECIMAL = 32775,
    ID_INTEL = 32776,
    ID_MOTOROLA = 32777,
    ID_SIGNED = 32778,
    ID_UNSIGNED = 32779,
    ID_FORMAT_8 = 32780,
    ID_FORMAT_16 = 32781,
    ID_FORMAT_32 = 32782,
    ID_FORMAT_ONE_BIT = 32783,
    ID_FORMAT_BIT_BY_BIT = 32784,
    ID_BPR_1 = 32785,
    ID_BPR_2 = 32786,
    ID_BPR_4 = 32787,
    ID_BPR_8 = 32788,
    ID_BPR_16 = 32789,
    ID_VIEW_ADDRESS = 32790,
    ID_VIEW_DATA = 32791,
    ID_VIEW_ASCII = 32792,
    ID_VIEW_FOUR_EIGHT = 32793,
    // The edit commands, numbered as the platform's edit control numbers them.
    ID_EDIT_CLEAR = 0xE120,
    ID_EDIT_COPY = 0xE122,
    ID_EDIT_CUT = 0xE123,
    ID_EDIT_PASTE = 0xE125,
    ID_EDIT_SELECT_ALL = 0xE12A,
    ID_EDIT_UNDO = 0xE12B,
  };

  // The display options word. One word says which commands the menu offers
  // (visible), another which choice is current; the current word is stored
  // in the array parameter, so these values are persisted data.
  enum : std::uint32_t {
    OPT_BASE_BINARY = 0x80000000u,
    OPT_BASE_FORMAT_2 = 0x40000000u,   // recorded, not displayed
    OPT_BASE_HEXA = 0x20000000u,
    OPT_BASE_DECIMAL = 0x10000000u,
    OPT_BASE_FORMAT_16 = 0x08000000u,  // recorded, not displayed
    OPT_SIGNED = 0x02000000u,
    OPT_UNSIGNED = 0x01000000u,        // menu only
    OPT_INTEL = 0x00800000u,
    OPT_MOTOROLA = 0x00400000u,
    OPT_BITS_8 = 0x00200000u,          // menu only
    OPT_BITS_16 = 0x00100000u,         // menu only
    OPT_BITS_32 = 0x00080000u,         // menu only
    OPT_ADDRESS = 0x00020000u,
    OPT_FOUR_EIGHT = 0x00010000u,
    OPT_DATA = 0x00008000u,
    OPT_ASCII = 0x00004000u,
    OPT_BPR_1 = 0x00002000u,
    OPT_BPR_2 = 0x00001000u,
    OPT_BPR_4 = 0x00000800u,
    OPT_BPR_8 = 0x00000400u,
    OPT_BPR_16 = 0x00000200u,
    OPT_SPACE = 0x00000100u,           // visible word only: a space character is given
    OPT_HIDE_ALL = 0x00000080u,        // visible word only: remove every menu item
    OPT_HIDE_CLIPBOARD = 0x00000040u,  // visible word only: remove the clipboard items
  };
  // The words of a profile that names none of the option keys: every
  // default choice offered, and the first of each list current.
  static constexpr std::uint32_t kDefaultVisibleOptions =
      OPT_BASE_DECIMAL | OPT_BASE_BINARY | OPT_BASE_FORMAT_2 | OPT_BASE_HEXA | OPT_BITS_8 | OPT_BITS_16 |
      OPT_BITS_32 | OPT_INTEL | OPT_MOTOROLA | OPT_DATA | OPT_ADDRESS | OPT_ASCII | OPT_FOUR_EIGHT | OPT_BPR_8 |
      OPT_BPR_1 | OPT_BPR_2 | OPT_BPR_4 | OPT_BPR_16;
  static constexpr std::uint32_t kDefaultCurrentOptions =
      OPT_BASE_DECIMAL | OPT_BITS_8 | OPT_INTEL | OPT_DATA | OPT_BPR_8;

  // Caret areas.
  enum { AREA_ADDRESS = 0, AREA_ASCII = 1, AREA_DATA = 2 };

  // The integer is kept for the links, which pass 1; it changes nothing.
  explicit CAppCtrlEditDump(int mode = 1, QWidget* parent = nullptr);
  ~CAppCtrlEditDump() override;

  // --- Data -------------------------------------------------------------------
  // Cut to the maximum and padded to the minimum; clears the selection, drops
  // the undo step and puts the caret on the first word of the data column.
  void SetData(const std::vector<std::uint8_t>& bytes);
  // A null pointer or a negative count sets no bytes.
  void SetData(const unsigned char* bytes, int count);
  void GetData(std::vector<std::uint8_t>& bytes) const;
  // Copies at most `count` bytes; returns how many were copied.
  int GetData(unsigned char* bytes, int count) const;
  int GetDataLength() const;
  // A shorter maximum cuts the data; a longer minimum pads it with zeros.
  // The minimum 0xFFFFFFFF means none. Both 0 make the control read-only.
  void SetMaxLength(unsigned max);
  void SetMinLength(unsigned min);

  // --- Display ----------------------------------------------------------------
  // 0 binary, 1 hexadecimal, 2 decimal. Another base than binary while the
  // format shows single bits takes the format back to 8 bits.
  void SetBase(int base);
  int GetBase() const;
  // 0 8 bits, 1 16 bits, 2 32 bits, 3 bit by bit, 4 one bit; the two bit
  // formats force binary. The data is padded with zeros to whole words (up to
  // the maximum length).
  void SetFormat(int format);
  int GetFormat() const;
  // 0 Intel, 1 Motorola.
  void SetTypeAffichage(int order);
  int GetTypeAffichage() const;
  void SetSigne(bool isSigned);
  bool GetSigne() const;
  // 1, 2, 4, 8 or 16 bytes per row; any other value is ignored. A row always
  // holds at least one word.
  void SetBPR(int bytesPerRow);
  int GetBPR() const;
  void SetOptions(bool address, bool data, bool ascii, bool fourEight);
  void GetOptions(bool& address, bool& data, bool& ascii, bool& fourEight) const;
  void ShowAddress(bool show);
  void ShowData(bool show);
  void ShowAscii(bool show);
  // The "4/8" option: addresses of 8 hexadecimal digits instead of 4 (more
  // when the addresses need them).
  void ShowAddressWidth(bool eight);
  bool IsShownAddress() const;
  bool IsShownData() const;
  bool IsShownAscii() const;
  bool IsShownAddressWidth() const;
  // The character written between two words.
  void SetSpaceChar(char space);
  char GetSpaceChar() const;
  // "0x" before each hexadecimal 8-bit word.
  void SetHexaFormat(bool prefix);
  // The address shown for the first byte.
  void SetOffsetAdresse(unsigned offset);
  // In exclusive mode Tab and Shift+Tab never move the focus out of the
  // control; they only switch between its columns.
  void SetExclusiveMode(bool exclusive);

  // --- Options word -------------------------------------------------------------
  // Applies the two words: each command is offered when its bit is set in
  // `visible`; base, byte order, bytes per row and view options come from
  // `current`; visible bits 0x100, 0x80 and 0x40 give the space character and
  // remove every menu item or the clipboard items.
  void SetOptionsWord(std::uint32_t visible, std::uint32_t current, char space);
  // The current word of the present display; written to `options` only when
  // it is not 0.
  void GetOptionsWord(std::uint32_t& options) const;

  // --- Edit commands --------------------------------------------------------------
  void Undo();
  void Cut();
  void Copy();
  void Paste();
  void Clear();
  void SelectAll();
  bool CanUndo() const;
  // The selected words (first and last), -1 both when there is none.
  void GetSelection(long& first, long& last) const;
  // Selects the words first to last (read-only or not) and scrolls them into
  // view; first > last clears the selection.
  void SetSelection(long first, long last);
  // The caret: word, character of the word (byte of the word in the ascii
  // column) and area.
  void GetCaret(long& word, int& position, int& area) const;
  // Runs a menu command; unknown identifiers do nothing.
  void OnCommand(unsigned command);

  // --- Menu ---------------------------------------------------------------------
  // Opens the context menu at the caret.
  void PopupMenu();
  void SetMenuVisible(unsigned command, bool show);
  // Removes the base, byte order and signedness commands, the separator after
  // "Sélectionnez tout" and the three submenus.
  void RemoveAllItems();
  // Removes undo, cut, copy, paste, clear and select all with their separators.
  void RemoveClipboardItems();

  // --- Other --------------------------------------------------------------------
  // Also set by the "wmReadOnly" message; redraws.
  void MySetReadOnly(bool readOnly);
  // Read-only by MySetReadOnly, or because both lengths are 0.
  bool IsReadOnly() const;
  // The kind of the last change notification (AppCtrlOperation), kept for
  // the host.
  void SetOnChangeType(int type);
  int GetOnChangeType() const;
  // Room for whole rows: the viewport's hint with the frame and a vertical
  // scroll bar.
  QSize sizeHint() const override;

signals:
  // The user changed the bytes (typing, insert, delete, paste, cut, undo).
  void Changed();

protected:
  // Wide enough for a whole row, high enough for a few.
  QSize viewportSizeHint() const override;

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Moves what is drawn and paints only the rows that come into view.
  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  struct Impl;
  std::unique_ptr<Impl> d;
};
