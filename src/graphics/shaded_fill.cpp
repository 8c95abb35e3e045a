#include "graphics/shaded_fill.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "graphics/shades.h"

namespace kovw::graphics {

namespace {

constexpr int kFirstTensStyle = 121;
constexpr int kMinimumInset = 5;
constexpr int kInsetSideLimit = 10;

Rgb rgb_of(Argb argb) {
  return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
          static_cast<std::uint8_t>(argb)};
}

QColor with_alpha(Rgb rgb, int alpha) {
  return QColor(rgb.red, rgb.green, rgb.blue, alpha);
}

QColor blend(const QColor& from, const QColor& to, double t) {
  auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                mix(from.blue(), to.blue()), mix(from.alpha(), to.alpha()));
}

void fill_gradient(QPainter& painter, const QRectF& rect, QPointF from, QPointF to,
                   const QColor& start, const QColor& end) {
  QLinearGradient gradient(from, to);
  gradient.setColorAt(0, start);
  gradient.setColorAt(1, end);
  painter.fillRect(rect, gradient);
}

// Kinds 107 and 108, pixel by pixel over the visible part: 107 measures the distance to the
// central area along the nearer axis (rectangular rings), 108 straight (rounded rings).
void fill_radial(QPainter& painter, const QRectF& rect, double radius, bool round,
                 const ShadeColours& shades) {
  const QRect whole = rect.toAlignedRect();
  QRect visible = whole;
  if (const QPaintDevice* device = painter.device())
    visible &=
        painter.worldTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
  if (painter.hasClipping()) visible &= painter.clipBoundingRect().toAlignedRect();
  if (visible.isEmpty()) return;
  const int inset = radial_inset(whole.width(), whole.height(), static_cast<int>(radius));
  const double inner_left = whole.left() + inset, inner_right = whole.right() + 1 - inset;
  const double inner_top = whole.top() + inset, inner_bottom = whole.bottom() + 1 - inset;
  QImage image(visible.size(), QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < visible.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const double cy = visible.top() + y + 0.5;
    const double dy = std::max({inner_top - cy, 0.0, cy - inner_bottom});
    for (int x = 0; x < visible.width(); ++x) {
      const double cx = visible.left() + x + 0.5;
      const double dx = std::max({inner_left - cx, 0.0, cx - inner_right});
      const double distance = round ? std::hypot(dx, dy) : std::max(dx, dy);
      const double t = inset > 0 ? std::min(distance / inset, 1.0) : 0.0;
      line[x] = qPremultiply(blend(shades.middle, shades.light, t).rgba());
    }
  }
  painter.drawImage(visible.topLeft(), image);
}

// The translucent bands of kinds 109 (straight edges) and 110 (curved inner edges).
void draw_bands(QPainter& painter, const QRectF& rect, bool curved, Argb fill,
                const ShadingSettings& settings) {
  const bool hsl = (settings.kind & 1) != 0;
  const Rgb base = rgb_of(fill);
  const double top_height = rect.height() * std::clamp(settings.top_band_percent, 0, 100) / 100.0;
  const double bottom_height =
      rect.height() * std::clamp(settings.bottom_band_percent, 0, 100) / 100.0;
  const QColor top = with_alpha(with_level(base, hsl, settings.top_band_level),
                                std::clamp(settings.top_band_alpha, 0, 255));
  const QColor bottom = with_alpha(with_level(base, hsl, settings.bottom_band_level),
                                   std::clamp(settings.bottom_band_alpha, 0, 255));
  QPainterPath top_band, bottom_band;
  if (curved) {
    // The top band bulges down in the middle; the bottom band rises as an arch.
    top_band.moveTo(rect.topLeft());
    top_band.lineTo(rect.topRight());
    top_band.lineTo(rect.right(), rect.top() + top_height * 0.6);
    top_band.quadTo(rect.center().x(), rect.top() + top_height * 1.4, rect.left(),
                    rect.top() + top_height * 0.6);
    top_band.closeSubpath();
    bottom_band.moveTo(rect.bottomLeft());
    bottom_band.quadTo(rect.center().x(), rect.bottom() - bottom_height * 2, rect.right(),
                       rect.bottom());
    bottom_band.closeSubpath();
  } else {
    top_band.addRect(QRectF(rect.left(), rect.top(), rect.width(), top_height));
    bottom_band.addRect(
        QRectF(rect.left(), rect.bottom() - bottom_height, rect.width(), bottom_height));
  }
  painter.fillPath(top_band, top);
  painter.fillPath(bottom_band, bottom);
}

}  // namespace

ShadedStyle decode_shaded_style(int style) {
  if (style < kFirstTensStyle) return {style, 0, 0};
  const int tens = (style / 10) % 10;
  const auto step = static_cast<std::uint8_t>(5 * tens);
  return {style - 10 * tens, step, step};
}

ShadeColours shade_colours(Argb fill, const ShadedStyle& style, const ShadingSettings& settings) {
  const std::uint8_t step1 = style.step1 != 0 ? style.step1 : settings.step1;
  const std::uint8_t step2 = style.step2 != 0 ? style.step2 : settings.step2;
  const Shades shades = compute_shades(rgb_of(fill), settings.kind, step1, step2, settings.margin);
  const int alpha = static_cast<int>(fill >> 24);
  return {with_alpha(shades.top, alpha), with_alpha(shades.middle, alpha),
          with_alpha(shades.bottom, alpha)};
}

int radial_inset(int width, int height, int radius) {
  if (radius > 0 && 2 * radius <= std::min(width, height)) return radius;
  int dx = width / 4, dy = height / 4;
  if (width > kInsetSideLimit) dx = std::max(dx, kMinimumInset);
  if (height > kInsetSideLimit) dy = std::max(dy, kMinimumInset);
  return std::max(std::min(dx, dy), 0);
}

void paint_shaded_fill(QPainter& painter, const QRectF& rect, double radius, int style, Argb fill,
                       const ShadingSettings& settings) {
  const ShadedStyle shaded = decode_shaded_style(style);
  const ShadeColours shades = shade_colours(fill, shaded, settings);
  const QColor colour = QColor::fromRgba(fill);
  painter.save();
  painter.setPen(Qt::NoPen);
  if (radius > 0) {
    QPainterPath outline;
    outline.addRoundedRect(rect, radius, radius);
    painter.setClipPath(outline, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  switch (shaded.kind) {
    case 101:
    case 109:
    case 110:
      fill_gradient(painter, rect, rect.topLeft(), rect.bottomLeft(), colour, shades.dark);
      if (shaded.kind != 101) draw_bands(painter, rect, shaded.kind == 110, fill, settings);
      break;
    case 102:
      fill_gradient(painter, rect, rect.topLeft(), rect.bottomLeft(), shades.dark, colour);
      break;
    case 103:
      fill_gradient(painter, rect, rect.topLeft(), rect.topRight(), colour, shades.dark);
      break;
    case 104:
      fill_gradient(painter, rect, rect.topLeft(), rect.topRight(), shades.dark, colour);
      break;
    case 105:
      fill_gradient(painter, rect, rect.topLeft(), rect.bottomRight(), colour, shades.dark);
      break;
    case 106:
      fill_gradient(painter, rect, rect.topLeft(), rect.bottomRight(), shades.dark, colour);
      break;
    case 107:
    case 108:
      fill_radial(painter, rect, radius, shaded.kind == 108, shades);
      break;
    default:
      painter.fillRect(rect, colour);
      break;
  }
  painter.restore();
}

}  // namespace kovw::graphics
