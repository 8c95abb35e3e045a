#pragma once
// Shaded fills of rectangles (fill styles 101 to 199): gradients from the fill colour to its
// dark shade (kinds 101-106), a middle shade in the centre blending to the light shade at the
// border (107, 108), and a gradient with translucent bands at top and bottom (109, 110). Other
// kinds fill solid.

#include <QColor>
#include <QRectF>
#include <cstdint>

#include "graphics/figure_style.h"

class QPainter;

namespace kovw::graphics {

// The program's shading settings: the shade kind (bit 0 HSL, else HSV; bits 1-2 where the
// colour's own level sits), steps and margin as record bytes (0 for 30, 20 and 12), and the
// bands of kinds 109 and 110 (percent of the height, level 0-1 of the fill colour's hue, alpha).
struct ShadingSettings {
  std::uint8_t kind = 1;
  std::uint8_t step1 = 0;
  std::uint8_t step2 = 0;
  std::uint8_t margin = 0;
  int top_band_percent = 45;
  double top_band_level = 0.94;
  int top_band_alpha = 150;
  int bottom_band_percent = 20;
  double bottom_band_level = 0.12;
  int bottom_band_alpha = 60;
};

// A shaded fill style taken apart: from 121 on the tens digit t sets both steps to 5 t and the
// kind is the style less 10 t (135: kind 105, steps 15); below, the kind is the style and the
// steps are the settings' (0 here).
struct ShadedStyle {
  int kind = 0;
  std::uint8_t step1 = 0;
  std::uint8_t step2 = 0;
  friend bool operator==(const ShadedStyle&, const ShadedStyle&) = default;
};
ShadedStyle decode_shaded_style(int style);

struct ShadeColours {
  QColor light, middle, dark;  // with the fill colour's alpha
};
ShadeColours shade_colours(Argb fill, const ShadedStyle& style, const ShadingSettings& settings);

// The inset of the central area of kinds 107 and 108: the corner radius when it is usable,
// else the smaller of a quarter of the width and of the height (at least 5 pixels for a side
// above 10 pixels).
int radial_inset(int width, int height, int radius);

// Fills `rect` (device pixels; rounded by `radius` when above 0) with shaded style `style`.
// Only the part inside the painter's device is computed.
void paint_shaded_fill(QPainter& painter, const QRectF& rect, double radius, int style, Argb fill,
                       const ShadingSettings& settings);

}  // namespace kovw::graphics
