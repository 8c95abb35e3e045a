#include "session/program/text_screen.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "session/program/text_runs.h"
#include "session/view/cursor_kinds.h"

namespace kovw::session {
namespace {

// "\x1b" followed by `rest`; keeps hex escapes from swallowing the sequence's letters.
std::string esc(std::string_view rest) {
  return std::string("\x1b") + std::string(rest);
}
std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct RecordingEffects : TextScreenEffects {
  std::vector<std::string> calls;
  void beep() override { calls.push_back("beep"); }
  void set_cursor_kind(int kind) override { calls.push_back("cursor " + std::to_string(kind)); }
  void request_hardcopy(int parameter) override {
    calls.push_back("hardcopy " + std::to_string(parameter));
  }
  void activate_context_menu() override { calls.push_back("menu"); }
  void set_item_state(int code, int state) override {
    calls.push_back("item " + std::to_string(code) + " " + std::to_string(state));
  }
  void grid_resized(int columns, int rows) override {
    calls.push_back("resized " + std::to_string(columns) + "x" + std::to_string(rows));
  }
  void view_changed() override { calls.push_back("view"); }
};

class TextScreenTest : public ::testing::Test {
 protected:
  void out(std::string_view s) {
    screen.output(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), effects);
  }
  std::string text(int row) const {
    std::string s;
    for (std::uint32_t c : screen.row_cells(row)) s.push_back(static_cast<char>(cell_character(c)));
    return s;
  }
  TextCursor at(int column, int row) const { return TextCursor{column, row}; }

  TextScreen screen{6, 3};
  RecordingEffects effects;
};

TEST_F(TextScreenTest, StartsBlankWithResetState) {
  EXPECT_EQ(6, screen.columns());
  EXPECT_EQ(3, screen.rows());
  for (int r = 0; r < 3; ++r) {
    for (std::uint32_t c : screen.row_cells(r)) EXPECT_EQ(kBlankCell, c);
  }
  EXPECT_EQ(kResetAttribute, screen.attribute());
  EXPECT_EQ((TextView{0, 0, 3, 6}), screen.view());
}

TEST_F(TextScreenTest, PrintableCharactersCarryTheCurrentAttribute) {
  out(esc("b") + "A" + esc("q") + "B");
  EXPECT_EQ(make_cell(0xF20000, 'A'), screen.cell(0, 0));
  EXPECT_EQ(make_cell(0x120000, 'B'), screen.cell(1, 0));
  EXPECT_EQ(at(2, 0), screen.cursor());
}

TEST_F(TextScreenTest, LastColumnWithoutAutoWrapIsOverwritten) {
  out("abcdefXYZ");
  EXPECT_EQ("abcdeZ", text(0));
  EXPECT_EQ(at(5, 0), screen.cursor());
}

TEST_F(TextScreenTest, AutoWrapContinuesOnTheNextRowAndScrollsOnTheLast) {
  out(esc("H") + "abcdefgh");
  EXPECT_EQ("abcdef", text(0));
  EXPECT_EQ("gh    ", text(1));
  EXPECT_EQ(at(2, 1), screen.cursor());
  out(esc("F") + bytes({0, 2}) + "uvwxyz");
  EXPECT_EQ("gh    ", text(0));
  EXPECT_EQ("uvwxyz", text(1));
  EXPECT_EQ("      ", text(2));
  EXPECT_EQ(at(0, 2), screen.cursor());
}

TEST_F(TextScreenTest, LineFeedOnTheLastRowScrollsWithTheCurrentAttribute) {
  out("one\r\ntwo\r\nsix");
  screen.take_update();
  // Foreground 1, background 2, reverse; TAB and ESC "$" 1 set one-shot bits that must not
  // spread over the new row.
  out(esc("a") + esc("r") + esc("2") + "\t" + esc("$") + "\x01" + "\n");
  EXPECT_EQ("two   ", text(0));
  EXPECT_EQ("six   ", text(1));
  for (std::uint32_t c : screen.row_cells(2)) EXPECT_EQ(make_cell(0x210002, ' '), c);
  EXPECT_EQ(at(3, 2), screen.cursor());
  EXPECT_EQ(1, screen.take_update().scrolled);
}

TEST_F(TextScreenTest, FormFeedBlanksTheGridAndKeepsTheCursor) {
  out(esc("b") + "abc\r\nde");
  out("\f");
  for (int r = 0; r < 3; ++r) {
    for (std::uint32_t c : screen.row_cells(r)) EXPECT_EQ(kBlankCell, c);
  }
  EXPECT_EQ(at(2, 1), screen.cursor());
  EXPECT_EQ(0xF20000u, screen.attribute());
  out(esc("F") + bytes({1, 0}) + "x" + esc("E"));
  EXPECT_EQ("      ", text(0));
}

struct CursorCase {
  friend void PrintTo(const CursorCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string input;
  TextCursor expected;
};

class TextCursorTest : public TextScreenTest, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(TextCursorTest, MovesTheCursor) {
  out(GetParam().input);
  EXPECT_EQ(GetParam().expected, screen.cursor()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCursorTest,
    ::testing::Values(
        CursorCase{"carriage return", "abc\r", {0, 0}}, CursorCase{"backspace", "abc\b", {2, 0}},
        CursorCase{"backspace at column 0", "\b", {0, 0}},
        CursorCase{"line feed keeps the column", "ab\n", {2, 1}},
        CursorCase{"byte 25 is a new line", "ab\x19", {0, 1}},
        CursorCase{"ESC A up", esc("F") + bytes({2, 2}) + esc("A"), {2, 1}},
        CursorCase{"ESC A on row 0", esc("A"), {0, 0}}, CursorCase{"ESC B down", esc("B"), {0, 1}},
        CursorCase{"ESC B on the last row", esc("F") + bytes({1, 2}) + esc("B"), {1, 2}},
        // ESC C compares the column with the row count less one (3 rows: 2): left beyond it.
        CursorCase{"ESC C at column 0", esc("C"), {0, 0}},
        CursorCase{"ESC C at the row count less one", "ab" + esc("C"), {2, 0}},
        CursorCase{"ESC C beyond the row count less one", "abc" + esc("C"), {2, 0}},
        CursorCase{"ESC C in the last column", esc("F") + bytes({5, 1}) + esc("C"), {4, 1}},
        CursorCase{"ESC D left", "ab" + esc("D"), {1, 0}},
        CursorCase{"ESC D at column 0", esc("D"), {0, 0}},
        CursorCase{"ESC F", esc("F") + bytes({4, 1}), {4, 1}},
        CursorCase{"ESC F clamps both", esc("F") + bytes({200, 255}), {5, 2}},
        CursorCase{"ESC G home", "abc\n" + esc("G"), {0, 0}},
        CursorCase{"ESC N and O", esc("F") + bytes({3, 1}) + esc("N") + "\r\n" + esc("O"), {3, 1}},
        CursorCase{"ESC O on an empty stack", "ab" + esc("O"), {2, 0}},
        CursorCase{"unknown escape consumes one byte", esc("^") + "x", {1, 0}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(TextScreenTest, TabSetsTheFieldStartForTheNextCharacterOnly) {
  out("a\tbc");
  EXPECT_EQ(kResetAttribute, cell_attribute(screen.cell(0, 0)));
  EXPECT_EQ(kResetAttribute | kAttrFieldStart, cell_attribute(screen.cell(1, 0)));
  EXPECT_EQ(kResetAttribute, cell_attribute(screen.cell(2, 0)));
  EXPECT_EQ(kResetAttribute, screen.attribute());
}

struct AttributeCase {
  friend void PrintTo(const AttributeCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::uint32_t before;
  std::string sequence;
  std::uint32_t after;
};

class TextAttributeTest : public TextScreenTest,
                          public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(TextAttributeTest, SetsTheAttribute) {
  const AttributeCase& c = GetParam();
  // Reach the starting attribute through the stream itself.
  out(esc("0"));
  std::string setup;
  setup += esc(std::string(1, static_cast<char>('0' + (c.before & 0xF))));
  setup += esc(std::string(1, static_cast<char>('`' + attribute_foreground(c.before))));
  setup += esc(std::string(1, static_cast<char>('p' + attribute_background(c.before))));
  if (c.before & kAttrSemigraphics) setup += esc("T");
  if (c.before & kAttrRaised) setup += esc("Y");
  if (c.before & kAttrSunken) setup += esc("Z");
  if (c.before & kAttrDropDown) setup += esc("$") + "\x01";
  if (c.before & kAttrMore) setup += esc("$") + "\x03";
  if (c.before & kAttrAlignMask)
    setup += esc("#") + bytes({'0' + attribute_alignment(c.before), 0});
  out(setup);
  ASSERT_EQ(c.before, screen.attribute()) << c.name;
  out(c.sequence);
  EXPECT_EQ(c.after, screen.attribute()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextAttributeTest,
    ::testing::Values(AttributeCase{"display bits", 0xFE0000, esc("7"), 0xFE0007},
                      AttributeCase{"display bits replace", 0xFE0005, esc(":"), 0xFE000A},
                      AttributeCase{"question mark", 0xFE0000, esc("?"), 0xFE000F},
                      AttributeCase{"zero clears elements", 0xFE20F3, esc("0"), 0xFE0010},
                      AttributeCase{"one keeps elements", 0xFE0060, esc("1"), 0xFE0061},
                      AttributeCase{"foreground", 0xFE0000, esc("c"), 0xF30000},
                      AttributeCase{"foreground o", 0x120000, esc("o"), 0x1F0000},
                      AttributeCase{"background", 0xFE0000, esc("q"), 0x1E0000},
                      AttributeCase{"background DEL", 0x000000, bytes({27, 127}), 0xF00000},
                      AttributeCase{"align right", 0xFE0000, esc("#2x"), 0xFE0A00},
                      AttributeCase{"align decimal point", 0xFE0000, esc("#5 "), 0xFE0D00},
                      AttributeCase{"align trimmed", 0xFE0000, esc("#6 "), 0xFE0E00},
                      AttributeCase{"align cleared", 0xFE0B00, esc("#0x"), 0xFE0800},
                      AttributeCase{"align 7 ignored", 0xFE0000, esc("#7x"), 0xFE0000},
                      AttributeCase{"semigraphics on", 0xFE0000, esc("T"), 0xFE0010},
                      AttributeCase{"semigraphics off", 0xFE0010, esc("S"), 0xFE0000},
                      AttributeCase{"raised", 0xFE0000, esc("Y"), 0xFE0020},
                      AttributeCase{"raised and sunken", 0xFE0020, esc("Z"), 0xFE0060},
                      AttributeCase{"neither", 0xFE0060, esc("["), 0xFE0000},
                      AttributeCase{"drop-down one-shot", 0xFE0000, esc("$") + "\x01", 0xFE0080},
                      AttributeCase{"more one-shot", 0xFE0000, esc("$") + "\x03", 0xFE2000}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(TextScreenTest, OneShotBitsAreClearedAfterACharacter) {
  out(esc("Z") + esc("#3 ") + esc("$") + "\x01" + esc("$") + "\x03" + "ab");
  EXPECT_EQ(kResetAttribute | kAttrSunken | 0x300 | kAttrFieldStart | kAttrDropDown | kAttrMore,
            cell_attribute(screen.cell(0, 0)));
  EXPECT_EQ(kResetAttribute | kAttrSunken | 0x300, cell_attribute(screen.cell(1, 0)));
  EXPECT_EQ(kResetAttribute | kAttrSunken | 0x300, screen.attribute());
}

TEST_F(TextScreenTest, ButtonOnTheCellUnderTheCursorKeepsCharacterAndColours) {
  out(esc("a") + "xyz" + esc("D") + esc("b") + esc("Z") + esc("3"));
  out(esc("$") + bytes({0}));  // f = 0: drop-down button onto the cell under the cursor
  EXPECT_EQ(at(2, 0), screen.cursor());
  EXPECT_EQ(make_cell(0xF10000 | kAttrSunken | 3 | kAttrDropDown, 'z'), screen.cell(2, 0));
}

TEST_F(TextScreenTest, MoreButtonOnTheCellUnderTheCursor) {
  out("q" + esc("D") + esc("Y") + esc("$") + "\x02");
  EXPECT_EQ(make_cell(kResetAttribute | kAttrRaised | kAttrMore, 'q'), screen.cell(0, 0));
  EXPECT_EQ(at(0, 0), screen.cursor());
  EXPECT_EQ(kResetAttribute | kAttrRaised, screen.attribute());
}

TEST_F(TextScreenTest, ModesSwitchOnAndOff) {
  out(esc("H") + esc("Q") + esc("W"));
  EXPECT_TRUE(screen.auto_wrap());
  EXPECT_TRUE(screen.insert_mode());
  EXPECT_TRUE(screen.caret_hidden());
  out(esc("I") + esc("R") + esc("X"));
  EXPECT_FALSE(screen.auto_wrap());
  EXPECT_FALSE(screen.insert_mode());
  EXPECT_FALSE(screen.caret_hidden());
}

TEST_F(TextScreenTest, InsertModeShiftsTheRestOfTheRow) {
  out("abcdef\r" + esc("Q") + "XY");
  EXPECT_EQ("XYabcd", text(0));
  // In the last column nothing is shifted: the cell is overwritten.
  out(esc("F") + bytes({5, 0}) + "Z");
  EXPECT_EQ("XYabcZ", text(0));
}

TEST_F(TextScreenTest, ClearsAndRowOperations) {
  const std::string fill = "abcdef\r\nghijkl\r\nmnopqr";
  out(fill + esc("F") + bytes({2, 1}) + esc("K"));
  EXPECT_EQ("gh    ", text(1));
  EXPECT_EQ("mnopqr", text(2));

  out("\f" + esc("G") + fill + esc("F") + bytes({4, 0}) + esc("J"));
  EXPECT_EQ("abcd  ", text(0));
  EXPECT_EQ("      ", text(1));
  EXPECT_EQ("      ", text(2));

  out("\f" + esc("G") + fill + esc("F") + bytes({3, 1}) + esc("L"));
  EXPECT_EQ("abcdef", text(0));
  EXPECT_EQ("      ", text(1));
  EXPECT_EQ("ghijkl", text(2));
  EXPECT_EQ(at(3, 1), screen.cursor());

  out(esc("M"));
  EXPECT_EQ("ghijkl", text(1));
  EXPECT_EQ("      ", text(2));
  out(esc("F") + bytes({0, 2}) + "zz" + esc("M") + esc("L"));
  EXPECT_EQ("      ", text(2));
}

struct CellShiftCase {
  friend void PrintTo(const CellShiftCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int column;
  std::string sequence;
  std::string expected;
};

class TextCellShiftTest : public TextScreenTest,
                          public ::testing::WithParamInterface<CellShiftCase> {};

TEST_P(TextCellShiftTest, ShiftsCellsWithinTheRow) {
  const CellShiftCase& c = GetParam();
  out("abcdef\r\nghijkl" + esc("F") + bytes({c.column, 0}) + c.sequence);
  EXPECT_EQ(c.expected, text(0)) << c.name;
  EXPECT_EQ("ghijkl", text(1)) << c.name;
  EXPECT_EQ(at(c.column, 0), screen.cursor()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCellShiftTest,
    ::testing::Values(CellShiftCase{"insert 2", 1, esc("U") + "\x02", "a  bcd"},
                      CellShiftCase{"insert 0", 1, esc("U") + bytes({0}), "abcdef"},
                      CellShiftCase{"insert to the end", 2, esc("U") + "\x04", "ab    "},
                      CellShiftCase{"insert beyond the end", 2, esc("U") + "\xff", "ab    "},
                      CellShiftCase{"delete 2", 1, esc("V") + "\x02", "adef  "},
                      CellShiftCase{"delete beyond the end", 3, esc("V") + "\xc8", "abc   "},
                      CellShiftCase{"delete in the last column", 5, esc("V") + "\x07", "abcde "}));

TEST_F(TextScreenTest, SavedCursorStackHoldsTwelvePositions) {
  for (int i = 0; i < 13; ++i) out(esc("F") + bytes({i % 6, i % 3}) + esc("N"));
  EXPECT_EQ(kSavedCursorLimit, screen.saved_cursor_count());
  // The thirteenth push was ignored: the top is the twelfth position (i = 11).
  out(esc("O"));
  EXPECT_EQ(at(5, 2), screen.cursor());
  for (int i = 0; i < 11; ++i) out(esc("O"));
  EXPECT_EQ(at(0, 0), screen.cursor());
  EXPECT_EQ(0, screen.saved_cursor_count());
  out(esc("F") + bytes({4, 1}) + esc("O"));
  EXPECT_EQ(at(4, 1), screen.cursor());
}

TEST_F(TextScreenTest, ResetClearsEverything) {
  out(esc("H") + esc("Q") + esc("W") + esc("N") + esc("b") + esc("T") + "abc\r\nd");
  out(esc("P"));
  EXPECT_FALSE(screen.auto_wrap());
  EXPECT_FALSE(screen.insert_mode());
  EXPECT_FALSE(screen.caret_hidden());
  EXPECT_EQ(0, screen.saved_cursor_count());
  EXPECT_EQ(at(0, 0), screen.cursor());
  EXPECT_EQ(kResetAttribute, screen.attribute());
  EXPECT_EQ("      ", text(0));
  EXPECT_TRUE(screen.take_update().everything);
}

TEST_F(TextScreenTest, EffectsOfTheStream) {
  out("\a" + esc("%1") + esc("%2") + esc("%x") + esc("*") + esc("+") + esc("\\") + esc("]") +
      bytes({0x59, 0x9C, 2}));
  EXPECT_EQ((std::vector<std::string>{"beep", "cursor 3", "cursor 2", "cursor 1", "hardcopy 0",
                                      "hardcopy 1", "menu", "item 40025 2"}),
            effects.calls);
  screen.take_update();
  out(esc("_"));
  EXPECT_TRUE(screen.take_update().everything);
}

TEST_F(TextScreenTest, CursorAddressingUsesTwoBytesAbove256) {
  TextScreen wide(300, 10);
  auto send = [&](const std::string& s) {
    wide.output(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), effects);
  };
  send(esc("F") + bytes({1, 2, 7}) + "x");
  EXPECT_EQ((TextCursor{259, 7}), wide.cursor());
  EXPECT_EQ('x', cell_character(wide.cell(258, 7)));
  send(esc("F") + bytes({9, 0, 200}));
  EXPECT_EQ((TextCursor{299, 9}), wide.cursor());

  TextScreen tall(10, 400);
  tall.output(std::span(reinterpret_cast<const std::uint8_t*>("\x1b"
                                                              "F\x03\x01\x2c"),
                        5),
              effects);
  EXPECT_EQ((TextCursor{3, 300}), tall.cursor());

  // Exactly 256 columns still take one byte; 257 rows take two.
  TextScreen edge(256, 257);
  edge.output(std::span(reinterpret_cast<const std::uint8_t*>("\x1b"
                                                              "F\xff\x01\x00"),
                        5),
              effects);
  EXPECT_EQ((TextCursor{255, 256}), edge.cursor());
}

std::string size_command(char s, int n, int m) {
  return esc("@") + std::string(1, s) + bytes({n >> 8, n & 0xFF, m >> 8, m & 0xFF});
}

TEST_F(TextScreenTest, ScreenSizeWithTheSameSizeKeepsTheContents) {
  out(esc("H") + esc("b") + "abc" + esc("N"));
  screen.take_update();
  out(size_command('A', 6, 3));
  EXPECT_EQ("abc   ", text(0));
  EXPECT_EQ(at(3, 0), screen.cursor());
  EXPECT_TRUE(screen.auto_wrap());
  EXPECT_TRUE(effects.calls.empty());
  EXPECT_TRUE(screen.take_update().everything);
}

TEST_F(TextScreenTest, ScreenSizeResizesAndResets) {
  out(esc("H") + esc("b") + "abc" + esc("N") + size_command('B', 2, 2));
  out(size_command('A', 80, 25));
  EXPECT_EQ(80, screen.columns());
  EXPECT_EQ(25, screen.rows());
  EXPECT_EQ(kBlankCell, screen.cell(0, 0));
  EXPECT_EQ(kBlankCell, screen.cell(79, 24));
  EXPECT_EQ(at(0, 0), screen.cursor());
  EXPECT_FALSE(screen.auto_wrap());
  EXPECT_EQ(0, screen.saved_cursor_count());
  EXPECT_EQ(kResetAttribute, screen.attribute());
  EXPECT_EQ((TextView{0, 0, 25, 80}), screen.view());
  EXPECT_EQ("resized 80x25", effects.calls.back());
  const TextUpdate update = screen.take_update();
  EXPECT_TRUE(update.everything);
  EXPECT_EQ(25u, update.rows.size());
  EXPECT_EQ(80u, update.rows[24].cells.size());
}

TEST_F(TextScreenTest, ScreenSizeIsBounded) {
  out(size_command('A', 0, 0));
  EXPECT_EQ(1, screen.columns());
  EXPECT_EQ(1, screen.rows());
  out("xy");
  EXPECT_EQ('y', cell_character(screen.cell(0, 0)));
  out("\n" + esc("C") + esc("F") + bytes({9, 9}));
  EXPECT_EQ(at(0, 0), screen.cursor());
  out(size_command('A', 65535, 65535));
  EXPECT_EQ(kTextMaxColumns, screen.columns());
  EXPECT_EQ(kTextMaxRows, screen.rows());
  EXPECT_EQ(static_cast<std::size_t>(kTextMaxColumns), screen.row_cells(kTextMaxRows - 1).size());
}

TEST_F(TextScreenTest, ScreenSizeSetsTheView) {
  out(size_command('B', 4, 2));
  EXPECT_EQ((TextView{0, 0, 2, 4}), screen.view());
  out(size_command('C', 3, 1));
  EXPECT_EQ((TextView{1, 3, 2, 4}), screen.view());
  out(size_command('C', 6, 3));  // outside the grid
  EXPECT_EQ((TextView{0, 0, 2, 4}), screen.view());
  out(size_command('B', 0, 9));  // 0 and beyond the grid: the whole grid
  EXPECT_EQ((TextView{0, 0, 3, 6}), screen.view());
  EXPECT_EQ((std::vector<std::string>{"view", "view", "view", "view"}), effects.calls);
  screen.take_update();
  out(size_command('Z', 1, 1));
  EXPECT_TRUE(screen.take_update().everything);
  EXPECT_EQ((TextView{0, 0, 3, 6}), screen.view());
}

TEST_F(TextScreenTest, FrameCharacterTurnsTheRowIntoFieldsOnLineFeed) {
  TextScreen wide(20, 2);
  const std::string s = esc("#8=") + esc("b") + "==Name==ab  cd ef\n";
  wide.output(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), effects);
  std::string row;
  for (std::uint32_t c : wide.row_cells(0)) row.push_back(static_cast<char>(cell_character(c)));
  EXPECT_EQ("  Name  ab  cd ef   ", row);
  const std::uint32_t text_attribute = 0xF20000;
  const std::uint32_t frame = text_attribute | 1 << kAttrAlignShift;
  const std::vector<std::uint32_t> expected_attributes = {frame | kAttrFieldStart,
                                                          frame,
                                                          text_attribute | kAttrFieldStart,
                                                          text_attribute,
                                                          text_attribute,
                                                          text_attribute,
                                                          frame | kAttrFieldStart,
                                                          frame,
                                                          text_attribute | kAttrFieldStart,
                                                          text_attribute,
                                                          text_attribute,
                                                          text_attribute,
                                                          text_attribute | kAttrFieldStart,
                                                          text_attribute,
                                                          text_attribute,
                                                          text_attribute,
                                                          text_attribute,
                                                          kResetAttribute,
                                                          kResetAttribute,
                                                          kResetAttribute};
  for (int c = 0; c < 20; ++c) {
    EXPECT_EQ(expected_attributes[c], cell_attribute(wide.cell(c, 0))) << "column " << c;
  }
  EXPECT_EQ('=', wide.frame_character());
  EXPECT_EQ((TextCursor{17, 1}), wide.cursor());
}

TEST_F(TextScreenTest, FrameCharacterOutsideOneTo127DoesNothing) {
  out(esc("#8") + bytes({200}) + bytes({200, 200}) + "\n");
  EXPECT_EQ(kResetAttribute, cell_attribute(screen.cell(0, 0)));
  out(esc("#8") + bytes({0}) + "\r\n==\n");
  EXPECT_EQ('=', cell_character(screen.cell(0, 1)));
}

TEST_F(TextScreenTest, UpdatesCarryChangedRowsOnce) {
  screen.take_update();
  EXPECT_FALSE(screen.has_changes());
  out(esc("F") + bytes({3, 1}) + "ab" + esc("F") + bytes({1, 1}) + "c");
  EXPECT_TRUE(screen.has_changes());
  TextUpdate update = screen.take_update();
  EXPECT_FALSE(update.everything);
  ASSERT_EQ(1u, update.rows.size());
  EXPECT_EQ(1, update.rows[0].row);
  EXPECT_EQ(1, update.rows[0].first_column);
  EXPECT_EQ(4, update.rows[0].last_column);
  EXPECT_EQ(6u, update.rows[0].cells.size());
  EXPECT_EQ(make_cell(kResetAttribute, 'a'), update.rows[0].cells[3]);
  EXPECT_EQ(at(2, 1), update.cursor);
  EXPECT_FALSE(screen.has_changes());
  EXPECT_TRUE(screen.take_update().rows.empty());

  // Cursor and caret changes alone are changes too, without rows.
  out(esc("G") + esc("W"));
  EXPECT_TRUE(screen.has_changes());
  update = screen.take_update();
  EXPECT_TRUE(update.rows.empty());
  EXPECT_TRUE(update.caret_hidden);

  out(esc("F") + bytes({2, 0}) + esc("U") + "\x01");
  update = screen.take_update();
  ASSERT_EQ(1u, update.rows.size());
  EXPECT_EQ(2, update.rows[0].first_column);
  EXPECT_EQ(5, update.rows[0].last_column);

  out(esc("F") + bytes({2, 1}) + esc("M"));
  update = screen.take_update();
  ASSERT_EQ(2u, update.rows.size());
  EXPECT_EQ(1, update.rows[0].row);
  EXPECT_EQ(2, update.rows[1].row);

  // Two scrolls: a scroll count and the rows that scrolled in, not every row.
  out("\n\n\n");
  update = screen.take_update();
  EXPECT_FALSE(update.everything);
  EXPECT_EQ(2, update.scrolled);
  ASSERT_EQ(2u, update.rows.size());
  EXPECT_EQ(1, update.rows[0].row);
  EXPECT_EQ(2, update.rows[1].row);
  EXPECT_FALSE(screen.has_changes());
  EXPECT_EQ(0, screen.take_update().scrolled);

  // A snapshot holds every row and leaves the record alone.
  out("q");
  const TextUpdate all = screen.snapshot();
  EXPECT_TRUE(all.everything);
  ASSERT_EQ(3u, all.rows.size());
  EXPECT_EQ(make_cell(kResetAttribute, 'q'), all.rows[2].cells[2]);
  update = screen.take_update();
  ASSERT_EQ(1u, update.rows.size());
  EXPECT_EQ(2, update.rows[0].first_column);
}

// Every sequence with arguments, split at every position across two calls, does what it does in
// one call.
TEST_F(TextScreenTest, SequencesCutOffAtTheEndContinueInTheNextCall) {
  const std::vector<std::string> streams = {
      "ab" + esc("F") + bytes({4, 2}) + "x",
      esc("#2") + "y" + "n",
      esc("#8=") + "==a\n",
      esc("$") + "\x01" + "b",
      esc("%1") + "c",
      esc("U") + "\x02" + "d",
      "abc\r" + esc("V") + "\x01" + "e",
      esc("]") + bytes({1, 2, 3}) + "f",
      size_command('A', 5, 4) + "g",
      size_command('B', 3, 2) + "h",
      esc("H") + "abcdefgh",
      esc("a") + esc("z") + "i",
  };
  for (const std::string& stream : streams) {
    TextScreen whole(6, 3);
    RecordingEffects whole_effects;
    whole.output(std::span(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size()),
                 whole_effects);
    for (std::size_t split = 0; split <= stream.size(); ++split) {
      // A lone ESC at the end of a stream is dropped (tested below).
      if (split > 0 && stream[split - 1] == '\x1b') continue;
      TextScreen parts(6, 3);
      RecordingEffects parts_effects;
      const auto* data = reinterpret_cast<const std::uint8_t*>(stream.data());
      parts.output(std::span(data, split), parts_effects);
      parts.output(std::span(data + split, stream.size() - split), parts_effects);
      EXPECT_EQ(0u, parts.pending_escape_size());
      EXPECT_EQ(whole.columns(), parts.columns());
      for (int r = 0; r < whole.rows(); ++r) {
        const auto a = whole.row_cells(r);
        const auto b = parts.row_cells(r);
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()))
            << "stream " << &stream - streams.data() << " split " << split << " row " << r;
      }
      EXPECT_EQ(whole.cursor(), parts.cursor());
      EXPECT_EQ(whole.attribute(), parts.attribute());
      EXPECT_EQ(whole.view(), parts.view());
      EXPECT_EQ(whole_effects.calls, parts_effects.calls);
    }
  }
}

TEST_F(TextScreenTest, SequenceCutOffInsideTheArgumentsWaitsOverSeveralCalls) {
  out("a" + esc("F"));
  EXPECT_EQ(2u, screen.pending_escape_size());
  out(std::string(1, '\x03'));
  EXPECT_EQ(3u, screen.pending_escape_size());
  EXPECT_EQ(at(1, 0), screen.cursor());
  out(std::string_view("\x02z", 2));
  EXPECT_EQ(0u, screen.pending_escape_size());
  EXPECT_EQ('z', cell_character(screen.cell(3, 2)));
  out("");
  EXPECT_EQ(at(4, 2), screen.cursor());
}

// A lone ESC at the end of a stream is dropped: the next stream starts afresh, also when it
// starts with a byte that would have been an escape code.
TEST_F(TextScreenTest, LoneEscapeAtTheEndOfAStreamIsDropped) {
  out("abc" + esc(""));
  EXPECT_EQ(0u, screen.pending_escape_size());
  out("Hi");
  EXPECT_EQ("abcHi ", text(0));
  out("\r" + esc(""));
  out("F" + bytes({1, 1}));
  EXPECT_EQ("F" + bytes({1, 1}) + "Hi ", text(0));
  EXPECT_EQ(at(3, 0), screen.cursor());
}

// Scrolls move the damage recorded before them with the rows; once the grid has scrolled by
// all its rows the update redraws everything.
TEST_F(TextScreenTest, ScrollsAreCountedWithTheDamageMovingAlong) {
  out("\n\n");
  screen.take_update();
  out(esc("F") + bytes({1, 2}) + "x\n");
  TextUpdate update = screen.take_update();
  EXPECT_EQ(1, update.scrolled);
  ASSERT_EQ(2u, update.rows.size());
  EXPECT_EQ(1, update.rows[0].row);  // the row with "x", moved up by one
  EXPECT_EQ(1, update.rows[0].first_column);
  EXPECT_EQ(1, update.rows[0].last_column);
  EXPECT_EQ(make_cell(kResetAttribute, 'x'), update.rows[0].cells[1]);
  EXPECT_EQ(2, update.rows[1].row);
  EXPECT_EQ(0, update.rows[1].first_column);
  EXPECT_EQ(5, update.rows[1].last_column);

  out("\n\n\n");
  update = screen.take_update();
  EXPECT_TRUE(update.everything);
  EXPECT_EQ(0, update.scrolled);
  EXPECT_EQ(3u, update.rows.size());

  // A scroll after a full redraw was recorded is part of that redraw.
  out("\f\n\n\n");
  update = screen.take_update();
  EXPECT_TRUE(update.everything);
  EXPECT_EQ(0, update.scrolled);
}

// --- Runs ---------------------------------------------------------------------------------

struct RunCase {
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::vector<std::uint32_t> attributes;  // one per cell
  std::vector<TextRun> expected;
};

class TextRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(TextRunTest, CutsTheRow) {
  std::vector<std::uint32_t> cells;
  for (std::uint32_t a : GetParam().attributes) cells.push_back(make_cell(a, 'x'));
  EXPECT_EQ(GetParam().expected, cut_runs(cells)) << GetParam().name;
}

constexpr std::uint32_t R = kResetAttribute;
constexpr std::uint32_t FS = kAttrFieldStart;
constexpr std::uint32_t SK = kAttrSunken;

INSTANTIATE_TEST_SUITE_P(
    Cases, TextRunTest,
    ::testing::Values(
        RunCase{"empty row", {}, {}}, RunCase{"one attribute", {R, R, R}, {{0, 3, R}}},
        RunCase{"colour change", {R, R, 0x120000, 0x120000}, {{0, 2, R}, {2, 2, 0x120000}}},
        RunCase{"bit 12 ignored", {R, R | kAttrBit12, R}, {{0, 3, R}}},
        RunCase{"field start begins a run",
                {R, R | FS, R, R | FS},
                {{0, 1, R}, {1, 2, R | FS}, {3, 1, R | FS}}},
        RunCase{"field start on the first cell", {R | FS, R}, {{0, 2, R | FS}}},
        RunCase{"element spans attribute changes",
                {R, R | SK | FS, 0x120000 | SK, R | SK | 0x300, R},
                {{0, 1, R}, {1, 3, R | SK | FS}, {4, 1, R}}},
        RunCase{"element ends at a field start",
                {R | SK, R | SK, R | kAttrRaised | FS, R | kAttrRaised},
                {{0, 2, R | SK}, {2, 2, R | kAttrRaised | FS}}},
        RunCase{"button cell ends its run",
                {R | SK | FS, R | SK, R | SK | kAttrDropDown, R | SK, R | SK},
                {{0, 3, R | SK | FS | kAttrDropDown}, {3, 2, R | SK}}},
        RunCase{"more button alone",
                {R, R | kAttrMore, R | kAttrMore},
                {{0, 1, R}, {1, 1, R | kAttrMore}, {2, 1, R | kAttrMore}}},
        RunCase{"button after plain cells",
                {R, R | kAttrDropDown, R},
                {{0, 1, R}, {1, 1, R | kAttrDropDown}, {2, 1, R}}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace kovw::session
