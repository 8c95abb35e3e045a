// The text operation of the renderer.
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <algorithm>

#include "graphics/painter_renderer.h"
#include "graphics/pens_and_brushes.h"

namespace kovw::graphics {

namespace {

constexpr int kMaxBoxWidth = 15;

QString qstring(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool wants_box(const TextOptions& o) {
  return (o.flags & kTextBox) || ((o.flags & kTextBoxWidth) && o.t4 > 0);
}

int box_width(const TextOptions& o) {
  if (o.t4 < 1) return o.t6 != 0 ? 1 : 0;
  return std::min(o.t4, kMaxBoxWidth);
}

}  // namespace

QRectF PainterRenderer::text(QPointF at, const std::u16string& text_in, const TextStyle& style,
                             const TextColours& colours) {
  const TextOptions& o = style.options;
  const std::u16string text = trim_trailing_blanks(text_in, o.flags);
  if (text.empty()) return {};
  QFont font = style.font;
  if (!style.antialias || plain_)
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoAntialias));

  const bool rotated = style.angle % 3600 != 0;
  // Rotated texts are laid out at the origin and turned around their start.
  const QPointF origin = rotated ? QPointF(0, 0) : at;
  const TextMeasure measure(font, style.advances);
  const TextPlacement placement =
      place_text(text, origin.x(), origin.y(), o.flags, style.length, measure, style.average_width);

  // Only rotated texts change the painter's transform, and only they need it saved.
  if (rotated) {
    painter_.save();
    painter_.translate(at);
    painter_.rotate(-style.angle / 10.0);
  }
  begin_figure(style.antialias);
  painter_.setRenderHint(QPainter::TextAntialiasing, style.antialias && !plain_);
  QRectF covered = placement.bounds;
  if (wants_box(o)) {
    const int width = box_width(o);
    const QRectF box = placement.bounds.adjusted(-width - 1, -width - 1, width + 1, width + 1);
    Stroke no_outline;
    no_outline.line_type = kLineNone;
    Fill fill;
    fill.style = o.t3;
    fill.option = o.t7;
    fill.colour = colours.background;
    fill.second = colours.background;
    fill.background = colours.background;
    rectangle(box.adjusted(0, 0, 1, 1), no_outline, fill, false);
    if (o.t6 != 0 && width > 0)
      paint_frame_3d(painter_, box.toAlignedRect(), o.t6, width, colours.box_edges);
    covered = box;
  } else if ((o.flags & kTextOpaque) && style.fill_style <= kFillKeepPrevious) {
    painter_.fillRect(placement.bounds, to_qcolor(colours.background));
  }

  painter_.setFont(font);
  painter_.setPen(to_qcolor(colours.text));
  if (o.flags & kTextScreenLine) {
    // A line of the text screen: the window's background behind, characters at the spacing.
    const double step = o.t5 > 0 ? o.t5 : measure.width(u"0");
    const QRectF line(placement.bounds.left(), placement.bounds.top(),
                      step * static_cast<double>(text.size()), placement.bounds.height());
    painter_.fillRect(line, to_qcolor(colours.window_background));
    for (std::size_t i = 0; i < text.size(); ++i) {
      painter_.drawText(
          QPointF(placement.bounds.left() + step * static_cast<double>(i), origin.y()),
          QString(QChar(text[i])));
    }
    covered = line;
  } else {
    for (const TextPlacement::Run& run : placement.runs) {
      if (placement.horizontal_scale != 1) {
        painter_.save();
        painter_.translate(run.x, origin.y());
        painter_.scale(placement.horizontal_scale, 1);
        painter_.drawText(QPointF(0, 0), qstring(run.text));
        painter_.restore();
      } else {
        painter_.drawText(QPointF(run.x, origin.y()), qstring(run.text));
      }
    }
  }
  const QRectF device_rect = rotated ? painter_.transform().mapRect(covered) : covered;
  if (rotated) painter_.restore();
  add_dirty(device_rect.adjusted(-1, -1, 1, 1));
  return device_rect;
}

}  // namespace kovw::graphics
