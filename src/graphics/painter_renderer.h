#pragma once
// Draws the figures of graphics windows with a QPainter on any paint device: an image for a
// window's off-screen bitmap, a printer page for paper. Coordinates are device pixels; the
// world mapping is applied before (world_mapping.h), never as a painter transform, so that pen
// widths, fonts and hatches keep their sizes in pixels.
//
// Rectangles and ellipse boxes follow the platform's rule: the right and bottom edges lie
// outside the figure. Lines leave out their last point.
//
// Two sets of operations exist: the smooth set (the default) draws anti-aliased where a figure
// asks for it, translucent colours and rounded and shaded rectangles; the plain set (print jobs
// that ask for it) draws without anti-aliasing, at most 120 points of a polyline, and rounded
// and shaded rectangles as plain ones.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <span>

#include "graphics/figure_style.h"
#include "graphics/frame_3d.h"
#include "graphics/shaded_fill.h"
#include "graphics/text_layout.h"

class QPainter;

namespace kovw::graphics {

inline constexpr int kPlainPolylineMax = 120;

// State bits of control glyphs.
inline constexpr int kGlyphInactive = 0x01;
inline constexpr int kGlyphPushed = 0x02;
inline constexpr int kGlyphChecked = 0x04;
inline constexpr int kGlyphFlat = 0x40;

// Directions of bar patterns (bits 1-2 of the direction value).
inline constexpr int kBarsLeftToRight = 0;
inline constexpr int kBarsTopToBottom = 2;
inline constexpr int kBarsRightToLeft = 4;
inline constexpr int kBarsBottomToTop = 6;

// The colours of a text: text (slot 0x10), background and box fill (0x11), the box's edges
// (0x12-0x14, 0x1E), and the window's background behind text screen lines.
struct TextColours {
  Argb text = kOpaqueBlack;
  Argb background = kOpaqueWhite;
  EdgeColours box_edges;
  Argb window_background = kOpaqueWhite;
};

// What a text is drawn with besides its colours.
struct TextStyle {
  QFont font;                // the current font (pixel size set)
  double average_width = 0;  // of the font, pixels
  // The font's advances of the first 256 characters (FontMetrics), or none: then texts are
  // measured through the toolkit.
  const std::array<float, 256>* advances = nullptr;
  TextOptions options;
  double length = 0;   // the mapped text length, pixels (0: none)
  int angle = 0;       // tenths of a degree, counter-clockwise
  int fill_style = 0;  // of the drawing state: above 100 no opaque background
  bool antialias = true;
};

class PainterRenderer {
 public:
  // `painter` must be active on its device. Every figure sets the pen, brush, background mode
  // and anti-aliasing it needs; other painter state (clipping, transform) is the caller's.
  explicit PainterRenderer(QPainter& painter) : painter_(painter) {}

  QPainter& painter() { return painter_; }
  void set_plain(bool plain) { plain_ = plain; }
  bool plain() const { return plain_; }
  void set_shading(const ShadingSettings& shading) { shading_ = shading; }
  const ShadingSettings& shading() const { return shading_; }

  // The area changed since the last take_dirty() (device pixels, whole pixels).
  QRect dirty() const { return dirty_; }
  QRect take_dirty();
  void add_dirty(const QRectF& rect);

  // One pixel.
  void point(QPointF at, Argb colour);
  // A line from `from` to `to`, without its last point.
  void line(QPointF from, QPointF to, const Stroke& stroke, bool antialias);
  // An open polyline (the plain set draws at most kPlainPolylineMax points).
  void polyline(std::span<const QPointF> points, const Stroke& stroke, bool antialias);
  // A closed polygon filled with `fill` (any style of classify_fill but shaded).
  void polygon(std::span<const QPointF> points, const Stroke& stroke, const Fill& fill,
               bool antialias);
  // An ellipse in `box`; when `sweep` (degrees, counter-clockwise from `start`, 0 at three
  // o'clock) is not a multiple of 360, an arc (fill style 0) or a pie. The outline is solid for
  // fill style 1, absent for the other fill styles but 0, else the stroke's line type.
  void ellipse(const QRectF& box, double start, double sweep, const Stroke& stroke,
               const Fill& fill, bool antialias);
  // A rectangle with outline and fill; styles above 100 are shaded fills (solid in the plain
  // set).
  void rectangle(const QRectF& rect, const Stroke& stroke, const Fill& fill, bool antialias);
  // A rounded (radius above 0) or shaded rectangle, outlined with the stroke; a frame kind
  // above 0 draws a 3-D frame over a square one.
  void rounded_rectangle(const QRectF& rect, double radius, const Stroke& stroke, const Fill& fill,
                         int frame_kind, const EdgeColours& edges, bool antialias);
  // A 3-D frame of `width` pixels inside `rect`.
  void frame(const QRect& rect, int kind, int width, const EdgeColours& edges);
  // A bar pattern: each bit of `pattern`, most significant first, advances by `module` pixels
  // (at least 1); a 1 bit draws a black bar `module` wide and `height` long. Vertical bars
  // stand on `origin` and reach upwards; horizontal bars start at it and reach right.
  void bars(QPointF origin, std::span<const std::uint8_t> pattern, double module, double height,
            int direction);
  // A window control glyph (kinds 0x10-0x13 caption buttons, 0x20-0x25 scroll bar parts,
  // 0x30-0x32 buttons) in `rect` with the state bits above.
  void control_glyph(const QRect& rect, int kind, int state);
  // A picture scaled into `rect`.
  void picture(const QImage& image, const QRectF& rect);
  // A text on its baseline at `at` (trailing blanks as the flags say, alignment, fitting,
  // rotation, box and background); returns the device rectangle it covers.
  QRectF text(QPointF at, const std::u16string& text, const TextStyle& style,
              const TextColours& colours);

 private:
  void begin_figure(bool antialias);
  QRectF stroke_bounds(const QRectF& rect, const Stroke& stroke) const;

  QPainter& painter_;
  bool plain_ = false;
  ShadingSettings shading_;
  QRect dirty_;
};

}  // namespace kovw::graphics
