#pragma once
// Laying out one graphics text on its baseline: trailing blanks, the alignments (left, right,
// decimal, justified, centred), fitting into the text length, and the text box around it.
// Everything here is in device pixels and independent of painting.

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/text_options.h"

namespace kovw::graphics {

// The host's text bytes as wide text (UTF-8 with text flag 0x40, else by the host text rules),
// as long as the host sent it.
std::u16string graphics_text(std::string_view bytes, int flags);

// Drops trailing blanks unless the flags keep them (opaque background, box width, any
// alignment); a text of blanks keeps one.
std::u16string trim_trailing_blanks(std::u16string text, int flags);

// Widths of texts in one font. Fonts are made without shaping and kerning, so a text is as
// wide as its characters' advances together; the first 256 come from a table when one is given.
class TextMeasure {
 public:
  explicit TextMeasure(const QFont& font, const std::array<float, 256>* latin1 = nullptr)
      : metrics_(font), latin1_(latin1) {}
  double width(std::u16string_view text) const;
  double ascent() const { return metrics_.ascent(); }
  double descent() const { return metrics_.descent(); }

 private:
  QFontMetricsF metrics_;
  const std::array<float, 256>* latin1_;
};

struct TextPlacement {
  // Where each run starts on the baseline (x) and what it holds; one run unless justified.
  struct Run {
    double x = 0;
    std::u16string text;
  };
  std::vector<Run> runs;
  double horizontal_scale = 1;  // below 1 when the text was fitted into the text length
  QRectF bounds;                // the text's box: its advance by ascent plus descent
};

// Places `text` whose baseline starts at `x`, `baseline`, measured by `measure`: `length` is
// the mapped text length (0: none), `average_width` the font's average character width in
// pixels (decimal alignment counts the part after the separator in it).
TextPlacement place_text(const std::u16string& text, double x, double baseline, int flags,
                         double length, const TextMeasure& measure, double average_width);

}  // namespace kovw::graphics
