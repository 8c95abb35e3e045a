#pragma once
// The print language's drawing state: positions, margins, spacing, font, colours, pen and
// fill, text attributes. Positions and distances are device pixels; x and y are relative to
// the margin origin (the left and top margins). An overlay saves it, draws with its own and
// restores it.

#include <array>

#include "print/print_device.h"
#include "print/print_style.h"

namespace kovw::print {

inline constexpr int kPositionStackDepth = 10;
// Positions are held within ± this many pixels (about 14,000 inches at 1,200 dots per inch).
inline constexpr int kMaxCoordinate = 1 << 24;

struct PixelPoint {
  int x = 0, y = 0;
};

struct DrawState {
  int x = 0, y = 0;
  PixelPoint path_start;
  std::array<PixelPoint, kPositionStackDepth> stack{};
  int stack_depth = 0;

  int left = 0, top = 0, right = 0, bottom = 0;  // margins
  int column_width = 0;                          // command C and M columns
  int advance = 0;                               // horizontal motion of one character
  int line_height = 0;                           // vertical motion of one line

  FontSpec font;
  FontMetrics metrics;

  Rgb text_colour = kBlack;
  Rgb background = kWhite;  // opaque behind text unless white
  Rgb fill = kBlack;
  Rgb highlight = kDefaultHighlight;
  BrushSpec brush;
  PenSpec pen;

  int attributes = 0;  // command e; bit 0: rectangles on text baselines
  bool cells = false;  // command &
};

inline constexpr int kAttributeBaselineRectangles = 1;

}  // namespace kovw::print
