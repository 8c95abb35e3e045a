#pragma once
// The drawing state of a graphics window as the command stream sets it (colour slots, line,
// fill and text attributes, the font request) and the decoded drawing commands that read it.
// World coordinates throughout; plain C++, no painting here.

#include <array>
#include <cstdint>
#include <span>

#include "graphics/figure_style.h"
#include "graphics/font_choice.h"
#include "graphics/text_options.h"

namespace kovw::graphics {

struct WorldPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Colour slots by the opcodes that set them (0x10-0x1E).
inline constexpr int kSlotText = 0x10;
inline constexpr int kSlotTextBackground = 0x11;
inline constexpr int kSlotTextEdge1 = 0x12;
inline constexpr int kSlotTextEdge2 = 0x13;
inline constexpr int kSlotTextEdge3 = 0x14;
inline constexpr int kSlotLine = 0x15;
inline constexpr int kSlotCircle = 0x16;
inline constexpr int kSlotSecondFill = 0x18;
inline constexpr int kSlotRectangle = 0x19;
inline constexpr int kSlotEdge1 = 0x1A;
inline constexpr int kSlotEdge4 = 0x1D;
inline constexpr int kSlotTextEdge4 = 0x1E;

struct ColourSlots {
  std::array<Argb, 15> argb{kOpaqueBlack, kOpaqueWhite, kOpaqueBlack, kOpaqueBlack, kOpaqueBlack,
                            kOpaqueBlack, kOpaqueBlack, kOpaqueBlack, kOpaqueWhite, kOpaqueBlack,
                            0xFFFFFFFFu,  0xFFE0E0E0u,  0xFF808080u,  0xFF404040u,  kOpaqueBlack};
  Argb at(int opcode) const {
    return opcode >= 0x10 && opcode <= 0x1E ? argb[static_cast<std::size_t>(opcode - 0x10)]
                                            : kOpaqueBlack;
  }
  void set(int opcode, Argb value) {
    if (opcode >= 0x10 && opcode <= 0x1E) argb[static_cast<std::size_t>(opcode - 0x10)] = value;
  }
};

// Line options.
inline constexpr int kLineRelative = 0x01;
inline constexpr int kLineFilledPolygon = 0x08;
inline constexpr int kLineNoSmoothing = 0x10;
// Circle and rectangle flags.
inline constexpr int kCircleRelative = 0x01;
inline constexpr int kFigureNoSmoothing = 0x10;
inline constexpr int kRectFrameInside = 0x01;
inline constexpr int kRectSecondColour = 0x02;
inline constexpr int kRectFrameInside2 = 0x04;
inline constexpr int kRectRounded = 0x08;
// Rectangle coordinate modes and styles.
inline constexpr int kRectRelative = 1;
inline constexpr int kRectDeviceUnits = 2;
inline constexpr int kRectFrameStyle = 32;
// The arc kind of the extended circle that takes angles rather than points.
inline constexpr int kArcByAngles = 254;
// The most points of a line command that are drawn.
inline constexpr std::size_t kLinePointsMax = 100;

// What the commands read from the window's drawing state.
struct DrawingAttributes {
  int line_type = kLineSolid;
  int line_width = 1;
  int line_mark = 0;  // the high nibble is the fill style of filled polygons
  int line_options = 0;
  int fill_style = 0;
  int fill_option = 0;
  ColourSlots colours;
  Argb background = kOpaqueWhite;
  TextOptions text;
  std::int32_t text_angle = 0;   // tenths of a degree
  std::int32_t text_length = 0;  // world units
  FontRequest font;              // number, size, attribute, options of the last DB_FONT
};

struct CircleCommand {
  int flags = 0;
  int arc_kind = 0;
  std::int32_t x = 0, y = 0, radius = 0;
  std::int32_t start = 0, end = 0;  // hundredths of a degree, or the end point (extended form)
  bool extended = false;
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the box of the extended form
};

struct RectangleCommand {
  int mode = 0;
  int style = 0;
  int frame_kind = 0;
  int flags = 0;
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int radius = 0;  // world units along x
};

struct BarsCommand {
  std::int32_t x = 0, y = 0, module = 0, height = 0, direction = 0;
  std::span<const std::uint8_t> pattern;
};

}  // namespace kovw::graphics
