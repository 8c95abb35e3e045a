#pragma once
// Three-dimensional frames (rectangles of style 32, text boxes, picture frames): rings of
// pixels inside the rectangle in four edge colours, arranged by the frame kind.
//
// Kinds: 1 raised, 2 sunken, 3 etched (a sunken groove), 4 bump (a raised ridge), 5 flat (all
// sides in the fourth colour); other kinds draw nothing. The outer ring takes half the width
// (rounded up), the inner ring the rest.

#include <QRect>

#include "graphics/figure_style.h"

class QPainter;

namespace kovw::graphics {

inline constexpr int kFrameRaised = 1;
inline constexpr int kFrameSunken = 2;
inline constexpr int kFrameEtched = 3;
inline constexpr int kFrameBump = 4;
inline constexpr int kFrameFlat = 5;

// The edge colours in slot order (0x1A-0x1D): light, inner light, shadow, dark shadow.
struct EdgeColours {
  Argb light = 0xFFFFFFFFu;
  Argb inner_light = 0xFFE0E0E0u;
  Argb shadow = 0xFF808080u;
  Argb dark = 0xFF404040u;
};

// Draws the frame inside `rect` (its right and bottom edges are outside, as for every
// rectangle of device pixels here). Returns false for a kind that draws nothing.
bool paint_frame_3d(QPainter& painter, const QRect& rect, int kind, int width,
                    const EdgeColours& colours);

}  // namespace kovw::graphics
