// The print-language interpreter over arbitrary job data: every escape sequence, count and
// bitmap row is taken from the fuzzer; nothing is read past the data, no drawing call gets a
// page that was not started, and every page started is ended once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "print/print_interpreter.h"

namespace {

using namespace kovw::print;

class CheckingDevice : public PrintDevice {
 public:
  PageGeometry geometry() override { return {0, 0, 2480, 3508, 2480, 3508, 300, 300}; }
  PageSettings default_settings() override { return {}; }
  int paper_source_at(int index) override { return index == 0 ? 7 : 0; }
  int apply_settings(const PageSettings&) override { return 0; }
  int start_document() override {
    if (document_) std::abort();
    document_ = true;
    return 0;
  }
  int start_page() override {
    if (!document_ || page_) std::abort();
    page_ = true;
    return 0;
  }
  int end_page() override {
    if (!page_) std::abort();
    page_ = false;
    return 0;
  }
  void end_document(bool) override {
    if (!document_) std::abort();
    document_ = false;
  }
  FontMetrics select_font(const FontSpec& font) override {
    size_ = font.size_tenths * 300 / 720;
    return {size_ * 8 / 10, size_ / 5, size_ / 2, font.face == "Courier New"};
  }
  int text_width(std::u16string_view text) override {
    return static_cast<int>(text.size()) * (size_ / 2);
  }
  void draw_text(const TextRun& run) override { drawn(run.text.size()); }
  void draw_line(int, int, int, int, const PenSpec&) override { drawn(1); }
  void draw_rectangle(int, int, int, int, const PenSpec&, const BrushSpec&) override { drawn(1); }
  void draw_arc(ArcKind, int, int, int, int, int, const PenSpec&, const BrushSpec&) override {
    drawn(1);
  }
  void draw_bitmap(const RasterImage& image, int, int, int, int) override {
    const std::size_t full = static_cast<std::size_t>(image.row_length) * image.height;
    if (image.pixels.size() > full || image.row_length * 8 < image.width) std::abort();
    volatile std::uint8_t sink = 0;
    for (const std::uint8_t b : image.pixels) sink = sink ^ b;
    drawn(1);
  }
  bool open() const { return document_ || page_; }

 private:
  void drawn(std::size_t count) {
    if (!page_ || count == 0) std::abort();
  }
  bool document_ = false;
  bool page_ = false;
  int size_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingDevice device;
  const InterpretResult result = interpret_print_stream(device, std::span(data, size), {}, nullptr);
  if (device.open() || result.failed) std::abort();
  return 0;
}
