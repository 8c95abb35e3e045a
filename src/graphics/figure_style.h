#pragma once
// How a figure is drawn: its outline (line type, width, colour) and its fill (fill style and
// option, the figure's colour and the second fill colour). Colours are 0xAARRGGBB.

#include <cstdint>

namespace kovw::graphics {

using Argb = std::uint32_t;

inline constexpr Argb kOpaqueBlack = 0xFF000000u;
inline constexpr Argb kOpaqueWhite = 0xFFFFFFFFu;

// Line types.
inline constexpr int kLineSolid = 1;
inline constexpr int kLineDashed = 2;
inline constexpr int kLineDashDot = 3;
inline constexpr int kLineNone = 4;

struct Stroke {
  int line_type = kLineSolid;
  int width = 1;  // device pixels; 0 draws one pixel wide
  Argb colour = kOpaqueBlack;
};

// Fill styles with a meaning of their own.
inline constexpr int kFillNone = 0;
inline constexpr int kFillSolid = 1;
inline constexpr int kFillSecondColour = 15;
inline constexpr int kFillKeepPrevious = 100;

struct Fill {
  int style = kFillNone;
  int option = 0;
  Argb colour = kOpaqueBlack;      // the figure's colour
  Argb second = kOpaqueWhite;      // the second fill colour (style 15)
  Argb background = kOpaqueWhite;  // behind dash gaps while a solid fill (style 1) is drawn
};

// The argb value of a colour record: with colour flag 0x0001 made from red, green and blue;
// otherwise the device colour as the platform keeps it, 0x00BBGGRR (always opaque).
Argb colour_record_argb(std::int32_t device_colour, int red, int green, int blue,
                        std::uint16_t flags);

}  // namespace kovw::graphics
