#include "graphics/frame_3d.h"

#include <QColor>
#include <QPainter>
#include <algorithm>

namespace kovw::graphics {

namespace {

struct Ring {
  Argb top_left;
  Argb bottom_right;
};

// One ring of pixels `inset` pixels inside `rect`: top and left in one colour, bottom and
// right (with the corners they meet) in the other.
void paint_ring(QPainter& painter, const QRect& rect, int inset, const Ring& ring) {
  const int l = rect.left() + inset, t = rect.top() + inset;
  const int r = rect.left() + rect.width() - 1 - inset;  // last column
  const int b = rect.top() + rect.height() - 1 - inset;  // last row
  if (r < l || b < t) return;
  const QColor tl = QColor::fromRgba(ring.top_left), br = QColor::fromRgba(ring.bottom_right);
  painter.fillRect(QRect(l, t, r - l, 1), tl);
  painter.fillRect(QRect(l, t, 1, b - t), tl);
  painter.fillRect(QRect(l, b, r - l + 1, 1), br);
  painter.fillRect(QRect(r, t, 1, b - t + 1), br);
}

}  // namespace

bool paint_frame_3d(QPainter& painter, const QRect& rect, int kind, int width,
                    const EdgeColours& c) {
  Ring outer{}, inner{};
  switch (kind) {
    case kFrameRaised:
      outer = {c.light, c.dark}, inner = {c.inner_light, c.shadow};
      break;
    case kFrameSunken:
      outer = {c.shadow, c.light}, inner = {c.dark, c.inner_light};
      break;
    case kFrameEtched:
      outer = {c.shadow, c.light}, inner = {c.light, c.shadow};
      break;
    case kFrameBump:
      outer = {c.light, c.shadow}, inner = {c.shadow, c.light};
      break;
    case kFrameFlat:
      outer = inner = {c.dark, c.dark};
      break;
    default:
      return false;
  }
  const int limit = std::max((std::min(rect.width(), rect.height()) + 1) / 2, 0);
  const int total = std::clamp(width, 1, std::max(limit, 1));
  const int outer_rings = (total + 1) / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i < total; ++i) paint_ring(painter, rect, i, i < outer_rings ? outer : inner);
  painter.restore();
  return true;
}

}  // namespace kovw::graphics
