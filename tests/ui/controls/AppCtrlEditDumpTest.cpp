#include "appconfig/ui/AppCtrlEditDump.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "platform/AppDialogTemplate.h"
#include "platform/AppWindowMessages.h"

#include "../../core/TestSupport.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>

using Dump = CAppCtrlEditDump;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Keys(Dump& dump, const char* text) { QTest::keyClicks(&dump, text); }
void Key(Dump& dump, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(&dump, key, modifiers);
}

std::pair<long, long> Selection(const Dump& dump) {
  long first = 0;
  long last = 0;
  dump.GetSelection(first, last);
  return {first, last};
}

// The caret's word, or its area (data or ASCII) when `area` is set.
long Caret(const Dump& dump, bool area = false) {
  long word = 0;
  int pos = 0;
  int in = 0;
  dump.GetCaret(word, pos, in);
  return area ? in : word;
}

QAction* Command(Dump& dump, unsigned id) {
  for (QAction* action : dump.findChildren<QAction*>())
    if (action->data().toUInt() == id) return action;
  return nullptr;
}

// The menu's enabled states as they are just before it opens.
void PrepareMenu(Dump& dump) {
  QMenu* menu = dump.findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
}

class DumpTest : public testing::Test {
protected:
  void SetUp() override {
    dump.resize(520, 200);
    dump.show();
    dump.setFocus();
  }
  Dump dump;
};

}  // namespace

TEST_F(DumpTest, FormatChangePadsToWholeWords) {
  dump.SetData(Bytes{0x01, 0x02, 0x03});
  dump.SetFormat(1);
  EXPECT_EQ(DataOf(dump), (Bytes{0x01, 0x02, 0x03, 0x00}));
  dump.SetFormat(2);
  EXPECT_EQ(DataOf(dump), (Bytes{0x01, 0x02, 0x03, 0x00}));
  dump.SetData(Bytes{1, 2, 3, 4, 5});
  dump.SetMaxLength(6);
  dump.SetFormat(2);  // whole words would pass the maximum
  EXPECT_EQ(dump.GetDataLength(), 6);
}

TEST_F(DumpTest, BaseAndFormatRulesShowInTheMenuChecks) {
  // The rules themselves are the word format's; here the menu follows them.
  dump.SetBase(1);
  dump.SetFormat(4);
  EXPECT_TRUE(Command(dump, Dump::ID_BASE_BINARY)->isChecked());
  EXPECT_TRUE(Command(dump, Dump::ID_FORMAT_ONE_BIT)->isChecked());
  Command(dump, Dump::ID_BASE_HEXA)->trigger();
  EXPECT_EQ(dump.GetBase(), 1);
  EXPECT_TRUE(Command(dump, Dump::ID_FORMAT_8)->isChecked());
  EXPECT_FALSE(Command(dump, Dump::ID_FORMAT_ONE_BIT)->isChecked());
  Command(dump, Dump::ID_FORMAT_BIT_BY_BIT)->trigger();
  EXPECT_EQ(dump.GetFormat(), 3);
  Command(dump, Dump::ID_BPR_16)->trigger();
  EXPECT_EQ(dump.GetBPR(), 16);
  Command(dump, Dump::ID_VIEW_ASCII)->trigger();
  EXPECT_FALSE(dump.IsShownAscii());
  EXPECT_FALSE(Command(dump, Dump::ID_VIEW_ASCII)->isChecked());
}

TEST_F(DumpTest, SwitchingFormatKeepsTheSelectedBytes) {
  dump.SetData(Bytes{0, 1, 2, 3, 4, 5, 6, 7});
  Key(dump, Qt::Key_Right);
  Key(dump, Qt::Key_Right);  // second digit of word 0
  Key(dump, Qt::Key_Right);  // word 1
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Selection(dump), std::make_pair(1L, 2L));
  dump.SetFormat(1);  // bytes 1..2 lie in the 16-bit words 0..1
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 1L));
  dump.SetFormat(2);
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 0L));
  dump.SetFormat(0);
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 3L));
}

TEST_F(DumpTest, TypingWritesDigitsAndAppendsWords) {
  dump.SetData(Bytes{});
  Keys(dump, "1a2Bz");  // z is not a hexadecimal digit
  EXPECT_EQ(DataOf(dump), (Bytes{0x1A, 0x2B}));

  // Each base's digits are the word format's; here the caret's moves.
  dump.SetData(Bytes{0x00, 0x00});
  dump.SetFormat(1);
  dump.SetBase(2);
  Keys(dump, "1");  // typed on the sign, the digit goes to the first digit: +10000
  Key(dump, Qt::Key_Home);
  Keys(dump, "-");
  EXPECT_EQ(DataOf(dump), (Bytes{0xF0, 0xD8}));

  // A last word that runs past the end shows its missing byte as zero and is
  // completed when typed into.
  dump.SetFormat(1);
  dump.SetBase(1);
  dump.SetData(Bytes{0x01, 0x02, 0x03});
  Key(dump, Qt::Key_Home, Qt::ControlModifier);
  for (int i = 0; i < 4; ++i) Key(dump, Qt::Key_Right);
  Keys(dump, "A");
  EXPECT_EQ(DataOf(dump), (Bytes{0x01, 0x02, 0x03, 0xA0}));
}

TEST_F(DumpTest, MaximumLengthStopsInsertAndTypingAfterTheEnd) {
  dump.SetMaxLength(4);
  dump.SetData(Bytes{1, 2, 3, 4});
  Key(dump, Qt::Key_Insert);
  EXPECT_EQ(DataOf(dump), (Bytes{1, 2, 3, 4}));
  Key(dump, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Caret(dump), 4);
  Keys(dump, "FF");
  Key(dump, Qt::Key_Tab);
  Keys(dump, "A");
  EXPECT_EQ(DataOf(dump), (Bytes{1, 2, 3, 4}));
  EXPECT_FALSE(dump.CanUndo());

  dump.SetMaxLength(0);
  dump.SetMinLength(0);
  EXPECT_TRUE(dump.IsReadOnly());
}

TEST_F(DumpTest, MinimumLengthStopsDeleting) {
  dump.SetMinLength(2);
  dump.SetData(Bytes{1, 2, 3});
  Key(dump, Qt::Key_Delete);
  Key(dump, Qt::Key_Delete);
  EXPECT_EQ(DataOf(dump), (Bytes{2, 3}));
  dump.SetFormat(1);
  dump.SetMinLength(0xFFFFFFFFu);
  Key(dump, Qt::Key_Backspace);  // on the first word: nothing before it
  EXPECT_EQ(DataOf(dump), (Bytes{2, 3}));
}

// Every kind of edit leaves one undo step that brings the bytes back.
TEST_F(DumpTest, UndoAfterEachKindOfEdit) {
  const Bytes start = {0x10, 0x20, 0x30, 0x40};
  const std::pair<const char*, std::function<void()>> edits[] = {
      {"type", [&] { Keys(dump, "7"); }},
      {"type ascii", [&] { Key(dump, Qt::Key_Tab); Keys(dump, "A"); }},
      {"append", [&] { Key(dump, Qt::Key_End, Qt::ControlModifier); Keys(dump, "9"); }},
      {"insert", [&] { Key(dump, Qt::Key_Insert); }},
      {"delete", [&] { Key(dump, Qt::Key_Delete); }},
      {"backspace", [&] { Key(dump, Qt::Key_Right); Key(dump, Qt::Key_Right); Key(dump, Qt::Key_Backspace); }},
      {"cut", [&] { Key(dump, Qt::Key_Right, Qt::ShiftModifier); Key(dump, Qt::Key_X, Qt::ControlModifier); }},
      {"paste", [&] {
         Key(dump, Qt::Key_Right, Qt::ShiftModifier);
         Key(dump, Qt::Key_C, Qt::ControlModifier);
         Key(dump, Qt::Key_V, Qt::ControlModifier);  // over the selection: same bytes
         Key(dump, Qt::Key_V, Qt::ControlModifier);  // at the caret: inserted
       }},
  };
  for (const auto& [name, edit] : edits) {
    dump.SetData(start);
    edit();
    EXPECT_NE(DataOf(dump), start) << name;
    EXPECT_TRUE(dump.CanUndo()) << name;
    Key(dump, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(DataOf(dump), start) << name;
    EXPECT_FALSE(dump.CanUndo()) << name;
  }
}

TEST_F(DumpTest, CopyGivesTheSystemClipboardHexTextAndPasteRoundTrips) {
  dump.SetData(Bytes{0x0A, 0x1B, 0x2C});
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  Key(dump, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0A 1B "));

  // The internal clipboard is pasted, not the system one.
  QApplication::clipboard()->setText("FF FF");
  Key(dump, Qt::Key_End, Qt::ControlModifier);
  Key(dump, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(DataOf(dump), (Bytes{0x0A, 0x1B, 0x2C, 0x0A, 0x1B}));

  // Over a selection the pasted bytes replace it.
  Key(dump, Qt::Key_Home, Qt::ControlModifier);
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  Key(dump, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(DataOf(dump), (Bytes{0x0A, 0x1B, 0x1B, 0x2C, 0x0A, 0x1B}));

  // What would pass the maximum is cut.
  dump.SetMaxLength(7);
  Key(dump, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(DataOf(dump), (Bytes{0x0A, 0x1B, 0x0A, 0x1B, 0x2C, 0x0A, 0x1B}));

  // Cut is copy then clear, in 16-bit words.
  dump.SetMaxLength(100);
  dump.SetFormat(1);
  Key(dump, Qt::Key_Home, Qt::ControlModifier);
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  Key(dump, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0A 1B "));
  EXPECT_EQ(DataOf(dump), (Bytes{0x0A, 0x1B, 0x2C, 0x0A, 0x1B, 0x00}));
}

// Read-only (here by the window message) leaves only copy; the user's
// changes, not the program's, are signalled.
TEST_F(DumpTest, ReadOnlyOnlyCopiesAndUserChangesAreSignalled) {
  int changes = 0;
  QObject::connect(&dump, &Dump::Changed, [&] { ++changes; });
  dump.SetData(Bytes{1, 2, 3, 4});
  EXPECT_EQ(changes, 0);  // data from the program is no user change
  EXPECT_EQ(SendAppMessage(&dump, AppWindowMessage::ReadOnly, 1, 0), 0);
  EXPECT_TRUE(dump.IsReadOnly());
  Key(dump, Qt::Key_A, Qt::ControlModifier);
  Key(dump, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("01 02 03 04 "));
  Key(dump, Qt::Key_X, Qt::ControlModifier);
  Key(dump, Qt::Key_V, Qt::ControlModifier);
  Key(dump, Qt::Key_Delete);
  Key(dump, Qt::Key_Home, Qt::ControlModifier);
  Key(dump, Qt::Key_Insert);
  Keys(dump, "55");
  Key(dump, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DataOf(dump), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(changes, 0);
  PrepareMenu(dump);
  EXPECT_FALSE(Command(dump, Dump::ID_EDIT_PASTE)->isEnabled());
  EXPECT_FALSE(Command(dump, Dump::ID_EDIT_UNDO)->isEnabled());

  SendAppMessage(&dump, AppWindowMessage::ReadOnly, 0, 0);
  Keys(dump, "F");
  Key(dump, Qt::Key_Insert);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(DataOf(dump), (Bytes{0, 0xF1, 2, 3, 4}));  // the new word goes before the caret's
}

TEST_F(DumpTest, MenuEnablesFollowSelectionClipboardAndUndo) {
  dump.SetData(Bytes{1, 2, 3, 4});
  PrepareMenu(dump);
  for (const unsigned id : {Dump::ID_EDIT_UNDO, Dump::ID_EDIT_PASTE, Dump::ID_EDIT_COPY, Dump::ID_EDIT_CUT,
                            Dump::ID_EDIT_CLEAR})
    EXPECT_FALSE(Command(dump, id)->isEnabled()) << id;
  Key(dump, Qt::Key_Right, Qt::ShiftModifier);
  PrepareMenu(dump);
  Command(dump, Dump::ID_EDIT_COPY)->trigger();
  PrepareMenu(dump);
  for (const unsigned id : {Dump::ID_EDIT_PASTE, Dump::ID_EDIT_COPY, Dump::ID_EDIT_CUT, Dump::ID_EDIT_CLEAR})
    EXPECT_TRUE(Command(dump, id)->isEnabled()) << id;
  Command(dump, Dump::ID_EDIT_CLEAR)->trigger();
  EXPECT_EQ(DataOf(dump), (Bytes{2, 3, 4}));
  PrepareMenu(dump);
  EXPECT_TRUE(Command(dump, Dump::ID_EDIT_UNDO)->isEnabled());
}

TEST_F(DumpTest, CaretKeysMoveAndShiftSelects) {
  Bytes bytes(256);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  dump.SetData(bytes);  // 8 words a row, more rows than the window shows
  Key(dump, Qt::Key_Down);
  EXPECT_EQ(Caret(dump), 8);
  Key(dump, Qt::Key_End);
  EXPECT_EQ(Caret(dump), 15);
  Key(dump, Qt::Key_Home);
  EXPECT_EQ(Caret(dump), 8);
  Key(dump, Qt::Key_Up);
  EXPECT_EQ(Caret(dump), 0);
  Key(dump, Qt::Key_Left);
  EXPECT_EQ(Caret(dump), 0);
  Key(dump, Qt::Key_PageDown);
  const long page = Caret(dump);
  EXPECT_GT(page, 8);
  EXPECT_EQ(page % 8, 0);
  Key(dump, Qt::Key_PageUp);
  EXPECT_EQ(Caret(dump), 0);
  Key(dump, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Caret(dump), 256);
  EXPECT_EQ(dump.verticalScrollBar()->value(), dump.verticalScrollBar()->maximum());  // the caret's row in view
  EXPECT_GT(dump.verticalScrollBar()->maximum(), 0);

  Key(dump, Qt::Key_Home, Qt::ControlModifier);
  Key(dump, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 7L));
  Key(dump, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 15L));
  Key(dump, Qt::Key_Left);
  EXPECT_EQ(Selection(dump), std::make_pair(-1L, -1L));
  Key(dump, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Selection(dump), std::make_pair(0L, 255L));
}

TEST_F(DumpTest, TabSwitchesColumnsThenLeavesTheControl) {
  QWidget page;
  auto* layout = new QVBoxLayout(&page);
  auto* before = new QLineEdit(&page);
  auto* inPage = new Dump(1, &page);
  auto* after = new QLineEdit(&page);
  layout->addWidget(before);
  layout->addWidget(inPage);
  layout->addWidget(after);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  inPage->SetData(Bytes{0x41, 0x42});
  inPage->setFocus();
  QTest::keyClick(inPage, Qt::Key_Tab);
  EXPECT_EQ(Caret(*inPage, true), Dump::AREA_ASCII);
  EXPECT_TRUE(inPage->hasFocus());
  QTest::keyClicks(inPage, "z");
  EXPECT_EQ(DataOf(*inPage), (Bytes{'z', 0x42}));
  QTest::keyClick(inPage, Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());

  inPage->setFocus();
  QTest::keyClick(inPage, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Caret(*inPage, true), Dump::AREA_DATA);
  inPage->ShowAscii(false);
  inPage->SetExclusiveMode(true);
  QTest::keyClick(inPage, Qt::Key_Tab);
  EXPECT_TRUE(inPage->hasFocus());
}

TEST_F(DumpTest, OptionsWordRoundTripsAndDrivesTheMenu) {
  dump.SetOptionsWord(Dump::kDefaultVisibleOptions, Dump::kDefaultCurrentOptions, '-');
  EXPECT_EQ(dump.GetBase(), 2);
  EXPECT_FALSE(dump.GetSigne());
  EXPECT_EQ(dump.GetBPR(), 8);
  EXPECT_TRUE(dump.IsShownData());
  EXPECT_FALSE(dump.IsShownAddress());
  EXPECT_EQ(dump.GetSpaceChar(), ' ');  // no space bit in the visible word
  std::uint32_t options = 0;
  dump.GetOptionsWord(options);
  EXPECT_EQ(options, Dump::kDefaultCurrentOptions & ~Dump::OPT_BITS_8);  // the grouping bits are menu only
  EXPECT_FALSE(Command(dump, Dump::ID_SIGNED)->isVisible());

  const std::uint32_t current = Dump::OPT_BASE_DECIMAL | Dump::OPT_SIGNED | Dump::OPT_MOTOROLA | Dump::OPT_BPR_16 |
                                Dump::OPT_ADDRESS | Dump::OPT_ASCII | Dump::OPT_FOUR_EIGHT;
  dump.SetOptionsWord(Dump::OPT_BASE_HEXA | Dump::OPT_SPACE, current, ':');
  dump.GetOptionsWord(options);
  EXPECT_EQ(options, current);
  EXPECT_EQ(dump.GetSpaceChar(), ':');
  EXPECT_TRUE(Command(dump, Dump::ID_BASE_HEXA)->isVisible());
  EXPECT_FALSE(Command(dump, Dump::ID_BASE_BINARY)->isVisible());
  EXPECT_FALSE(Command(dump, Dump::ID_MOTOROLA)->isVisible());

  dump.SetOptionsWord(Dump::kDefaultVisibleOptions | Dump::OPT_HIDE_ALL | Dump::OPT_HIDE_CLIPBOARD,
                      Dump::kDefaultCurrentOptions, ' ');
  EXPECT_FALSE(Command(dump, Dump::ID_INTEL)->isVisible());
  EXPECT_FALSE(Command(dump, Dump::ID_EDIT_COPY)->isVisible());
  EXPECT_FALSE(qobject_cast<QMenu*>(Command(dump, Dump::ID_FORMAT_8)->parent())->menuAction()->isVisible());
  EXPECT_TRUE(Command(dump, Dump::ID_VIEW_DATA)->isVisible());
}

// A picture of every word size and base with a selection, for a reviewer:
// columns aligned, the caret visible.
TEST_F(DumpTest, Screenshots) {
  Bytes bytes(100);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 0x21);
  struct Shot {
    const char* name;
    int format;
    int base;
    int bytesPerRow;
  };
  const Shot shots[] = {
      {"8bit_hexa", 0, 1, 8},     {"8bit_binary", 0, 0, 4},    {"8bit_decimal", 0, 2, 8},
      {"16bit_hexa", 1, 1, 8},    {"16bit_binary", 1, 0, 4},   {"16bit_decimal", 1, 2, 8},
      {"32bit_hexa", 2, 1, 16},   {"32bit_binary", 2, 0, 8},   {"32bit_decimal", 2, 2, 16},
      {"bit_by_bit", 3, 0, 4},    {"one_bit", 4, 0, 16},
  };
  for (const Shot& shot : shots) {
    Dump view;
    view.SetOffsetAdresse(0x1000);
    view.SetData(bytes);
    view.SetFormat(shot.format);
    view.SetBase(shot.base);
    view.SetBPR(shot.bytesPerRow);
    view.resize(view.sizeHint());
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    const QFileInfo file(SaveScreenshot(view, shot.name));
    EXPECT_TRUE(file.exists()) << shot.name;
  }
}
