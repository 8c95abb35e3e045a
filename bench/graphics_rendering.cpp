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
#include "graphics/painter_renderer.h"
#include "graphics/pens_and_brushes.h"
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

}  // namespace
