#include "graphics/graphics_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "graphics/text_layout.h"

namespace kovw::graphics {

namespace {

QPointF qpoint(DevicePointF p) {
  return {p.x, p.y};
}

Stroke stroke_of(const DrawingAttributes& a, int colour_slot) {
  return Stroke{a.line_type, a.line_width, a.colours.at(colour_slot)};
}

EdgeColours edges_of(const ColourSlots& c) {
  return {c.at(kSlotEdge1), c.at(kSlotEdge1 + 1), c.at(kSlotEdge1 + 2), c.at(kSlotEdge4)};
}

}  // namespace

double angle_from_centre(DevicePointF centre, DevicePointF point) {
  const double degrees =
      std::atan2(centre.y - point.y, point.x - centre.x) * 180.0 / std::numbers::pi;
  return degrees < 0 ? degrees + 360.0 : degrees;
}

DevicePointF GraphicsCanvas::device(WorldPoint p, bool relative) const {
  if (!relative) return mapping_.map_f(p.x, p.y);
  // An offset from the current position: the world distance scaled, y upwards.
  const double dx = static_cast<double>(mapping_.x_numerator) * p.x / mapping_.x_denominator;
  const double dy = static_cast<double>(mapping_.y_numerator) * p.y / mapping_.y_denominator;
  return {current_.x + dx, current_.y + dy};
}

QRectF GraphicsCanvas::device_rect(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                   std::int32_t y2) const {
  return QRectF(qpoint(mapping_.map_f(x1, y1)), qpoint(mapping_.map_f(x2, y2))).normalized();
}

void GraphicsCanvas::lines(std::span<const WorldPoint> points, const DrawingAttributes& a) {
  if (points.empty()) return;
  if (points.size() > kLinePointsMax) points = points.first(kLinePointsMax);
  const bool relative = (a.line_options & kLineRelative) != 0;
  const bool smooth = !(a.line_options & kLineNoSmoothing);
  std::vector<QPointF> device_points;
  device_points.reserve(points.size());
  for (const WorldPoint& p : points) device_points.push_back(qpoint(device(p, relative)));
  const Stroke stroke = stroke_of(a, kSlotLine);
  if (device_points.size() == 1) {
    renderer_.point(device_points[0], stroke.colour);
  } else if (device_points.size() == 2) {
    renderer_.line(device_points[0], device_points[1], stroke, smooth);
  } else if ((a.line_options & kLineFilledPolygon) && device_points.size() > 3) {
    Fill fill;
    fill.style = (a.line_mark >> 4) & 0x0F;
    fill.colour = stroke.colour;
    fill.second = a.colours.at(kSlotSecondFill);
    fill.background = a.background;
    renderer_.polygon(device_points, stroke, fill, smooth);
  } else {
    renderer_.polyline(device_points, stroke, smooth);
  }
  current_ = {device_points.back().x(), device_points.back().y()};
}

void GraphicsCanvas::circle(const CircleCommand& c, const DrawingAttributes& a) {
  const bool relative = (c.flags & kCircleRelative) != 0;
  const DevicePointF centre = device({c.x, c.y}, relative);
  QRectF box;
  double start = 0, sweep = 360;
  if (c.extended) {
    box = device_rect(c.x1, c.y1, c.x2, c.y2);
    if (c.arc_kind == kArcByAngles) {
      start = c.start / 100.0;
      sweep = (c.end - c.start) / 100.0;
    } else {
      // The arc runs from the first point to the second, as seen from the box's centre.
      const DevicePointF middle{box.center().x(), box.center().y()};
      const DevicePointF from = device({c.x, c.y}, relative);
      const DevicePointF to = device({c.start, c.end}, relative);
      if (from.x != to.x || from.y != to.y) {
        start = angle_from_centre(middle, from);
        double end = angle_from_centre(middle, to);
        if (end <= start) end += 360;
        sweep = end - start;
      }
    }
  } else {
    const double r = std::fabs(mapping_.map_length_x_f(c.radius));
    box = QRectF(centre.x - r, centre.y - r, 2 * r, 2 * r);
    start = c.start / 100.0;
    sweep = (c.end - c.start) / 100.0;
  }
  Fill fill;
  fill.style = a.fill_style;
  fill.option = a.fill_option;
  fill.colour = a.colours.at(kSlotCircle);
  fill.second = a.colours.at(kSlotSecondFill);
  // Style 15 draws in the second fill colour with it as background for the figure.
  fill.background = a.fill_style == kFillSecondColour ? fill.second : a.background;
  renderer_.ellipse(box, start, sweep, stroke_of(a, kSlotCircle), fill,
                    !(c.flags & kFigureNoSmoothing));
  current_ = centre;
}

void GraphicsCanvas::rectangle(const RectangleCommand& r, const DrawingAttributes& a) {
  QRectF rect;
  if (r.mode == kRectDeviceUnits) {
    rect = QRectF(QPointF(r.x1, r.y1), QPointF(r.x2, r.y2)).normalized();
  } else {
    const bool relative = r.mode == kRectRelative;
    rect = QRectF(qpoint(device({r.x1, r.y1}, relative)), qpoint(device({r.x2, r.y2}, relative)))
               .normalized();
  }
  const bool smooth = !(r.flags & kFigureNoSmoothing);
  const EdgeColours edges = edges_of(a.colours);
  const Argb rect_colour = a.colours.at(kSlotRectangle);
  if (r.style == kRectFrameStyle && r.frame_kind != 0) {
    const int width = std::max(a.line_width, 1);
    QRect frame = rect.toAlignedRect();
    if (r.flags & (kRectFrameInside | kRectFrameInside2))
      frame = frame.adjusted(width, width, -width, -width);
    renderer_.frame(frame, r.frame_kind, width, edges);
  } else {
    Fill fill;
    fill.style = a.fill_style;
    fill.option = a.fill_option;
    fill.colour = rect_colour;
    // Style 15 takes the second fill colour only when the rectangle asks for it.
    fill.second = (r.flags & kRectSecondColour) ? a.colours.at(kSlotSecondFill) : rect_colour;
    fill.background = a.background;
    const Stroke stroke{a.line_type, a.line_width, rect_colour};
    const double radius = std::fabs(mapping_.map_length_x_f(r.radius));
    if (((r.flags & kRectRounded) && radius > 0) || a.fill_style > kFillKeepPrevious) {
      renderer_.rounded_rectangle(rect, radius, stroke, fill, 0, edges, smooth);
    } else {
      renderer_.rectangle(rect, stroke, fill, smooth);
    }
  }
  current_ = {rect.right(), rect.bottom()};
}

int GraphicsCanvas::text(std::int32_t x, std::int32_t y, std::string_view bytes,
                         const DrawingAttributes& a, const FontSources& fonts) {
  const std::u16string text = graphics_text(bytes, a.text.flags);
  const DevicePointF at = mapping_.map_f(x, y);
  if (a.text_angle != 0 || !fonts.selector.current()) {
    // A rotated text asks for its font again with the angle as the attribute.
    FontRequest request = a.font;
    if (a.text_angle != 0) request.attribute = a.text_angle;
    if (fonts.selector.select(request, fonts.facts, fonts.names, FontOrigin::Drawing, false,
                              fonts.trace) != 0 &&
        !fonts.selector.current())
      return kNoFont;
  }
  const auto& font = fonts.selector.current();
  if (!font) return kNoFont;
  TextStyle style;
  style.font = font->font;
  style.average_width = font->metrics.average_pixels();
  style.advances = &font->metrics.latin1_advances;
  style.options = a.text;
  style.length = std::fabs(mapping_.map_length_x_f(a.text_length));
  style.angle = a.text_angle;
  style.fill_style = a.fill_style;
  style.antialias = true;
  TextColours colours;
  colours.text = a.colours.at(kSlotText);
  colours.background = a.colours.at(kSlotTextBackground);
  colours.box_edges = {a.colours.at(kSlotTextEdge1), a.colours.at(kSlotTextEdge2),
                       a.colours.at(kSlotTextEdge3), a.colours.at(kSlotTextEdge4)};
  colours.window_background = a.background;
  const QRectF covered = renderer_.text(qpoint(at), text, style, colours);
  const double scale = std::fabs(mapping_.x_scale());
  auto world = [scale](double pixels) {
    return static_cast<std::int32_t>(scale > 0 ? pixels / scale : pixels);
  };
  last_text_.width = world(covered.width());
  last_text_.measured_width = last_text_.width;
  last_text_.characters = static_cast<std::int32_t>(text.size());
  last_text_.offset = world(covered.left() - at.x);
  return 0;
}

void GraphicsCanvas::bars(const BarsCommand& b) {
  const DevicePointF origin = mapping_.map_f(b.x, b.y);
  const double module = std::max(1.0, std::round(std::fabs(mapping_.map_length_x_f(b.module))));
  const double height = mapping_.map_length_y_f(b.height);
  renderer_.bars(qpoint(origin), b.pattern, module, height, b.direction);
}

void GraphicsCanvas::control(int kind, int state, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                             std::int32_t y2, bool wider_right_edge) {
  QRect rect = device_rect(x1, y1, x2, y2).toAlignedRect();
  if (wider_right_edge) rect.setRight(rect.right() + 1);
  renderer_.control_glyph(rect, kind, state);
}

}  // namespace kovw::graphics
