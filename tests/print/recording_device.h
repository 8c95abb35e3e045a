#pragma once
// A print device that draws nothing and records what it was asked to do, with fixed metrics:
// 600 dots per inch, an A4 sheet that is printable to the edges, fonts whose ascent is 0.8 and
// descent 0.2 of their size and whose characters are 0.6 of it wide.

#include <string>
#include <vector>

#include "print/print_device.h"

namespace kovw::print::test {

struct RecordedText {
  std::u16string text;
  int x, y, page;
  FontSpec font;
  TextRun run;  // text view not kept
};

struct RecordedShape {
  std::string kind;  // "line", "rect", "arc", "pie", "circle", "bitmap"
  int a = 0, b = 0, c = 0, d = 0, page = 0;
  PenSpec pen;
  BrushSpec brush;
  std::vector<std::uint8_t> pixels;  // bitmap pixels
  int image_width = 0, image_height = 0, bits = 0;
  std::vector<Rgb> palette;
};

class RecordingDevice : public PrintDevice {
 public:
  PageGeometry page{0, 0, 4960, 7016, 4960, 7016, 600, 600};
  PageSettings defaults;
  std::vector<PageSettings> applied;
  int documents_started = 0, pages_started = 0, pages_ended = 0, documents_ended = 0;
  bool aborted = false;
  int fail_start_page = 0;  // system error returned by start_page when not 0
  std::vector<RecordedText> texts;
  std::vector<RecordedShape> shapes;
  std::vector<FontSpec> fonts_selected;
  FontSpec font;

  PageGeometry geometry() override { return page; }
  PageSettings default_settings() override { return defaults; }
  int paper_source_at(int index) override { return index >= 0 && index < 2 ? 1 + index * 2 : 0; }
  int apply_settings(const PageSettings& s) override {
    if (applied.empty() || !(applied.back() == s)) applied.push_back(s);
    return 0;
  }
  int start_document() override {
    ++documents_started;
    return 0;
  }
  int start_page() override {
    if (fail_start_page != 0) return fail_start_page;
    ++pages_started;
    return 0;
  }
  int end_page() override {
    ++pages_ended;
    return 0;
  }
  void end_document(bool abort) override {
    ++documents_ended;
    aborted = abort;
  }
  FontMetrics select_font(const FontSpec& f) override {
    font = f;
    fonts_selected.push_back(f);
    const int px = f.size_tenths * page.dpi_y / 720;
    const bool fixed = f.face == "Courier New";
    return FontMetrics{px * 8 / 10, px * 2 / 10, px * 6 / 10, fixed};
  }
  int text_width(std::u16string_view text) override {
    return static_cast<int>(text.size()) * ((font.size_tenths * page.dpi_x / 720) * 6 / 10);
  }
  void draw_text(const TextRun& run) override {
    RecordedText t{std::u16string(run.text), run.x, run.y, pages_started, font, run};
    t.run.text = {};
    texts.push_back(std::move(t));
  }
  void draw_line(int x1, int y1, int x2, int y2, const PenSpec& pen) override {
    shapes.push_back(shape("line", x1, y1, x2, y2, pen, {}));
  }
  void draw_rectangle(int l, int t, int r, int b, const PenSpec& pen,
                      const BrushSpec& brush) override {
    shapes.push_back(shape("rect", l, t, r, b, pen, brush));
  }
  void draw_arc(ArcKind kind, int cx, int cy, int radius, int start, int end, const PenSpec& pen,
                const BrushSpec& brush) override {
    const char* name = kind == ArcKind::Arc ? "arc" : kind == ArcKind::Pie ? "pie" : "circle";
    RecordedShape s = shape(name, cx, cy, radius, start, pen, brush);
    s.image_width = end;
    shapes.push_back(std::move(s));
  }
  void draw_bitmap(const RasterImage& image, int x, int y, int w, int h) override {
    RecordedShape s = shape("bitmap", x, y, w, h, {}, {});
    s.pixels.assign(image.pixels.begin(), image.pixels.end());
    s.image_width = image.width;
    s.image_height = image.height;
    s.bits = image.bits_per_pixel;
    s.palette.assign(image.palette.begin(), image.palette.end());
    shapes.push_back(std::move(s));
  }

  RecordedShape shape(const char* kind, int a, int b, int c, int d, const PenSpec& pen,
                      const BrushSpec& brush) const {
    RecordedShape s;
    s.kind = kind;
    s.a = a;
    s.b = b;
    s.c = c;
    s.d = d;
    s.page = pages_started;
    s.pen = pen;
    s.brush = brush;
    return s;
  }

  std::string all_text() const {
    std::string out;
    for (const RecordedText& t : texts)
      for (char16_t c : t.text) out.push_back(static_cast<char>(c));
    return out;
  }
};

}  // namespace kovw::print::test
