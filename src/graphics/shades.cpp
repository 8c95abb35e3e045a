#include "graphics/shades.h"

#include <algorithm>
#include <cmath>

namespace kovw::graphics {

namespace {

// Colour space conversions with components from 0 to 1.
struct Hsx {
  double hue = 0;  // 0 to 6 (sextants)
  double saturation = 0;
  double level = 0;  // lightness or value
};

double component(std::uint8_t byte) {
  return byte / 255.0;
}
std::uint8_t to_byte(double value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

double hue_of(double r, double g, double b, double max, double delta) {
  if (delta <= 0) return 0;
  double hue;
  if (max == r)
    hue = std::fmod((g - b) / delta, 6.0);
  else if (max == g)
    hue = (b - r) / delta + 2;
  else
    hue = (r - g) / delta + 4;
  return hue < 0 ? hue + 6 : hue;
}

// The colour of chroma `chroma` at `hue` plus `offset` on every component.
Rgb from_chroma(double hue, double chroma, double offset) {
  const double x = chroma * (1 - std::fabs(std::fmod(hue, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(hue) % 6) {
    case 0:
      r = chroma, g = x;
      break;
    case 1:
      r = x, g = chroma;
      break;
    case 2:
      g = chroma, b = x;
      break;
    case 3:
      g = x, b = chroma;
      break;
    case 4:
      r = x, b = chroma;
      break;
    default:
      r = chroma, b = x;
      break;
  }
  return {to_byte(r + offset), to_byte(g + offset), to_byte(b + offset)};
}

Hsx to_hsv(Rgb colour) {
  const double r = component(colour.red), g = component(colour.green), b = component(colour.blue);
  const double max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
  return {hue_of(r, g, b, max, delta), max > 0 ? delta / max : 0, max};
}

Rgb from_hsv(const Hsx& hsv) {
  const double chroma = hsv.level * hsv.saturation;
  return from_chroma(hsv.hue, chroma, hsv.level - chroma);
}

Hsx to_hsl(Rgb colour) {
  const double r = component(colour.red), g = component(colour.green), b = component(colour.blue);
  const double max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
  const double lightness = (max + min) / 2;
  const double saturation = delta <= 0 ? 0 : delta / (1 - std::fabs(2 * lightness - 1));
  return {hue_of(r, g, b, max, delta), std::clamp(saturation, 0.0, 1.0), lightness};
}

Rgb from_hsl(const Hsx& hsl) {
  const double chroma = (1 - std::fabs(2 * hsl.level - 1)) * hsl.saturation;
  return from_chroma(hsl.hue, chroma, hsl.level - chroma / 2);
}

}  // namespace

Shades compute_shades(Rgb base, std::uint8_t kind, std::uint8_t step1, std::uint8_t step2,
                      std::uint8_t margin_byte) {
  const bool hsl = (kind & 1) != 0;
  const double s1 = (step1 != 0 ? step1 : kShadeStep1Default) / 255.0;
  const double s2 = (step2 != 0 ? step2 : kShadeStep2Default) / 255.0;
  const double margin = (margin_byte != 0 ? margin_byte : kShadeMarginDefault) / 255.0;
  const Hsx space = hsl ? to_hsl(base) : to_hsv(base);
  const double v = space.level;
  double top, middle, bottom;
  switch ((kind >> 1) & 3) {
    case 1:  // base in the middle
      middle = std::min(v, 1 - margin - s1);
      top = middle + s1;
      bottom = middle - s2 < margin ? 0 : middle - s2;
      break;
    case 2:  // base at the bottom
      bottom = std::min(v, 1 - margin - s1 - s2);
      middle = bottom + s2;
      top = bottom + s1 + s2;
      break;
    default:  // base at the top
      top = margin > v - s1 - s2 ? s1 + s2 : v;
      middle = top - s1;
      bottom = top - s1 - s2;
      break;
  }
  auto shade = [&](double level) {
    Hsx changed = space;
    changed.level = std::clamp(level, 0.0, 1.0);
    return hsl ? from_hsl(changed) : from_hsv(changed);
  };
  return {shade(top), shade(middle), shade(bottom)};
}

Rgb with_level(Rgb colour, bool hsl, double level) {
  Hsx space = hsl ? to_hsl(colour) : to_hsv(colour);
  space.level = std::clamp(level, 0.0, 1.0);
  return hsl ? from_hsl(space) : from_hsv(space);
}

}  // namespace kovw::graphics
