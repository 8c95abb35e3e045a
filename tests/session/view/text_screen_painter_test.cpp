// The text screen painter and the widget around it, painting into images: aligned field texts,
// the caret, and the widget's copy of the grid following the program's updates.
#include "session/view/text_screen_painter.h"

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/host_text.h"
#include "session/program/text_cells.h"
#include "session/program/text_screen.h"
#include "session/session_fixture.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

const QColor kText = Qt::red;
const QColor kBack = Qt::white;

TextScreenLook test_look(bool field_layout) {
  TextScreenLook look;
  look.font_name = "Courier New";
  look.font_tenths = 120;
  look.field_layout = field_layout;
  look.caret_width = 2;
  look.foreground_colours.fill(kText);
  look.background_colours.fill(kBack);
  look.edge_light = look.edge_shadow = look.button_face = look.button_text = Qt::gray;
  return look;
}

std::vector<std::uint32_t> row_of(std::string_view text, std::uint32_t attribute) {
  std::vector<std::uint32_t> cells;
  for (const char c : text) cells.push_back(make_cell(attribute, static_cast<std::uint8_t>(c)));
  if (!cells.empty()) cells[0] |= kAttrFieldStart << 8;
  return cells;
}

// Whether any pixel of cell `column` differs from the background.
bool inked(const QImage& image, int column, int cell_width) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = column * cell_width; x < (column + 1) * cell_width; ++x)
      if (image.pixelColor(x, y) != kBack) return true;
  return false;
}

struct AlignCase {
  friend void PrintTo(const AlignCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string text;
  int alignment;
  std::string ink;  // per cell: 'x' inked, '.' blank, '?' either
};

class FieldAlignmentTest : public ::testing::TestWithParam<AlignCase> {
 protected:
  FieldAlignmentTest() { test_app(); }
};

// In field layout the run's text is placed by its alignment inside the run's cells.
TEST_P(FieldAlignmentTest, PlacesTheText) {
  const AlignCase& c = GetParam();
  const TextScreenPainter painter(test_look(true));
  const auto cells =
      row_of(c.text, kResetAttribute | static_cast<std::uint32_t>(c.alignment) << kAttrAlignShift);
  QImage image(painter.grid_size(static_cast<int>(cells.size()), 1), QImage::Format_RGB32);
  image.fill(kBack);
  {
    QPainter p(&image);
    painter.paint_row(p, cells, QPoint(0, 0));
  }
  for (std::size_t i = 0; i < c.ink.size(); ++i) {
    if (c.ink[i] == '?') continue;
    EXPECT_EQ(c.ink[i] == 'x', inked(image, static_cast<int>(i), painter.cell_width()))
        << c.name << ", cell " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldAlignmentTest,
    ::testing::Values(
        // The separator stays in its cell: padding before the number does not shift it.
        AlignCase{"comma after padding", "  12,5  ", kAlignDecimalComma, "..?xxx.."},
        AlignCase{"comma without padding", "12,5    ", kAlignDecimalComma, "?xxx...."},
        AlignCase{"point after padding", "   3.25 ", kAlignDecimalPoint, "...xxxx."},
        AlignCase{"colon", "  10:30 ", kAlignDecimalComma, "..?xxxx."},
        AlignCase{"right", "  12    ", kAlignRight, "......?x"},
        AlignCase{"left", "  12    ", kAlignLeft, "..xx...."}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

// Raised and sunken at once: two nested rectangles in the frame colour, the inside untouched.
// A drop-down button in field layout is at least 9 pixels wide, also in a small font.
// A run drawn as one text puts every character where a cell of its own would put it, in both
// fonts and with characters of every width.
TEST(TextScreenRuns, WholeRunsKeepEveryCharacterInItsCell) {
  test_app();
  const TextScreenLook look = test_look(false);
  const TextScreenPainter painter(look);
  const std::string text = "iW.Mil|\xC4m mWi";
  for (const std::uint32_t attribute : {kResetAttribute, kResetAttribute | kAttrBold}) {
    SCOPED_TRACE(attribute);
    const auto cells = row_of(text, attribute);
    const QSize size = painter.grid_size(static_cast<int>(cells.size()), 1);
    QImage run(size, QImage::Format_RGB32), single(size, QImage::Format_RGB32);
    run.fill(kBack);
    single.fill(kBack);
    {
      QPainter p(&run);
      painter.paint_row(p, cells, QPoint(0, 0));
    }
    {
      QPainter p(&single);
      p.setPen(kText);
      p.setFont(painter.font((attribute & kAttrBold) != 0));
      for (std::size_t i = 0; i < text.size(); ++i) {
        p.drawText(QPoint(static_cast<int>(i) * painter.cell_width(), 2 + painter.ascent()),
                   QString(QChar(foundation::ansi_to_wide(static_cast<unsigned char>(text[i])))));
      }
    }
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) differing += run.pixel(x, y) != single.pixel(x, y);
    EXPECT_LE(differing, size.width() * size.height() / 200) << differing;
  }
}

TEST(TextScreenElements, DoubleOutlineAndButtonWidth) {
  test_app();
  TextScreenLook look = test_look(true);
  look.button_face = Qt::blue;
  look.button_text = Qt::black;
  look.font_tenths = 40;  // narrow cells
  const TextScreenPainter painter(look);
  ASSERT_LT(painter.cell_width(), 9);
  // A field of eight cells with `attribute`; a one-shot button attribute marks the last cell.
  const auto paint = [&painter](std::uint32_t attribute, std::uint32_t last = 0) {
    auto cells = row_of("        ", kResetAttribute | attribute);
    cells.back() |= last << 8;
    QImage image(painter.grid_size(8, 1), QImage::Format_RGB32);
    image.fill(kBack);
    QPainter p(&image);
    painter.paint_row(p, cells, QPoint(0, 0));
    return image;
  };
  const QImage outline = paint(kAttrRaised | kAttrSunken);
  const int right = outline.width() - 1, bottom = outline.height() - 1;
  for (const QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(right, bottom),
                          QPoint(right - 1, bottom - 1), QPoint(right / 2, 1)})
    EXPECT_EQ(QColor(Qt::blue), outline.pixelColor(at)) << at.x() << "," << at.y();
  EXPECT_EQ(kBack, outline.pixelColor(right / 2, bottom / 2));

  const QImage button = paint(0, kAttrDropDown);
  EXPECT_EQ(QColor(Qt::blue), button.pixelColor(right - 8, 0));
  EXPECT_EQ(kBack, button.pixelColor(right - 9, 0));
}

class TextScreenWidgetTest : public ::testing::Test {
 protected:
  TextScreenWidgetTest() { test_app(); }

  void out(TextScreen& screen, std::string_view s) {
    TextScreenEffects effects;
    screen.output(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), effects);
  }
};

// The caret shows only while the window has the focus, and never on a screen whose style
// suppresses it or while the host hides it.
TEST_F(TextScreenWidgetTest, CaretShowsOnlyWithTheFocus) {
  for (const bool suppressed : {false, true}) {
    TextScreenLook look = test_look(false);
    look.caret_suppressed = suppressed;
    QWidget content;
    content.setFocusPolicy(Qt::StrongFocus);
    auto* widget = new TextScreenWidget(look, &content);
    TextScreen screen(10, 2);
    out(screen, "ab");
    widget->apply(screen.take_update());
    widget->resize(widget->sizeHint());
    content.resize(widget->sizeHint());
    content.show();
    content.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&content));
    content.setFocus();
    ASSERT_TRUE(content.hasFocus());

    const TextScreenPainter painter(look);
    const QPoint caret = painter.caret_rect(QPoint(2 * widget->cell_width(), 0)).center();
    auto caret_pixel = [&] { return widget->grab().toImage().pixelColor(caret); };
    EXPECT_EQ(!suppressed, widget->caret_shown());
    EXPECT_EQ(suppressed ? kBack : kText, caret_pixel());

    out(screen, "\x1bW");  // the host hides the caret
    widget->apply(screen.take_update());
    EXPECT_FALSE(widget->caret_shown());
    out(screen, "\x1bX");
    widget->apply(screen.take_update());

    content.clearFocus();
    EXPECT_FALSE(widget->caret_shown());
    EXPECT_EQ(kBack, caret_pixel());
  }
}

// The widget's copy of the grid equals the model after every update, scrolls included.
TEST_F(TextScreenWidgetTest, CopyOfTheGridFollowsScrollsAndChanges) {
  QWidget content;
  auto* widget = new TextScreenWidget(test_look(false), &content);
  TextScreen screen(5, 4);
  widget->apply(screen.take_update());
  const std::vector<std::string> outputs = {
      "one\r\ntwo\r\nthree\r\nfour",
      "\r\nfive",
      "\x1b"
      "F\x01\x01X\r\nsix\r\nseven",
      "\x1b"
      "F\x00\x03\x1bH"
      "abcdefghijklmnop",
      "\r\n\r\n\r\n\r\n\r\nend",
      "\x0c\r\n\r\n\r\n\r\nlast",
  };
  for (const std::string& stream : outputs) {
    out(screen, stream);
    const TextUpdate update = screen.take_update();
    widget->apply(update);
    for (int row = 0; row < screen.rows(); ++row)
      for (int column = 0; column < screen.columns(); ++column)
        ASSERT_EQ(screen.cell(column, row), widget->cell(column, row))
            << "after \"" << stream << "\" at " << column << "," << row;
  }
}

// What the window shows after updates painted one by one (scrolled pixels, rows and caret
// repainted where they changed) is what a full repaint of the same grid shows.
TEST_F(TextScreenWidgetTest, IncrementalPaintingMatchesAFullRepaint) {
  QWidget content;
  content.setFocusPolicy(Qt::StrongFocus);
  auto* widget = new TextScreenWidget(test_look(false), &content);
  TextScreen screen(12, 5);
  widget->apply(screen.take_update());
  widget->resize(widget->sizeHint());
  content.resize(widget->sizeHint());
  content.show();
  content.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&content));
  content.setFocus();
  auto shown = [&] {
    QCoreApplication::processEvents();
    return content.screen()
        ->grabWindow(content.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  const std::vector<std::string> outputs = {
      "first\r\nsecond\r\nthird\r\nfourth\r\nfifth",
      "\r\nsixth",
      "\r\nseventh\r\neighth",
      "\x1b"
      "F\x02\x01"
      "X",
      "\x1b"
      "F\x00\x04"
      "\x1bH"
      "abcdefghijklmnopqrstuvwxyz",
  };
  for (const std::string& stream : outputs) {
    out(screen, stream);
    widget->apply(screen.take_update());
    const QImage incremental = shown();
    widget->update();
    const QImage full = shown();
    ASSERT_FALSE(full.isNull());
    EXPECT_TRUE(incremental == full) << "after \"" << stream << "\"";
  }
}

}  // namespace
}  // namespace kovw::session::test
