#pragma once
// Pens and brushes of figures. Dashes have the platform's lengths in pixels (a dash of 18 and
// a gap of 6, dash-dot 9, 6, 3, 6) for a one-pixel pen and grow with wider pens. Hatched
// brushes are the platform's 8 x 8 patterns, drawn transparently; solid fills are opaque.

#include <QBrush>
#include <QColor>
#include <QPen>

#include "graphics/figure_style.h"

namespace kovw::graphics {

inline QColor to_qcolor(Argb argb) {
  return QColor::fromRgba(argb);
}

// The pen of an outline; line type 4 (and the platform's "none", 5) gives Qt::NoPen.
QPen make_pen(const Stroke& stroke);

// What a fill style draws.
enum class FillKind {
  None,          // outline only
  Solid,         // the figure's colour
  Hatched,       // a hatch pattern in the figure's colour over the unchanged background
  SecondColour,  // solid in the second fill colour
  Shaded,        // a shaded fill (styles above 100; on rectangles)
};

struct FillChoice {
  FillKind kind = FillKind::None;
  Qt::BrushStyle pattern = Qt::NoBrush;  // for Hatched
};

// The meaning of fill style `style` on a figure. Styles above 100 are shaded fills on
// rectangles (`shaded_allowed`) and solid fills elsewhere; styles 16-99 are taken by their low
// four bits.
FillChoice classify_fill(int style, bool shaded_allowed);

// Style 100 keeps the style before it.
inline int effective_fill_style(int requested, int previous) {
  return requested == kFillKeepPrevious ? previous : requested;
}

// The brush of a fill (Qt::NoBrush for None and Shaded).
QBrush make_brush(const FillChoice& choice, const Fill& fill);

}  // namespace kovw::graphics
