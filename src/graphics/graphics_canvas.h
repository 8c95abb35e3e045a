#pragma once
// The drawing commands of a graphics window in the stream's own terms: world coordinates,
// coordinate modes, line and fill styles, colour slots, text options and fonts. Each command
// is turned into device figures for the renderer by the rules of its kind (which points,
// which pen, which brush, which font), and moves the current position.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "graphics/drawing_state.h"
#include "graphics/font_selector.h"
#include "graphics/painter_renderer.h"
#include "graphics/world_mapping.h"

namespace kovw::graphics {

// Where the fonts of a window come from.
struct FontSources {
  FontSelector& selector;
  const FontNameTable& names;
  const FontWindowFacts& facts;
  bool trace = false;
};

// What the last text drawn measured (KWK_GTLEN): its width and first measured width in world
// units, the characters drawn, and where it started against its position (world units).
struct LastText {
  std::int32_t width = 0;
  std::int32_t measured_width = 0;
  std::int32_t characters = 0;
  std::int32_t offset = 0;
};

class GraphicsCanvas {
 public:
  GraphicsCanvas(PainterRenderer& renderer, const WorldMapping& mapping)
      : renderer_(renderer), mapping_(mapping) {}

  PainterRenderer& renderer() { return renderer_; }
  const WorldMapping& mapping() const { return mapping_; }
  // The current position, device pixels.
  DevicePointF current() const { return current_; }
  void set_current(DevicePointF at) { current_ = at; }

  // DB_LINE: one point sets a pixel, two draw a line, more (at most 100) a polyline, or a
  // filled polygon with line option 0x08 and more than 3 points. The last point becomes the
  // current position.
  void lines(std::span<const WorldPoint> points, const DrawingAttributes& a);
  // DB_KREIS: a circle, ellipse, arc or pie.
  void circle(const CircleCommand& c, const DrawingAttributes& a);
  // DB_RECT: a rectangle, a 3-D frame (style 32) or a rounded or shaded rectangle.
  void rectangle(const RectangleCommand& r, const DrawingAttributes& a);
  // DB_TEXT (and DB_MSG at 0, 0): returns 0, or kNoFont when no font can be had (the text is
  // not drawn).
  int text(std::int32_t x, std::int32_t y, std::string_view bytes, const DrawingAttributes& a,
           const FontSources& fonts);
  const LastText& last_text() const { return last_text_; }
  // DB_BARS.
  void bars(const BarsCommand& b);
  // DB_CONTROL; from host library 3.13.6 the right edge is one pixel wider.
  void control(int kind, int state, std::int32_t x1, std::int32_t y1, std::int32_t x2,
               std::int32_t y2, bool wider_right_edge);
  // The device rectangle of a world rectangle (pictures, tooltips, segments), normalised.
  QRectF device_rect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;

 private:
  DevicePointF device(WorldPoint p, bool relative) const;

  PainterRenderer& renderer_;
  const WorldMapping& mapping_;
  DevicePointF current_;
  LastText last_text_;
};

// The angle in degrees (0 to 360, counter-clockwise from the positive x axis) of `point` seen
// from `centre`, both in device pixels (y downwards).
double angle_from_centre(DevicePointF centre, DevicePointF point);

}  // namespace kovw::graphics
