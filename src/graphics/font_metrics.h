#pragma once
// The measurements of a font that hosts ask for and texts are laid out with, in device units:
// height, average width and descent as fixed-point values, the widths of five characters, of
// the 256 characters of the code page and, on request, of every character of the Basic
// Multilingual Plane. Widths are counted in 1/16 pixel in 32 bits (a wide font at a large size
// passes 4096 pixels' worth of sixteenths).

#include <QFont>
#include <array>
#include <cstdint>
#include <vector>

class QPaintDevice;

namespace kovw::graphics {

// The characters the average width is taken over.
inline constexpr char16_t kAverageSample[] = u"UuMmNnAa0123456789";
// The five characters of the extended metrics: "0", blank, ".", "," and "-".
inline constexpr std::array<char16_t, 5> kMetricCharacters{u'0', u' ', u'.', u',', u'-'};

struct FontMetrics {
  std::int32_t height = 0;                         // pixels x 100
  std::int32_t average_width = 0;                  // sixteenths of a pixel x 100
  std::int32_t descent = 0;                        // pixels x 100
  std::int32_t ascent = 0;                         // pixels x 100
  std::array<std::int32_t, 5> character_widths{};  // of kMetricCharacters, pixels x 1600
  std::array<std::int32_t, 256> byte_widths{};     // of the code page's characters, sixteenths
  std::array<float, 256> latin1_advances{};        // of U+0000 to U+00FF, pixels, for laying out
  std::vector<std::int32_t> wide_widths;  // 65536 entries in sixteenths when measured, else none
  double average_pixels() const { return average_width / 1600.0; }
};

// Measures `font` as it is drawn on `device` (nullptr: an image of the screen's resolution).
// The wide widths are measured only when `with_wide_widths` is set.
FontMetrics measure_font(const QFont& font, const QPaintDevice* device, bool with_wide_widths);

// Adds the wide widths to metrics measured without them.
void measure_wide_widths(FontMetrics& metrics, const QFont& font, const QPaintDevice* device);

}  // namespace kovw::graphics
