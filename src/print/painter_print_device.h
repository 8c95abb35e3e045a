#pragma once
// The print language's device drawn with QPainter on a printer or a PDF file.

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <memory>
#include <optional>
#include <vector>

#include "print/page_target.h"
#include "print/print_device.h"

namespace kovw::print {

class PainterPrintDevice : public PrintDevice {
 public:
  explicit PainterPrintDevice(PageTarget& target);
  ~PainterPrintDevice() override;

  PageGeometry geometry() override;
  PageSettings default_settings() override;
  int paper_source_at(int index) override;
  int apply_settings(const PageSettings& settings) override;
  int start_document() override;
  int start_page() override;
  int end_page() override;
  void end_document(bool abort) override;
  FontMetrics select_font(const FontSpec& font) override;
  int text_width(std::u16string_view text) override;
  void draw_text(const TextRun& run) override;
  void draw_line(int x1, int y1, int x2, int y2, const PenSpec& pen) override;
  void draw_rectangle(int left, int top, int right, int bottom, const PenSpec& pen,
                      const BrushSpec& brush) override;
  void draw_arc(ArcKind kind, int cx, int cy, int radius, int start, int end, const PenSpec& pen,
                const BrushSpec& brush) override;
  void draw_bitmap(const RasterImage& image, int x, int y, int width, int height) override;

  // Pages begun so far.
  int pages() const { return pages_; }
  // False when the target could not keep the document (a PDF not renamed, a print failure).
  bool finished_ok() const { return finished_ok_; }

 private:
  struct CachedFont {
    FontSpec wanted;
    QFont font;
    std::unique_ptr<QFontMetricsF> metrics;
    FontMetrics summary;
  };
  const CachedFont& font_for(const FontSpec& wanted);
  void use_pen(const PenSpec& pen);
  void use_brush(const BrushSpec& brush);

  PageTarget& target_;
  QPainter painter_;
  PageSettings defaults_;
  PageSettings applied_;
  bool document_open_ = false;
  int pages_ = 0;
  bool finished_ok_ = true;
  std::vector<std::unique_ptr<CachedFont>> fonts_;
  const CachedFont* font_ = nullptr;
  QString text_;
};

}  // namespace kovw::print
