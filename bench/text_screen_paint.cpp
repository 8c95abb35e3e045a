// A 132 x 50 text screen of mixed attributes (colours, bold, underline, reverse, raised and
// sunken fields, line-drawing frames) written by the host and painted into the window's image:
// the model's parse plus the text screen painter, beside the same runs drawn with bare
// QPainter::drawText calls (one call per run, in the run's colours and font) into an image of
// the same size. Both include the parse, so the difference is the painter's own cost.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "bench_application.h"
#include "foundation/host_text.h"
#include "session/program/text_cells.h"
#include "session/program/text_runs.h"
#include "session/program/text_screen.h"
#include "session/program/text_screen_update.h"
#include "session/view/text_screen_painter.h"

namespace {

using namespace kovw::session;

constexpr int kColumns = 132;
constexpr int kRows = 50;

// Per row: a cursor move, then fields of 12 characters with changing colours and display bits;
// every fifth row a frame line of line-drawing pieces.
std::vector<std::uint8_t> screen_stream() {
  std::string s = "\x0c";
  for (int row = 0; row < kRows; ++row) {
    s += "\x1b"
         "F";
    s += static_cast<char>(2);
    s += static_cast<char>(row);
    if (row % 5 == 4) {
      s += "\x1bT";  // semigraphics on
      s += 'U';
      s += std::string(kColumns - 2, ']');
      s += 'V';
      s += "\x1bS\x1b"
           "0";
      continue;
    }
    for (int field = 0; field < kColumns / 12; ++field) {
      const int k = row * 11 + field;
      s += "\x1b";
      s += static_cast<char>('0' + (k % 4 == 1   ? 2
                                    : k % 4 == 2 ? 4
                                    : k % 4 == 3 ? 8
                                                 : 0));  // reverse, bold, underline
      s += "\x1b";
      s += static_cast<char>('`' + k % 16);  // foreground
      s += "\x1b";
      s += static_cast<char>('p' + (k + 3) % 16);  // background
      for (int i = 0; i < 12; ++i)
        s += static_cast<char>(i == 0 || i == 11 ? ' ' : 'A' + (k + i) % 26);
    }
    s += "\x1b"
         "0";
  }
  return {s.begin(), s.end()};
}

TextScreenLook bench_look() {
  TextScreenLook look;
  look.font_name = "Courier New";
  look.font_tenths = 100;
  for (int i = 0; i < 16; ++i) {
    look.foreground_colours[static_cast<std::size_t>(i)] = QColor::fromHsv(i * 22, 200, 120);
    look.background_colours[static_cast<std::size_t>(i)] = QColor::fromHsv(i * 22, 40, 240);
  }
  look.edge_light = Qt::white;
  look.edge_shadow = Qt::darkGray;
  look.button_face = Qt::lightGray;
  look.button_text = Qt::black;
  return look;
}

void BM_TextScreenParseAndPaint(benchmark::State& state) {
  kovw::bench::bench_application();
  const std::vector<std::uint8_t> stream = screen_stream();
  const TextScreenLook look = bench_look();
  const TextScreenPainter painter(look);
  QImage image(painter.grid_size(kColumns, kRows), QImage::Format_RGB32);
  TextScreen screen(kColumns, kRows);
  TextScreenEffects effects;
  for (auto _ : state) {
    screen.output(stream, effects);
    const TextUpdate update = screen.take_update();
    QPainter p(&image);
    for (const TextRowChange& row : update.rows)
      painter.paint_row(p, row.cells, QPoint(0, row.row * painter.cell_height()));
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_TextScreenParseAndPaint)->Unit(benchmark::kMicrosecond);

void BM_TextScreenParseAndBareDrawText(benchmark::State& state) {
  kovw::bench::bench_application();
  const std::vector<std::uint8_t> stream = screen_stream();
  const TextScreenLook look = bench_look();
  const TextScreenPainter measure(look);
  const int cw = measure.cell_width(), ch = measure.cell_height();
  QImage image(measure.grid_size(kColumns, kRows), QImage::Format_RGB32);
  TextScreen screen(kColumns, kRows);
  TextScreenEffects effects;
  for (auto _ : state) {
    screen.output(stream, effects);
    const TextUpdate update = screen.take_update();
    QPainter p(&image);
    for (const TextRowChange& row : update.rows) {
      for (const TextRun& run : cut_runs(row.cells)) {
        QString text;
        for (int i = 0; i < run.count; ++i) {
          text.append(QChar(kovw::foundation::ansi_to_wide(
              cell_character(row.cells[static_cast<std::size_t>(run.first_column + i)]))));
        }
        const QRect span(run.first_column * cw, row.row * ch, run.count * cw, ch);
        p.fillRect(
            span,
            look.background_colours[static_cast<std::size_t>(attribute_background(run.attribute))]);
        p.setPen(
            look.foreground_colours[static_cast<std::size_t>(attribute_foreground(run.attribute))]);
        p.setFont(measure.font((run.attribute & kAttrBold) != 0));
        p.drawText(QPoint(span.left(), span.top() + 2 + measure.ascent()), text);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_TextScreenParseAndBareDrawText)->Unit(benchmark::kMicrosecond);

}  // namespace
