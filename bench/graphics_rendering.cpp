// 100,000 mixed drawing commands (lines, rectangles with solid, hatched and empty fills,
// texts, filled polygons) into a window-sized image, through the graphics renderer with its
// world mapping, pens, brushes and text layout; beside it the same primitives drawn with bare
// QPainter calls on device coordinates. The ratio of the two is the figure.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <random>
#include <string>
#include <vector>

#include "bench_application.h"
#include "graphics/font_selector.h"
#include "graphics/graphics_definition.h"
#include "graphics/painter_renderer.h"
#include "graphics/pens_and_brushes.h"
#include "graphics/stream_canvas.h"
#include "graphics/stream_opcodes.h"
#include "graphics/world_mapping.h"

namespace {

using namespace kovw::graphics;

constexpr int kCommands = 100000;
constexpr int kWidth = 1280, kHeight = 800;
constexpr int kWorldWidth = 32000, kWorldHeight = 20000;

enum class Kind { Line, Rectangle, Text, Polygon };

struct Command {
  Kind kind;
  int x1, y1, x2, y2;  // world units
  Argb colour;
  int fill_style;
  std::u16string text;
};

const std::vector<Command>& commands() {
  static const std::vector<Command> list = [] {
    std::mt19937 random(16);
    std::vector<Command> out;
    out.reserve(kCommands);
    const int fills[] = {0, 1, 6, 3, 5};
    for (int i = 0; i < kCommands; ++i) {
      Command c{};
      const int pick = static_cast<int>(random() % 20);
      c.kind = pick < 8    ? Kind::Line
               : pick < 13 ? Kind::Rectangle
               : pick < 18 ? Kind::Text
                           : Kind::Polygon;
      c.x1 = static_cast<int>(random() % kWorldWidth);
      c.y1 = static_cast<int>(random() % kWorldHeight);
      c.x2 = std::min(kWorldWidth, c.x1 + static_cast<int>(random() % 3000));
      c.y2 = std::min(kWorldHeight, c.y1 + static_cast<int>(random() % 2000));
      c.colour = 0xFF000000u | (random() & 0xFFFFFF);
      c.fill_style = fills[random() % 5];
      if (c.kind == Kind::Text) c.text = u"Artikel " + std::u16string(1, u'0' + i % 10) + u"4,50";
      out.push_back(std::move(c));
    }
    return out;
  }();
  return list;
}

QPointF at(const WorldMapping& m, int x, int y) {
  const DevicePointF p = m.map_f(x, y);
  return {p.x, p.y};
}

void BM_RendererMixedCommands(benchmark::State& state) {
  kovw::bench::bench_application();
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  const WorldMapping mapping = fit_world(kWorldWidth, kWorldHeight, kWidth, kHeight, false);
  FontSelector fonts(&image);
  FontNameTable names;
  names.set(0, "Arial");
  FontWindowFacts facts;
  facts.device_width = mapping.device_width;
  fonts.select({0, 10, 0, 0}, facts, names, FontOrigin::StreamOrInfo);
  TextStyle text_style;
  text_style.font = fonts.current()->font;
  text_style.average_width = fonts.current()->metrics.average_pixels();
  text_style.advances = &fonts.current()->metrics.latin1_advances;
  const auto& list = commands();
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterRenderer renderer(painter);
    for (const Command& c : list) {
      Stroke stroke;
      stroke.colour = c.colour;
      switch (c.kind) {
        case Kind::Line:
          renderer.line(at(mapping, c.x1, c.y1), at(mapping, c.x2, c.y2), stroke, true);
          break;
        case Kind::Rectangle: {
          Fill fill;
          fill.style = c.fill_style;
          fill.colour = c.colour;
          renderer.rectangle(QRectF(at(mapping, c.x1, c.y1), at(mapping, c.x2, c.y2)), stroke, fill,
                             true);
          break;
        }
        case Kind::Text: {
          TextColours colours;
          colours.text = c.colour;
          renderer.text(at(mapping, c.x1, c.y1), c.text, text_style, colours);
          break;
        }
        case Kind::Polygon: {
          const QPointF points[] = {at(mapping, c.x1, c.y1), at(mapping, c.x2, c.y1),
                                    at(mapping, c.x2, c.y2), at(mapping, c.x1, c.y2)};
          Fill fill;
          fill.style = 1;
          fill.colour = c.colour;
          renderer.polygon(points, stroke, fill, true);
          break;
        }
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kCommands);
}
BENCHMARK(BM_RendererMixedCommands)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_BareQPainterMixedCommands(benchmark::State& state) {
  kovw::bench::bench_application();
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  const WorldMapping mapping = fit_world(kWorldWidth, kWorldHeight, kWidth, kHeight, false);
  // The same font as the renderer's.
  FontSelector fonts(&image);
  FontNameTable names;
  names.set(0, "Arial");
  FontWindowFacts facts;
  facts.device_width = mapping.device_width;
  fonts.select({0, 10, 0, 0}, facts, names, FontOrigin::StreamOrInfo);
  const QFont font = fonts.current()->font;
  // The same device coordinates, computed once: the bare side draws only.
  struct Device {
    QPointF a, b;
  };
  std::vector<Device> device;
  const auto& list = commands();
  for (const Command& c : list)
    device.push_back({at(mapping, c.x1, c.y1), at(mapping, c.x2, c.y2)});
  const Qt::BrushStyle patterns[] = {Qt::NoBrush, Qt::SolidPattern, Qt::HorPattern,
                                     Qt::CrossPattern, Qt::DiagCrossPattern};
  const int fills[] = {0, 1, 6, 3, 5};
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Command& c = list[i];
      const QColor colour = QColor::fromRgba(c.colour);
      painter.setPen(QPen(colour, 1));
      switch (c.kind) {
        case Kind::Line:
          painter.drawLine(device[i].a, device[i].b);
          break;
        case Kind::Rectangle: {
          int p = 0;
          while (fills[p] != c.fill_style) ++p;
          painter.setBrush(QBrush(colour, patterns[p]));
          painter.drawRect(QRectF(device[i].a, device[i].b));
          break;
        }
        case Kind::Text:
          painter.drawText(device[i].a, QString::fromStdU16String(c.text));
          break;
        case Kind::Polygon: {
          const QPointF points[] = {device[i].a, QPointF(device[i].b.x(), device[i].a.y()),
                                    device[i].b, QPointF(device[i].a.x(), device[i].b.y())};
          painter.setBrush(colour);
          painter.drawPolygon(points, 4);
          break;
        }
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kCommands);
}
BENCHMARK(BM_BareQPainterMixedCommands)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same commands as one stream message with lengths: the colour of each figure, the fill
// of rectangles, the line options of polygons, then the figure. The text font is set once.
std::vector<std::uint8_t> stream_message() {
  std::vector<std::uint8_t> out;
  auto command = [&out](int opcode, std::initializer_list<std::int64_t> numbers,
                        std::initializer_list<int> widths, const std::string& tail = {}) {
    std::vector<std::uint8_t> operands;
    auto width = widths.begin();
    for (const std::int64_t v : numbers) {
      for (int i = 0; i < *width; ++i)
        operands.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
      ++width;
    }
    operands.insert(operands.end(), tail.begin(), tail.end());
    out.push_back(static_cast<std::uint8_t>(opcode));
    const std::size_t n = operands.size();
    if (n + 1 < 0x80) {
      out.push_back(static_cast<std::uint8_t>(n + 1));
    } else {
      out.push_back(static_cast<std::uint8_t>(0x80 | ((n + 2) >> 8)));
      out.push_back(static_cast<std::uint8_t>((n + 2) & 0xFF));
    }
    out.insert(out.end(), operands.begin(), operands.end());
  };
  command(DB_SETFONT, {0, 5}, {1, 2}, "Arial");
  command(DB_FONT, {0, 0, 10, 0}, {1, 1, 2, 2});
  command(DB_LMARK, {0x10}, {1});  // filled polygons are solid
  for (const Command& c : commands()) {
    const int r = (c.colour >> 16) & 0xFF, g = (c.colour >> 8) & 0xFF, b = c.colour & 0xFF;
    switch (c.kind) {
      case Kind::Line:
        command(0x15, {r, g, b}, {1, 1, 1});
        command(DB_LINE, {2, c.x1, c.y1, c.x2, c.y2}, {2, 4, 4, 4, 4});
        break;
      case Kind::Rectangle:
        command(0x19, {r, g, b}, {1, 1, 1});
        command(DB_FILL, {c.fill_style}, {1});
        command(DB_RECT, {0, 0, 0, 0, 0, c.x1, c.y1, c.x2, c.y2, 0, 0},
                {1, 2, 2, 1, 1, 4, 4, 4, 4, 1, 2});
        break;
      case Kind::Text: {
        const std::string text(c.text.begin(), c.text.end());
        command(0x10, {r, g, b}, {1, 1, 1});
        command(DB_TEXT, {static_cast<std::int64_t>(text.size()), c.x1, c.y1}, {2, 4, 4}, text);
        break;
      }
      case Kind::Polygon:
        command(0x15, {r, g, b}, {1, 1, 1});
        command(DB_LOPT, {0x08}, {1});
        command(DB_LINE, {4, c.x1, c.y1, c.x2, c.y1, c.x2, c.y2, c.x1, c.y2},
                {2, 4, 4, 4, 4, 4, 4, 4, 4});
        command(DB_LOPT, {0}, {1});
        break;
    }
  }
  return out;
}

// The stream's side: the message interpreted and drawn into the window's picture.
void BM_StreamMixedCommands(benchmark::State& state) {
  kovw::bench::bench_application();
  const std::vector<std::uint8_t> message = stream_message();
  const WorldMapping mapping = fit_world(kWorldWidth, kWorldHeight, kWidth, kHeight, false);
  StreamContext context;
  context.library_version = 0x070305;
  context.suppress_repaints = true;
  StreamCanvas canvas;
  for (auto _ : state) {
    canvas.create_window(0, mapping, kWidth, kHeight, kOpaqueWhite);
    canvas.stream().interpret(message, kStreamWithLengths, context);
  }
  state.SetItemsProcessed(state.iterations() * kCommands);
  state.counters["message_bytes"] = static_cast<double>(message.size());
}
BENCHMARK(BM_StreamMixedCommands)->Unit(benchmark::kMillisecond)->MinTime(3);

// A segmented window: a world of 4000 x 4000 units on a drawing area of as many pixels, in 400
// segments of 400 x 100 pixels with 20 figures each, shown 800 x 600 pixels at a time. One
// full repaint of the view after scrolling by one view: the segments that reach into the view
// are replayed onto it, the others skipped.
void BM_SegmentedRepaintAfterScrolling(benchmark::State& state) {
  kovw::bench::bench_application();
  constexpr int kWorld = 4000, kViewWidth = 800, kViewHeight = 600;
  StreamCanvas canvas;
  canvas.create_window(0, fit_world(kWorld, kWorld, kWorld, kWorld, false), kViewWidth, kViewHeight,
                       kOpaqueWhite);
  StreamWindow& window = *canvas.stream().window(0);
  window.virtual_x = window.virtual_y = true;
  StreamContext context;
  context.library_version = 0x070305;
  context.suppress_repaints = true;
  std::mt19937 random(7);
  std::vector<std::uint8_t> message;
  auto put = [&message](int opcode, std::initializer_list<std::int32_t> numbers, int first_width,
                        int width) {
    std::vector<std::uint8_t> operands;
    bool first = true;
    for (const std::int32_t v : numbers) {
      const int w = first ? first_width : width;
      first = false;
      for (int i = 0; i < w; ++i)
        operands.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    }
    message.push_back(static_cast<std::uint8_t>(opcode));
    message.push_back(static_cast<std::uint8_t>(operands.size() + 1));
    message.insert(message.end(), operands.begin(), operands.end());
  };
  for (int top = kWorld; top > 0; top -= 100) {
    for (int left = 0; left < kWorld; left += 400) {
      put(DB_WINSEG, {1, left, top, left + 400, top - 100}, 2, 4);
      for (int i = 0; i < 20; ++i) {
        const int x = left + static_cast<int>(random() % 380);
        const int y = top - static_cast<int>(random() % 90);
        put(0x15, {static_cast<std::int32_t>(random() & 0xFF), 0, 0}, 1, 1);
        put(DB_LINE, {2, x, y, x + 20, y - 10}, 2, 4);
      }
    }
  }
  put(DB_WINSEG, {3, 0, 0, 0, 0}, 2, 4);
  canvas.stream().interpret(message, kStreamWithLengths, context);
  SegmentedView view;
  view.view = QRect(0, kViewHeight, kViewWidth, kViewHeight);  // scrolled down by one view
  std::size_t replayed = 0;
  for (auto _ : state) {
    QImage picture = canvas.segmented_picture(0, view);
    benchmark::DoNotOptimize(picture.constBits());
  }
  std::vector<QRect> rects;
  for (const Segment& segment : window.segments.segments())
    rects.emplace_back(QPoint(segment.rect.x1, segment.rect.y1),
                       QPoint(segment.rect.x2, segment.rect.y2));
  replayed = segments_in_view(rects, view.view).size();
  state.counters["segments"] = static_cast<double>(window.segments.segments().size());
  state.counters["replayed"] = static_cast<double>(replayed);
}
BENCHMARK(BM_SegmentedRepaintAfterScrolling)->Unit(benchmark::kMicrosecond);

// The same view drawn with bare QPainter calls: the lines of the segments that reach into the
// view, with their colours, straight onto a fresh picture of the view.
void BM_SegmentedViewBareQPainter(benchmark::State& state) {
  kovw::bench::bench_application();
  constexpr int kWorld = 4000, kViewWidth = 800, kViewHeight = 600;
  struct Line {
    QColor colour;
    QLine line;
  };
  std::vector<Line> lines;
  std::mt19937 random(7);
  const QRect view(0, kViewHeight, kViewWidth, kViewHeight);
  for (int top = kWorld; top > 0; top -= 100) {
    for (int left = 0; left < kWorld; left += 400) {
      const QRect segment(QPoint(left, kWorld - top), QSize(400, 100));
      for (int i = 0; i < 20; ++i) {
        const int x = left + static_cast<int>(random() % 380);
        const int y = top - static_cast<int>(random() % 90);
        const auto red = static_cast<int>(random() & 0xFF);
        if (segment.intersects(view))
          lines.push_back({QColor(red, 0, 0), QLine(x, kWorld - y, x + 20, kWorld - y + 10)});
      }
    }
  }
  for (auto _ : state) {
    QImage picture(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.translate(-view.topLeft());
    for (const Line& l : lines) {
      painter.setPen(QPen(l.colour, 1));
      painter.drawLine(l.line);
    }
    painter.end();
    benchmark::DoNotOptimize(picture.constBits());
  }
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_SegmentedViewBareQPainter)->Unit(benchmark::kMicrosecond);

// A graphics window definition with 1,000 elements: parsed from its payload and answered (the
// reply with the computed fields and the geometry record).
void BM_DefinitionWithThousandElements(benchmark::State& state) {
  GraphicsDefinition d;
  d.mode = kDefine;
  d.record.set32(76, 32000);
  d.record.set32(80, 20000);
  d.record.set16(70, kWidth);
  d.record.set16(72, kHeight);
  d.record.set16(38, kReplyGeometry);
  d.page.assign(64, 0);
  for (int i = 0; i < 1000; ++i) {
    std::vector<std::uint8_t> element(kWideElementSize, 0);
    for (std::size_t b = 0; b < element.size(); ++b)
      element[b] = static_cast<std::uint8_t>(i * 7 + b);
    d.elements.push_back(std::move(element));
  }
  d.record.set16(74, d.record.i16(74) | kWideElements);
  d.record.set32(272, 1000);
  const std::vector<std::uint8_t> payload = build_graphics_definition(d, true);
  const std::array<std::uint8_t, kGeometryRecordSize> geometry{};
  const DefinitionParse check = parse_graphics_definition(payload, 0x070305);
  if (!check.definition || check.definition->elements.size() != 1000) {
    state.SkipWithError(("definition not parsed: " + check.error).c_str());
    return;
  }
  for (auto _ : state) {
    const DefinitionParse parsed = parse_graphics_definition(payload, 0x070305);
    const auto reply = build_definition_reply(*parsed.definition, geometry);
    benchmark::DoNotOptimize(reply.data());
  }
  state.counters["payload_bytes"] = static_cast<double>(payload.size());
}
BENCHMARK(BM_DefinitionWithThousandElements)->Unit(benchmark::kMicrosecond);

// Beside it: 1,000 filled rectangles drawn with bare QPainter calls into a window-sized picture,
// the least a window of 1,000 figures costs on the screen.
void BM_ThousandRectanglesBareQPainter(benchmark::State& state) {
  kovw::bench::bench_application();
  std::mt19937 random(11);
  std::vector<QRect> rects;
  for (int i = 0; i < 1000; ++i)
    rects.emplace_back(static_cast<int>(random() % (kWidth - 40)),
                       static_cast<int>(random() % (kHeight - 40)), 40, 30);
  QImage picture(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&picture);
    for (const QRect& r : rects) painter.fillRect(r, QColor(58, 111, 176));
    painter.end();
    benchmark::DoNotOptimize(picture.constBits());
  }
}
BENCHMARK(BM_ThousandRectanglesBareQPainter)->Unit(benchmark::kMicrosecond);

}  // namespace
