#pragma once
// Three shades of one base colour, as frames, buttons and shaded fills use them: the colour is
// taken to hue, saturation and lightness (or value), and a light, a middle and a dark level
// are derived from two steps and a margin on the 0-255 scale.

#include <cstdint>

#include "protocol/program/screen_options.h"

namespace kovw::graphics {

using protocol::Rgb;

// Defaults of the steps and the margin (a record byte of 0 stands for them).
inline constexpr int kShadeStep1Default = 30;
inline constexpr int kShadeStep2Default = 20;
inline constexpr int kShadeMarginDefault = 12;

struct Shades {
  Rgb top, middle, bottom;  // light, middle and dark
  friend bool operator==(const Shades&, const Shades&) = default;
};

// The shades of `base` by shade kind (bit 0: HSL lightness, else HSV value; bits 1 and 2:
// base at the top, in the middle or at the bottom) with the steps and margin as record bytes
// (0 means 30, 20 and 12). Kind 3 in bits 1 and 2 is taken as base at the top.
Shades compute_shades(Rgb base, std::uint8_t kind, std::uint8_t step1, std::uint8_t step2,
                      std::uint8_t margin);

// `colour` with its lightness (HSL) or value (HSV) replaced by `level` (0 to 1); hue and
// saturation stay.
Rgb with_level(Rgb colour, bool hsl, double level);

}  // namespace kovw::graphics
