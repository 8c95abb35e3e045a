#include "print/print_interpreter.h"

#include <gtest/gtest.h>

#include <string>

#include "print/recording_device.h"

using namespace std::string_literals;

namespace kovw::print {
namespace {

using test::RecordingDevice;

const std::string ESC = "\x1b";
constexpr int kAscent = 83 * 8 / 10;  // Courier New 10 point at 600 dpi on the recorder
constexpr int kLine = 100;            // 120 decipoints at 600 dpi

struct Errors : PrintErrorSink {
  std::vector<PrintError> seen;
  void report(const PrintError& e) override { seen.push_back(e); }
  bool has(int message) const {
    for (const PrintError& e : seen)
      if (e.message == message) return true;
    return false;
  }
};

InterpretResult run(RecordingDevice& device, const std::string& stream, Errors* errors = nullptr,
                    PrintOptions options = {}) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
  return interpret_print_stream(device, {bytes, stream.size()}, options, errors);
}

TEST(PrintInterpreter, FiveLettersAndFormFeedMakeOnePageAtTheMarginCorner) {
  RecordingDevice d;
  const InterpretResult r = run(d, "ABCDE\f");
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(d.documents_started, 1);
  EXPECT_EQ(d.pages_started, 1);
  EXPECT_EQ(d.pages_ended, 1);
  EXPECT_EQ(d.documents_ended, 1);
  EXPECT_FALSE(d.aborted);
  ASSERT_EQ(d.texts.size(), 1u);
  EXPECT_EQ(d.texts[0].text, u"ABCDE");
  EXPECT_EQ(d.texts[0].x, 0);
  EXPECT_EQ(d.texts[0].y, kAscent);  // the top margin is the font ascent
}

TEST(PrintInterpreter, PagesStartWithTheFirstDrawingAndNoBlankPageTrails) {
  struct Case {
    std::string stream;
    int pages;
  } cases[] = {
      {"", 0},            // nothing drawn: no document at all
      {"\f", 1},          // a form feed alone prints an empty page
      {"\f\f", 2},        //
      {"A", 1},           // the last page is ended at the end of the job
      {"A\f", 1},         // no blank page after the form feed
      {"A\r\n\r\n", 1},   //
      {ESC + "720X", 0},  // positioning draws nothing
      {ESC + "1D", 0},    // nor does a page setting
  };
  for (const Case& c : cases) {
    RecordingDevice d;
    run(d, c.stream);
    EXPECT_EQ(d.pages_started, c.pages) << c.stream;
    EXPECT_EQ(d.pages_ended, c.pages) << c.stream;
    EXPECT_EQ(d.documents_started, c.pages > 0 ? 1 : 0) << c.stream;
  }
}

TEST(PrintInterpreter, HorizontalPositionsInDecipoints) {
  RecordingDevice d;
  run(d, ESC + "720XA" + ESC + "0X" + ESC + "+360XB" + ESC + "0X" + ESC + "720X" + ESC + "+360XC" +
             ESC + "-10000XD" + ESC + "1.5XE");
  ASSERT_EQ(d.texts.size(), 5u);
  EXPECT_EQ(d.texts[0].x, 600);  // 720 decipoints are one inch
  EXPECT_EQ(d.texts[1].x, 300);
  EXPECT_EQ(d.texts[2].x, 900);  // + moves on from where it was
  EXPECT_EQ(d.texts[3].x, 0);    // never left of the margin
  EXPECT_EQ(d.texts[4].x, 1);    // 1.5 decipoints at 600 dpi, rounded
}

TEST(PrintInterpreter, VerticalPositionsLinesAndColumns) {
  RecordingDevice d;
  run(d,
      ESC + "1440;720GA" + ESC + "3RB" + ESC + "+1R" + ESC + "10CC" + ESC + "360I" + ESC + "2CD");
  ASSERT_EQ(d.texts.size(), 4u);
  EXPECT_EQ(d.texts[0].x, 1200);
  EXPECT_EQ(d.texts[0].y, kAscent + 600);
  EXPECT_EQ(d.texts[1].y, kAscent + 3 * kLine);
  EXPECT_EQ(d.texts[2].y, kAscent + 4 * kLine);
  EXPECT_EQ(d.texts[2].x, 10 * 49);  // ten columns of the font's average width
  EXPECT_EQ(d.texts[3].x, 600);      // two columns of 360 decipoints
}

TEST(PrintInterpreter, PositionStackKeepsTenEntries) {
  RecordingDevice d;
  std::string stream;
  for (int i = 1; i <= 11; ++i) stream += ESC + std::to_string(i * 72) + "X" + ESC + "1S";
  for (int i = 0; i < 12; ++i) stream += ESC + "0S" + "P";
  const InterpretResult r = run(d, stream);
  EXPECT_FALSE(r.failed);
  ASSERT_EQ(d.texts.size(), 12u);
  // The eleventh push was ignored: the first pop returns the tenth position.
  EXPECT_EQ(d.texts[0].x, 600);
  EXPECT_EQ(d.texts[9].x, 60);
  // A pop on the empty stack leaves the position where the text left it.
  EXPECT_EQ(d.texts[10].x, 60 + 49);
}

TEST(PrintInterpreter, LineFeedsPastThePrintableHeightStartANewPageAtTheTopMargin) {
  RecordingDevice d;
  d.page.printable_height = 10 * kLine;  // ten lines fit
  std::string stream;
  for (int i = 0; i < 12; ++i) stream += "L" + std::to_string(i) + "\r\n";
  run(d, stream);
  EXPECT_EQ(d.pages_started, 2);
  ASSERT_EQ(d.texts.size(), 12u);
  EXPECT_EQ(d.texts[9].page, 1);
  EXPECT_EQ(d.texts[9].y, kAscent + 9 * kLine);
  EXPECT_EQ(d.texts[10].page, 2);
  EXPECT_EQ(d.texts[10].y, kAscent);  // back at the top margin
  EXPECT_EQ(d.texts[10].x, 0);
}

TEST(PrintInterpreter, AFullPageFollowedByTheEndLeavesNoBlankPage) {
  RecordingDevice d;
  d.page.printable_height = 10 * kLine;
  std::string stream;
  for (int i = 0; i < 10; ++i) stream += "line\r\n";
  run(d, stream);
  EXPECT_EQ(d.pages_started, 1);
  EXPECT_EQ(d.pages_ended, 1);
}

TEST(PrintInterpreter, TabStopsAreEightColumnsWhateverTheResolution) {
  for (int dpi : {300, 600, 1200}) {
    RecordingDevice d;
    d.page.dpi_x = d.page.dpi_y = dpi;
    run(d, "A\tB\t\tC");
    ASSERT_EQ(d.texts.size(), 3u);
    const int column = 100 * dpi / 720 * 6 / 10;  // the recorder's average width
    EXPECT_EQ(d.texts[1].x, 8 * column) << dpi;
    EXPECT_EQ(d.texts[2].x, 24 * column) << dpi;
  }
}

TEST(PrintInterpreter, BackspaceAndCarriageReturn) {
  RecordingDevice d;
  run(d, "AB\bC\rD");
  ASSERT_EQ(d.texts.size(), 3u);
  EXPECT_EQ(d.texts[1].x, 98 - 50);  // one advance (10 points / 1200 inch) back
  EXPECT_EQ(d.texts[2].x, 0);
}

TEST(PrintInterpreter, FontsFlagsFacesAndSizes) {
  RecordingDevice d;
  run(d, ESC + "1;2;12FA" + ESC + "+4FB" + ESC + "-1FC" + ESC +
             "0;\"Times New Roman kursiv\";;20FD" + ESC + "0;0;0;12FE" + ESC + ";;14;12FF");
  ASSERT_EQ(d.texts.size(), 6u);
  EXPECT_EQ(d.texts[0].font.face, "Arial");
  EXPECT_EQ(d.texts[0].font.size_tenths, 120);
  EXPECT_EQ(d.texts[0].font.flags, kFontBold);
  EXPECT_EQ(d.texts[1].font.flags, kFontBold | kFontUnderline);
  EXPECT_EQ(d.texts[2].font.flags, kFontUnderline);
  EXPECT_EQ(d.texts[3].font.face, "Times New Roman");
  EXPECT_EQ(d.texts[3].font.flags, kFontItalic);
  EXPECT_EQ(d.texts[3].font.size_tenths, 60);  // 20 characters per inch
  EXPECT_EQ(d.texts[4].font.face, "Courier New");
  EXPECT_EQ(d.texts[4].font.size_tenths, 100);  // size 0: 12 characters per inch, 10 points
  EXPECT_EQ(d.texts[5].font.size_tenths, 140);  // a size makes the pitch count for nothing
}

TEST(PrintInterpreter, TextIsAnsiAndTheSymbolFaceHasItsOwnCharacters) {
  RecordingDevice d;
  run(d, "\x80\xFC" + ESC + "0;3F" + "abp\xA5" + ESC + "0;0FA");
  ASSERT_EQ(d.texts.size(), 3u);
  EXPECT_EQ(d.texts[0].text, u"\u20AC\u00FC");
  EXPECT_EQ(d.texts[1].text, u"\u03B1\u03B2\u03C0\u221E");
  EXPECT_EQ(d.texts[2].text, u"A");
}

TEST(PrintInterpreter, PrintBoldMakesFontsWithoutBoldLight) {
  RecordingDevice d;
  PrintOptions options;
  options.print_bold = true;
  run(d, "A" + ESC + "1FB", nullptr, options);
  ASSERT_EQ(d.texts.size(), 2u);
  EXPECT_TRUE(d.texts[0].font.light);
  EXPECT_FALSE(d.texts[1].font.light);
}

TEST(PrintInterpreter, ZeroDivisorsAreRefused) {
  RecordingDevice d;
  const InterpretResult r = run(d, ESC + "0H" + ESC + "0L" + ESC + "0;0;0;0F" + "A\nB\bC");
  EXPECT_FALSE(r.failed);
  ASSERT_EQ(d.texts.size(), 3u);
  EXPECT_EQ(d.texts[1].y, kAscent + kLine);  // the line height stayed
  EXPECT_EQ(d.texts[0].font.size_tenths, 100);
}

TEST(PrintInterpreter, TextAttributesAndColours) {
  RecordingDevice d;
  run(d, ESC + "255;0;0cR" + ESC + "4cB" + ESC + "300cG" + ESC + "1;0;0hO" + ESC + "7h" + ESC +
             "64FH" + ESC + "128FI");
  ASSERT_EQ(d.texts.size(), 6u);
  EXPECT_EQ(d.texts[0].run.colour, 0xFF0000u);
  EXPECT_FALSE(d.texts[0].run.opaque);
  EXPECT_EQ(d.texts[1].run.colour, 0x0000FFu);
  EXPECT_EQ(d.texts[2].run.colour, 0x2C2C2Cu);  // 300: the grey of its low byte
  EXPECT_TRUE(d.texts[3].run.opaque);
  EXPECT_EQ(d.texts[3].run.background, 0x010000u);
  EXPECT_TRUE(d.texts[4].run.opaque);  // highlight
  EXPECT_EQ(d.texts[4].run.background, kDefaultHighlight);
  EXPECT_EQ(d.texts[5].run.colour, kWhite);  // inverse: swapped
  EXPECT_EQ(d.texts[5].run.background, 0x2C2C2Cu);
}

TEST(PrintInterpreter, CellModePlacesEachCharacterInItsCell) {
  RecordingDevice d;
  run(d, ESC + "60H" + ESC + "1&ABC" + ESC + "0&D");
  ASSERT_EQ(d.texts.size(), 2u);
  EXPECT_EQ(d.texts[0].run.cell_advance, 10);
  EXPECT_EQ(d.texts[1].x, 30);
}

TEST(PrintInterpreter, LinesRectanglesPathsAndArcs) {
  RecordingDevice d;
  run(d, ESC + "720;720m" + ESC + "3;2w" + ESC + "0;0;72;144l" + ESC + ";;0;0l" + ESC + "1e" + ESC +
             "0;0;720;720r" + ESC + "72;72;0s" + ESC + "144;72;1s" + ESC + "144;144;2s" + ESC +
             "0;0;3s" + ESC + "720;720;50;0;90;2a" + ESC + "0;0;10a");
  ASSERT_EQ(d.shapes.size(), 8u);
  EXPECT_EQ(d.shapes[0].kind, "line");
  EXPECT_EQ(d.shapes[0].a, 600);  // the margin origin
  EXPECT_EQ(d.shapes[0].d, 600 + 120);
  EXPECT_EQ(d.shapes[0].pen.width, 6);  // 3/300 inch
  EXPECT_EQ(d.shapes[0].pen.style, PenStyle::Dash);
  EXPECT_EQ(d.shapes[1].a, 600 + 60);  // an absent start is the current position
  EXPECT_EQ(d.shapes[1].b, 600 + 120);
  EXPECT_EQ(d.shapes[2].kind, "rect");
  EXPECT_EQ(d.shapes[2].b, 600 - kAscent);              // on the text baseline
  EXPECT_EQ(d.shapes[2].brush.kind, BrushKind::Solid);  // the solid black fill of the reset
  EXPECT_EQ(d.shapes[5].kind, "line");                  // back to the path's start
  EXPECT_EQ(d.shapes[5].c, 660);
  EXPECT_EQ(d.shapes[5].d, 660);
  EXPECT_EQ(d.shapes[6].kind, "pie");
  EXPECT_EQ(d.shapes[6].c, 50);              // radius in pixels
  EXPECT_EQ(d.shapes[6].d, 0);               // start angle
  EXPECT_EQ(d.shapes[6].image_width, 9000);  // end angle in hundredths of a degree
  EXPECT_EQ(d.shapes[7].kind, "circle");
}

TEST(PrintInterpreter, FillPatterns) {
  struct Case {
    std::string commands;
    BrushKind kind;
    Rgb colour;
  } cases[] = {
      {ESC + "9v", BrushKind::Solid, kWhite},  // pattern 9 with black: white
      {ESC + "7g" + ESC + "9v", BrushKind::None, 0},
      {ESC + "0v", BrushKind::Solid, 0xF5F5F5},
      {ESC + "255;0;0g" + ESC + "5v", BrushKind::Solid, 0xC80000},
      {ESC + "1g" + ESC + "18v", BrushKind::Hatch, 0xFF0000},
      {ESC + "-1v", BrushKind::None, 0},
      {ESC + "v", BrushKind::None, 0},
      {ESC + "22v", BrushKind::Solid, kWhite},
      {ESC + "40v", BrushKind::Solid, kBlack},  // unchanged
  };
  for (const Case& c : cases) {
    RecordingDevice d;
    run(d, c.commands + ESC + "0;0;10;10r");
    ASSERT_EQ(d.shapes.size(), 1u);
    EXPECT_EQ(d.shapes[0].brush.kind, c.kind) << c.commands.substr(1);
    if (c.kind != BrushKind::None) {
      EXPECT_EQ(d.shapes[0].brush.colour, c.colour) << c.commands.substr(1);
    }
  }
}

std::string bitmap_rows(int compression, const std::string& rows) {
  return ESC + "8;4;300;0b" + ESC + std::to_string(compression) + "k" + rows + ESC + "99k";
}

TEST(PrintInterpreter, BitmapsInEveryCompression) {
  struct Case {
    const char* name;
    std::string stream;
    std::vector<std::uint8_t> rows;  // the first byte of each of the 4 rows
  } cases[] = {
      {"none",
       bitmap_rows(0, ESC + "0;1d\xF0" + ESC + "0;1;2d\x0F" + ESC + "0;0d"),
       {0xF0, 0x0F, 0x0F, 0x00}},
      {"packbits",
       bitmap_rows(1, ESC + "0;2d\xFD\xAA" + ESC + "0;3d\x00\x55\x77"s),
       {0xAA, 0x55, 0, 0}},
      {"delta",
       bitmap_rows(2, ESC + "0;2d\x00\x81"s + ESC + "0;0d" + ESC + "0;3d\x21\x11\x22"),
       {0x81, 0x00, 0x00, 0}},
      {"repeat",
       ESC + "8;4;300;0b" + ESC + "0k" + ESC + "0;1d\x3C" + ESC + "3k" + ESC + "0;2d" + ESC + "99k",
       {0x3C, 0x3C, 0x3C, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDevice d;
    Errors errors;
    run(d, c.stream, &errors);
    EXPECT_TRUE(errors.seen.empty());
    ASSERT_EQ(d.shapes.size(), 1u);
    const auto& b = d.shapes[0];
    EXPECT_EQ(b.kind, "bitmap");
    EXPECT_EQ(b.c, 16);  // 8 pixels at 300 dpi on 600 dpi
    EXPECT_EQ(b.d, 8);
    for (std::size_t row = 0; row < c.rows.size(); ++row) {
      const std::uint8_t got = row * 4 < b.pixels.size() ? b.pixels[row * 4] : 0;
      EXPECT_EQ(got, c.rows[row]) << "row " << row;
    }
  }
}

TEST(PrintInterpreter, DeltaRowChangesBytesAtOffsets) {
  std::vector<std::uint8_t> row(40, 0x11);
  // Two bytes at offset 1; then one byte 31 + 255 + 3 = 289 further (past the row: dropped);
  const std::uint8_t coded[] = {0x21, 0xAA, 0xBB, 0x1F, 0x02, 0xCC, 0x1F, 0xFF, 0x03, 0xDD};
  decode_delta_row(coded, row);
  EXPECT_EQ(row[0], 0x11);
  EXPECT_EQ(row[1], 0xAA);
  EXPECT_EQ(row[2], 0xBB);
  EXPECT_EQ(row[3 + 33], 0xCC);
  EXPECT_EQ(row[37], 0x11);
}

TEST(PrintInterpreter, BitmapRowsAreBoundedByTheirLength) {
  RecordingDevice d;
  // A PackBits row that decodes to 200 bytes for a row of 4, and raw bytes past the row.
  run(d, bitmap_rows(1, ESC + "0;2d\x81\xFF" + ESC + "0;1;10d\x80") + ESC + "8;1;300;0b" + ESC +
             "0;9dABCDEFGHI" + ESC + "99kZ");
  ASSERT_EQ(d.shapes.size(), 2u);
  EXPECT_EQ(d.shapes[0].pixels.size(), 16u);  // four rows; repeats past the height dropped
  EXPECT_EQ(d.shapes[0].pixels[0], 0xFF);
  EXPECT_EQ(d.shapes[1].pixels.size(), 4u);
  EXPECT_EQ(d.all_text(), "Z");  // the stream went on after the nine bytes
}

TEST(PrintInterpreter, BitmapErrorsAreReportedAndTheJobGoesOn) {
  RecordingDevice d;
  Errors errors;
  const InterpretResult r =
      run(d,
          ESC + "8;1;300;0b" + ESC + "8;1;300;0b" + ESC + "7k" + ESC + "0;2dxx" + ESC + "99k" +
              ESC + "8;1;300;2b" + ESC + "99kA" + ESC + "8;1;0;0b" + ESC + "99kB",
          &errors);
  EXPECT_FALSE(r.failed);
  EXPECT_TRUE(errors.has(40320));  // a second bitmap while one is active
  EXPECT_TRUE(errors.has(40323));  // compression 7
  EXPECT_EQ(d.all_text(), "AB");
  // The first is drawn, the sixteen-bit and the resolution-0 ones are not.
  ASSERT_EQ(d.shapes.size(), 1u);
}

TEST(PrintInterpreter, CountsAreBoundedByTheBytesLeft) {
  RecordingDevice d;
  Errors errors;
  const InterpretResult r = run(d, "A" + ESC + "8;1;300;0b" + ESC + "0;99999999d\x01\x02", &errors);
  EXPECT_FALSE(r.failed);
  EXPECT_TRUE(errors.has(40321));
  EXPECT_EQ(d.pages_ended, 1);
}

TEST(PrintInterpreter, PaletteEntries) {
  RecordingDevice d;
  run(d, ESC + "2;1;300;1b" + ESC + "255;0;0;1p" + ESC + "0;4d\x01\x00\x00\x00"s + ESC + "99k");
  ASSERT_EQ(d.shapes.size(), 1u);
  ASSERT_EQ(d.shapes[0].palette.size(), 256u);
  EXPECT_EQ(d.shapes[0].palette[1], 0xFF0000u);
  EXPECT_EQ(d.shapes[0].palette[2], 0x020202u);  // grey ramp where the host set nothing
  EXPECT_EQ(d.shapes[0].bits, 8);
}

std::string overlay(int slot, const std::string& content) {
  return ESC + std::to_string(slot) + ";1;" + std::to_string(content.size()) + "o" + content;
}

TEST(PrintInterpreter, OverlaysArePlayedOnEveryPageFromTheNextOn) {
  RecordingDevice d;
  run(d, "P1" + overlay(0, ESC + "1;2F" + ESC + "720;720GOV") + ESC + "0;3o\fP2\fP3" + ESC +
             "0;4o\fP4");
  std::vector<std::pair<int, std::u16string>> seen;
  for (const auto& t : d.texts) seen.emplace_back(t.page, t.text);
  const std::vector<std::pair<int, std::u16string>> expected = {{1, u"P1"}, {2, u"OV"}, {2, u"P2"},
                                                                {3, u"OV"}, {3, u"P3"}, {4, u"P4"}};
  EXPECT_EQ(seen, expected);
  // The overlay's font and position did not stay.
  EXPECT_EQ(d.texts[2].font.face, "Courier New");
  EXPECT_EQ(d.texts[2].x, 0);
}

TEST(PrintInterpreter, AnOverlayNeverRecursesNorEndsPages) {
  RecordingDevice d;
  Errors errors;
  // The overlay tries to activate itself, write into a slot and end its page.
  const std::string inner = "OV" + ESC + "0;3o" + ESC + "1;1;1oX\f\n" + ESC + "3D";
  const InterpretResult r = run(d, overlay(0, inner) + ESC + "0;3o\fA\fB", &errors);
  EXPECT_FALSE(r.failed);
  EXPECT_TRUE(errors.has(40323));
  EXPECT_EQ(d.pages_started, 3);
  EXPECT_EQ(d.all_text(), "OVOVAOVB");
}

TEST(PrintInterpreter, OverlaySlotsRewindAndDelete) {
  RecordingDevice d;
  run(d, overlay(1, "LONG") + ESC + "1;2o" + overlay(1, "S") + ESC + "1;3o\fX\f" + ESC + "1;0oY");
  EXPECT_EQ(d.all_text(), "SONGSONGXY");  // rewound: written over from the start
}

TEST(PrintInterpreter, PageSettingsApplyFromTheNextPage) {
  RecordingDevice d;
  run(d, "A" + ESC + "1O" + ESC + "3P" + ESC + "1;1D" + ESC + "1B\fB" + ESC + "210;99P" + ESC +
             "0f\fC");
  ASSERT_GE(d.applied.size(), 3u);
  EXPECT_EQ(d.applied[0], PageSettings{});
  const PageSettings& second = d.applied[1];
  EXPECT_EQ(second.orientation, 2);
  EXPECT_EQ(second.paper, PaperSize::A3);
  EXPECT_EQ(second.duplex, 3);
  EXPECT_TRUE(second.change_source);
  EXPECT_EQ(second.paper_source, 3);  // the second source of the list
  const PageSettings& third = d.applied[2];
  EXPECT_EQ(third.paper, PaperSize::Custom);
  EXPECT_EQ(third.custom_width, 2100);
  EXPECT_EQ(third.custom_length, 990);
  EXPECT_FALSE(third.change_source);
}

TEST(PrintInterpreter, ADeviceErrorEndsTheJobAndAbortsTheDocument) {
  RecordingDevice d;
  d.fail_start_page = 5;
  Errors errors;
  const InterpretResult r = run(d, "ABC\fDEF", &errors);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.message, 40316);
  EXPECT_EQ(r.system_error, 5);
  EXPECT_TRUE(d.aborted);
  EXPECT_TRUE(d.texts.empty());
  ASSERT_EQ(errors.seen.size(), 1u);
  EXPECT_EQ(errors.seen[0].location, kLocationStartPage);
}

TEST(PrintInterpreter, TheCancelFlagStopsTheJob) {
  RecordingDevice d;
  std::atomic<bool> cancel{true};
  const std::string stream = "ABC";
  const InterpretResult r = PrintInterpreter(d, {}, nullptr, &cancel)
                                .run({reinterpret_cast<const std::uint8_t*>(stream.data()), 3});
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(d.texts.empty());
}

TEST(PrintInterpreter, MarginsInColumnsAndLines) {
  RecordingDevice d;
  run(d, ESC + "5;2;0;0MA" + ESC + "720;0;0;0mB");
  ASSERT_EQ(d.texts.size(), 2u);
  EXPECT_EQ(d.texts[0].x, 5 * 49);
  EXPECT_EQ(d.texts[0].y, 2 * kLine);
  EXPECT_EQ(d.texts[1].x, 600 + 49);
  EXPECT_EQ(d.texts[1].y, kAscent);  // a top margin of 0 is the ascent
}

}  // namespace
}  // namespace kovw::print
