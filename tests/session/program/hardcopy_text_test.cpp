// The text a hardcopy writes of a text screen, the file name rules of the hardcopy dialog and
// the one-at-a-time flag.
#include "session/program/hardcopy_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "session/program/hardcopy_settings.h"
#include "session/program/text_cells.h"

namespace kovw::session::test {
namespace {

constexpr std::uint32_t kFrame = kResetAttribute | kAttrSemigraphics;

// A 5 x 3 grid: a box of line pieces around "Ä" (0xC4 in the ANSI code page).
std::vector<std::uint32_t> boxed_grid() {
  const std::string_view rows[] = {"U]]]V", "S\xC4 xT", "W]]]X"};
  std::vector<std::uint32_t> grid;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 5; ++column) {
      const auto c = static_cast<std::uint8_t>(rows[row][static_cast<std::size_t>(column)]);
      const bool edge = row != 1 || column == 0 || column == 4;
      grid.push_back(make_cell(edge ? kFrame : kResetAttribute, c));
    }
  }
  return grid;
}

TEST(HardcopyText, FramesUmlautsAndLineEndsByFormat) {
  const auto grid = boxed_grid();
  struct Case {
    int format;
    std::string expected;
  } cases[] = {
      {kHardcopyText, "+---+\r\n|\xC4 x|\r\n+---+\r\n"},
      {kHardcopyClipText, "+---+\n|\xC4 x|\n+---+\n"},
      {kHardcopyOemText, "\xDA\xC4\xC4\xC4\xBF\r\n\xB3\x8E x\xB3\r\n\xC0\xC4\xC4\xC4\xD9\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hardcopy_text(grid, 5, TextView{}, c.format), c.expected) << c.format;
  }
}

TEST(HardcopyText, LettersPToUnderscoreAreFramesOnlyWithTheSemigraphicsBit) {
  std::vector<std::uint32_t> grid;
  for (char c = 'P'; c <= '_'; ++c) grid.push_back(make_cell(kFrame, static_cast<std::uint8_t>(c)));
  for (char c = 'P'; c <= '_'; ++c)
    grid.push_back(make_cell(kResetAttribute, static_cast<std::uint8_t>(c)));
  EXPECT_EQ(hardcopy_text(grid, 16, TextView{}, kHardcopyText),
            "***||++++++++-|+\r\nPQRSTUVWXYZ[\\]^_\r\n");
  EXPECT_EQ(hardcopy_text(grid, 16, TextView{0, 0, 1, 16}, kHardcopyOemText),
            "\xDC\xDB\xDF\xB3\xB3\xDA\xBF\xC0\xD9\xC2\xB4\xC3\xC1\xC4\xB3\xC5\r\n");
}

TEST(HardcopyText, TakesTheVisibleViewOfAScrolledGrid) {
  // 4 x 4 grid of letters a..p; the view shows rows 1-2 and columns 2-3.
  std::vector<std::uint32_t> grid;
  for (int i = 0; i < 16; ++i)
    grid.push_back(make_cell(kResetAttribute, static_cast<std::uint8_t>('a' + i)));
  EXPECT_EQ(hardcopy_text(grid, 4, TextView{1, 2, 2, 2}, kHardcopyClipText), "gh\nkl\n");
  // A view reaching past the grid is cut at its edge.
  EXPECT_EQ(hardcopy_text(grid, 4, TextView{3, 3, 5, 5}, kHardcopyClipText), "p\n");
}

TEST(HardcopyText, AnsiToCodePage850) {
  EXPECT_EQ(ansi_to_oem('A'), 'A');
  EXPECT_EQ(ansi_to_oem(0xE4), 0x84);  // ä
  EXPECT_EQ(ansi_to_oem(0xDF), 0xE1);  // ß
  EXPECT_EQ(ansi_to_oem(0xDC), 0x9A);  // Ü
  EXPECT_EQ(ansi_to_oem(0x80), '?');   // the euro sign is not in 850
}

TEST(HardcopyFileNames, ExtensionRules) {
  // The dialog's start replaces any extension.
  EXPECT_EQ(with_format_extension("dir.x/a.doc", kHardcopyBmp), "dir.x/a.bmp");
  EXPECT_EQ(with_format_extension("dir.x/a", kHardcopyOemText), "dir.x/a.oem");
  EXPECT_EQ(with_format_extension("", kHardcopyText), "");
  // A format radio only changes a hardcopy extension.
  EXPECT_EQ(switch_extension("x.txt", kHardcopyBmp), "x.bmp");
  EXPECT_EQ(switch_extension("x.OEM", kHardcopyText), "x.txt");
  EXPECT_EQ(switch_extension("x.doc", kHardcopyBmp), "x.doc");
  EXPECT_EQ(switch_extension(".txt", kHardcopyBmp), ".txt");  // shorter than five characters
  // OK appends the extension when it differs.
  EXPECT_EQ(append_extension("x.doc", kHardcopyText), "x.doc.txt");
  EXPECT_EQ(append_extension("x.TXT", kHardcopyText), "x.TXT");
  EXPECT_EQ(append_extension("x", kHardcopyOemText), "x.oem");
}

TEST(HardcopyChoices, MessagesOfOk) {
  HardcopySettings s;
  s.output = kHardcopyFile;
  s.format = kHardcopyText;
  EXPECT_EQ(check_hardcopy_choices(s, false), 40271);
  s.file_name = "x.doc";
  EXPECT_EQ(check_hardcopy_choices(s, true), 40275);
  EXPECT_EQ(s.format, kHardcopyBmp);
  s.format = kHardcopyText;
  EXPECT_EQ(check_hardcopy_choices(s, false), 0);
  EXPECT_EQ(s.file_name, "x.doc.txt");
  s.output = kHardcopyPrint;
  EXPECT_EQ(check_hardcopy_choices(s, false), 40272);
  s.printer_name = "laser";
  EXPECT_EQ(check_hardcopy_choices(s, false), 0);
  s.output = kHardcopyClipboard;
  s.printer_name.clear();
  EXPECT_EQ(check_hardcopy_choices(s, true), 0);
}

TEST(HardcopyHeading, UserComputerDateAndTime) {
  EXPECT_EQ(hardcopy_heading("anna", "pc7", 3, 4, 2026, 5, 6, 7), "anna:pc7 03.04.2026 05:06:07");
  const std::string heading =
      hardcopy_heading(std::string(100, 'u'), std::string(100, 'c'), 1, 1, 2026, 0, 0, 0);
  EXPECT_EQ(heading, std::string(63, 'u') + ":" + std::string(64, 'c') + " 01.01.2026 00:00:00");
}

TEST(HardcopyActive, OneAtATime) {
  {
    HardcopyActive first;
    ASSERT_TRUE(first.owner());
    HardcopyActive second;
    EXPECT_FALSE(second.owner());
  }
  HardcopyActive again;
  EXPECT_TRUE(again.owner());
}

}  // namespace
}  // namespace kovw::session::test
