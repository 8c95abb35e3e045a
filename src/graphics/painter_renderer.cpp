#include "graphics/painter_renderer.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "graphics/pens_and_brushes.h"

namespace kovw::graphics {

namespace {

constexpr Argb kButtonFace = 0xFFD4D0C8u;
constexpr Argb kGlyphInk = 0xFF000000u;
constexpr Argb kGlyphInactiveInk = 0xFF808080u;
constexpr Argb kBoxWhite = 0xFFFFFFFFu;

bool odd_width(const Stroke& stroke) {
  return stroke.width <= 1 || stroke.width % 2 == 1;
}

// Anti-aliased one-pixel (odd) outlines run through pixel centres so that they stay sharp.
QPointF stroke_offset(bool antialias, const Stroke& stroke) {
  return antialias && odd_width(stroke) ? QPointF(0.5, 0.5) : QPointF(0, 0);
}

// The path rectangle of a figure whose right and bottom edges lie outside it.
QRectF outline_rect(const QRectF& rect, QPointF offset) {
  return QRectF(rect.x() + offset.x(), rect.y() + offset.y(), std::max(rect.width() - 1, 0.0),
                std::max(rect.height() - 1, 0.0));
}

bool full_turn(double sweep) {
  return std::fmod(sweep, 360.0) == 0;
}

}  // namespace

QRect PainterRenderer::take_dirty() {
  const QRect area = dirty_;
  dirty_ = QRect();
  return area;
}

void PainterRenderer::add_dirty(const QRectF& rect) {
  dirty_ |= rect.normalized().toAlignedRect();
}

void PainterRenderer::begin_figure(bool antialias) {
  painter_.setRenderHint(QPainter::Antialiasing, antialias && !plain_);
  painter_.setBackgroundMode(Qt::TransparentMode);
}

QRectF PainterRenderer::stroke_bounds(const QRectF& rect, const Stroke& stroke) const {
  const double half = std::max(stroke.width, 1) / 2.0 + 1;
  return rect.normalized().adjusted(-half, -half, half, half);
}

void PainterRenderer::point(QPointF at, Argb colour) {
  const QRectF pixel(std::floor(at.x()), std::floor(at.y()), 1, 1);
  painter_.fillRect(pixel, to_qcolor(colour));
  add_dirty(pixel);
}

void PainterRenderer::line(QPointF from, QPointF to, const Stroke& stroke, bool antialias) {
  begin_figure(antialias);
  const QPointF offset = stroke_offset(antialias && !plain_, stroke);
  painter_.setPen(make_pen(stroke));
  painter_.drawLine(from + offset, to + offset);
  add_dirty(stroke_bounds(QRectF(from, to), stroke));
}

void PainterRenderer::polyline(std::span<const QPointF> points, const Stroke& stroke,
                               bool antialias) {
  if (plain_ && points.size() > kPlainPolylineMax) points = points.first(kPlainPolylineMax);
  if (points.empty()) return;
  begin_figure(antialias);
  const QPointF offset = stroke_offset(antialias && !plain_, stroke);
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const QPointF& p : points) polygon.append(p + offset);
  painter_.setPen(make_pen(stroke));
  painter_.drawPolyline(polygon);
  add_dirty(stroke_bounds(polygon.boundingRect(), stroke));
}

void PainterRenderer::polygon(std::span<const QPointF> points, const Stroke& stroke,
                              const Fill& fill, bool antialias) {
  if (points.empty()) return;
  begin_figure(antialias);
  const QPointF offset = stroke_offset(antialias && !plain_, stroke);
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const QPointF& p : points) polygon.append(p + offset);
  const FillChoice choice = classify_fill(fill.style, false);
  if (choice.kind == FillKind::Solid) {
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setBackground(to_qcolor(fill.background));
  }
  painter_.setPen(make_pen(stroke));
  painter_.setBrush(make_brush(choice, fill));
  painter_.drawPolygon(polygon);
  add_dirty(stroke_bounds(polygon.boundingRect(), stroke));
}

void PainterRenderer::ellipse(const QRectF& box, double start, double sweep, const Stroke& stroke,
                              const Fill& fill, bool antialias) {
  begin_figure(antialias);
  const FillChoice choice = classify_fill(fill.style, false);
  Stroke outline = stroke;
  if (choice.kind == FillKind::Solid) {
    outline.line_type = kLineSolid;
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setBackground(to_qcolor(fill.background));
  } else if (choice.kind != FillKind::None) {
    outline.line_type = kLineNone;
  }
  const QRectF rect = outline_rect(box.normalized(), stroke_offset(antialias && !plain_, outline));
  painter_.setPen(make_pen(outline));
  painter_.setBrush(make_brush(choice, fill));
  if (full_turn(sweep)) {
    painter_.drawEllipse(rect);
  } else {
    QPainterPath path;
    if (choice.kind == FillKind::None) {
      path.arcMoveTo(rect, start);
      path.arcTo(rect, start, sweep);
      painter_.setBrush(Qt::NoBrush);
    } else {
      path.moveTo(rect.center());
      path.arcTo(rect, start, sweep);
      path.closeSubpath();
    }
    painter_.drawPath(path);
  }
  add_dirty(stroke_bounds(box, outline));
}

void PainterRenderer::rectangle(const QRectF& rect, const Stroke& stroke, const Fill& fill,
                                bool antialias) {
  begin_figure(antialias);
  const QRectF box = rect.normalized();
  FillChoice choice = classify_fill(fill.style, true);
  if (choice.kind == FillKind::Shaded && plain_) choice = {FillKind::Solid, Qt::SolidPattern};
  if (choice.kind == FillKind::Shaded) {
    paint_shaded_fill(painter_, box, 0, fill.style, fill.colour, shading_);
    begin_figure(antialias);
    painter_.setBrush(Qt::NoBrush);
  } else {
    if (choice.kind == FillKind::Solid) {
      painter_.setBackgroundMode(Qt::OpaqueMode);
      painter_.setBackground(to_qcolor(fill.background));
    }
    painter_.setBrush(make_brush(choice, fill));
  }
  painter_.setPen(make_pen(stroke));
  painter_.drawRect(outline_rect(box, stroke_offset(antialias && !plain_, stroke)));
  add_dirty(stroke_bounds(box, stroke));
}

void PainterRenderer::rounded_rectangle(const QRectF& rect, double radius, const Stroke& stroke,
                                        const Fill& fill, int frame_kind, const EdgeColours& edges,
                                        bool antialias) {
  const QRectF box = rect.normalized();
  if (plain_ || (radius <= 0 && fill.style <= kFillKeepPrevious)) {
    rectangle(box, stroke, fill, antialias);
  } else {
    begin_figure(antialias);
    const QRectF path_rect = outline_rect(box, stroke_offset(antialias, stroke));
    const FillChoice choice = classify_fill(fill.style, true);
    if (choice.kind == FillKind::Shaded) {
      paint_shaded_fill(painter_, box, radius, fill.style, fill.colour, shading_);
      begin_figure(antialias);
      painter_.setBrush(Qt::NoBrush);
    } else {
      painter_.setBrush(make_brush(choice, fill));
    }
    painter_.setPen(make_pen(stroke));
    if (radius > 0)
      painter_.drawRoundedRect(path_rect, radius, radius);
    else
      painter_.drawRect(path_rect);
    add_dirty(stroke_bounds(box, stroke));
  }
  if (frame_kind > 0 && radius <= 0)
    frame(box.toAlignedRect(), frame_kind, std::max(stroke.width, 1), edges);
}

void PainterRenderer::frame(const QRect& rect, int kind, int width, const EdgeColours& edges) {
  if (paint_frame_3d(painter_, rect.normalized(), kind, width, edges)) add_dirty(rect.normalized());
}

void PainterRenderer::bars(QPointF origin, std::span<const std::uint8_t> pattern, double module,
                           double height, int direction) {
  begin_figure(false);
  module = std::max(module, 1.0);
  const QColor black(Qt::black);
  const int way = direction & 6;
  const bool vertical_bars = way == kBarsLeftToRight || way == kBarsRightToLeft;
  const double sign = way == kBarsRightToLeft || way == kBarsBottomToTop ? -1 : 1;
  double step = 0;
  QRectF covered;
  for (const std::uint8_t byte : pattern) {
    for (int bit = 7; bit >= 0; --bit, step += 1) {
      if (!((byte >> bit) & 1)) continue;
      const double along = sign > 0 ? step * module : -(step + 1) * module;
      const QRectF bar = vertical_bars
                             ? QRectF(origin.x() + along, origin.y() - height, module, height)
                             : QRectF(origin.x(), origin.y() + along, height, module);
      painter_.fillRect(bar, black);
      covered |= bar;
    }
  }
  if (!covered.isEmpty()) add_dirty(covered);
}

void PainterRenderer::control_glyph(const QRect& rect_in, int kind, int state) {
  const QRect rect = rect_in.normalized();
  if (rect.isEmpty()) return;
  const int family = kind & 0xF0;
  if (family != 0x10 && family != 0x20 && family != 0x30) return;
  begin_figure(false);
  const QColor ink = to_qcolor(state & kGlyphInactive ? kGlyphInactiveInk : kGlyphInk);
  const bool pushed = (state & kGlyphPushed) != 0;
  const bool checked = (state & kGlyphChecked) != 0;
  const EdgeColours edges;
  auto button = [&](Argb face) {
    painter_.fillRect(rect, to_qcolor(face));
    if (state & kGlyphFlat) {
      paint_frame_3d(painter_, rect, kFrameFlat, 1, edges);
    } else {
      paint_frame_3d(painter_, rect, pushed ? kFrameSunken : kFrameRaised, 2, edges);
    }
  };
  // The glyph's square inside the button, moved by a pixel while pushed.
  const int side = std::max(std::min(rect.width(), rect.height()) / 2, 3);
  QRectF inner(rect.center().x() - side / 2.0 + 0.5, rect.center().y() - side / 2.0 + 0.5, side,
               side);
  if (pushed) inner.translate(1, 1);
  auto triangle = [&](QPointF a, QPointF b, QPointF c) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ink);
    painter_.drawPolygon(QPolygonF({a, b, c}));
  };
  const double l = inner.left(), r = inner.right(), t = inner.top(), b = inner.bottom();
  const QPointF mid = inner.center();
  QPen pen(ink, std::max(side / 6, 1));
  switch (kind) {
    case 0x10:  // close
      button(kButtonFace);
      painter_.setPen(pen);
      painter_.drawLine(QPointF(l, t), QPointF(r, b));
      painter_.drawLine(QPointF(l, b), QPointF(r, t));
      break;
    case 0x11:  // maximise
      button(kButtonFace);
      painter_.setPen(QPen(ink, 1));
      painter_.setBrush(Qt::NoBrush);
      painter_.drawRect(inner);
      painter_.fillRect(QRectF(l, t, inner.width(), std::max(side / 5, 1)), ink);
      break;
    case 0x12:  // minimise
      button(kButtonFace);
      painter_.fillRect(
          QRectF(l, b - std::max(side / 5, 1), inner.width() * 0.6, std::max(side / 5, 1)), ink);
      break;
    case 0x13: {  // restore: two windows
      button(kButtonFace);
      painter_.setPen(QPen(ink, 1));
      painter_.setBrush(Qt::NoBrush);
      const double s = side * 0.7;
      painter_.drawRect(QRectF(r - s, t, s, s));
      painter_.fillRect(QRectF(l, b - s, s, s), to_qcolor(kButtonFace));
      painter_.drawRect(QRectF(l, b - s, s, s));
      break;
    }
    case 0x20:  // combo box arrow
    case 0x21:  // down
      button(kButtonFace);
      triangle(QPointF(l, t + side * 0.3), QPointF(r, t + side * 0.3),
               QPointF(mid.x(), b - side * 0.2));
      break;
    case 0x22:  // left
      button(kButtonFace);
      triangle(QPointF(r - side * 0.3, t), QPointF(r - side * 0.3, b),
               QPointF(l + side * 0.2, mid.y()));
      break;
    case 0x23:  // right
      button(kButtonFace);
      triangle(QPointF(l + side * 0.3, t), QPointF(l + side * 0.3, b),
               QPointF(r - side * 0.2, mid.y()));
      break;
    case 0x24:  // size grip: three diagonal strokes in the corner
      painter_.fillRect(rect, to_qcolor(kButtonFace));
      painter_.setPen(QPen(to_qcolor(edges.shadow), 1));
      for (int i = 1; i <= 3; ++i) {
        const double d = rect.width() * i / 4.0;
        painter_.drawLine(QPointF(rect.right() + 1 - d, rect.bottom()),
                          QPointF(rect.right(), rect.bottom() + 1 - d));
      }
      break;
    case 0x25:  // up
      button(kButtonFace);
      triangle(QPointF(l, b - side * 0.3), QPointF(r, b - side * 0.3),
               QPointF(mid.x(), t + side * 0.2));
      break;
    case 0x30:  // check box
      painter_.fillRect(rect, to_qcolor(pushed ? kButtonFace : kBoxWhite));
      paint_frame_3d(painter_, rect, state & kGlyphFlat ? kFrameFlat : kFrameSunken, 2, edges);
      if (checked) {
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(pen);
        painter_.drawPolyline(
            QPolygonF({QPointF(l, mid.y()), QPointF(mid.x() - side * 0.1, b), QPointF(r, t)}));
      }
      break;
    case 0x31: {  // radio button
      painter_.setRenderHint(QPainter::Antialiasing, true);
      painter_.setPen(QPen(to_qcolor(edges.shadow), 1));
      painter_.setBrush(to_qcolor(pushed ? kButtonFace : kBoxWhite));
      painter_.drawEllipse(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
      if (checked) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ink);
        painter_.drawEllipse(mid, side / 4.0, side / 4.0);
      }
      break;
    }
    case 0x32:  // push button
      button(kButtonFace);
      break;
    default:
      return;
  }
  add_dirty(rect);
}

void PainterRenderer::picture(const QImage& image, const QRectF& rect) {
  if (image.isNull() || rect.isEmpty()) return;
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter_.drawImage(rect.normalized(), image);
  add_dirty(rect);
}

}  // namespace kovw::graphics
