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

namespace kovw::graphics {

// Text flags.
inline constexpr int kTextOpaque = 0x0002;      // the text background is filled
inline constexpr int kTextFit = 0x0004;         // the text is fitted into the text length
inline constexpr int kTextBoxWidth = 0x0010;    // a box when t4 is above 0
inline constexpr int kTextScreenLine = 0x0020;  // drawn as a line of the text screen
inline constexpr int kTextUtf8 = 0x0040;
inline constexpr int kTextBox = 0x0080;
inline constexpr int kTextAnchorEnd = 0x2000;  // x is the right edge (or the centre)

// Alignments (text flags bits 8-11).
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 1;
inline constexpr int kAlignDecimalPoint = 2;
inline constexpr int kAlignDecimalComma = 4;
inline constexpr int kAlignJustified = 6;
inline constexpr int kAlignJustifiedToo = 7;
inline constexpr int kAlignCentred = 8;

inline int text_alignment(int flags) {
  return (flags >> 8) & 0x0F;
}

// The text options of the drawing state.
struct TextOptions {
  int t1 = 0;
  int flags = 0;
  int t3 = 0;  // fill style of the text box
  int t4 = 0;  // frame width of the text box
  int t5 = 0;  // spacing of text screen lines
  int t6 = 0;  // frame kind of the text box
  int t7 = 0;  // fill option of the text box
};

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
