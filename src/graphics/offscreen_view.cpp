#include "graphics/offscreen_view.h"

#include <QPainter>
#include <algorithm>

namespace kovw::graphics {

bool OffscreenBitmap::create(int width, int height, Argb background) {
  image_ = QImage();
  if (width <= 0 || height <= 0) return false;
  QImage made(width, height, QImage::Format_ARGB32_Premultiplied);
  if (made.isNull()) return false;
  made.fill(QColor::fromRgba(background));
  image_ = std::move(made);
  return true;
}

QImage OffscreenBitmap::visible(const QRect& view) const {
  return image_.copy(view & image_.rect());
}

std::vector<std::size_t> segments_in_view(std::span<const QRect> segments, const QRect& view) {
  std::vector<std::size_t> in_view;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (segments[i].normalized().intersects(view)) in_view.push_back(i);
  }
  return in_view;
}

QImage compose_segmented(const QImage& background, const SegmentedView& view,
                         std::span<const QRect> segments, const SegmentReplay& replay) {
  if (view.view.isEmpty()) return {};
  QImage picture(view.view.size(), QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  // The background's own part: where the background ends, the rest stays white.
  painter.drawImage(QPoint(0, 0), background, view.view);
  const QPoint scroll = -view.view.topLeft();
  for (const std::size_t index : segments_in_view(segments, view.view)) {
    painter.save();
    replay(index, painter, scroll);
    painter.restore();
  }
  // Headers stay where they are while the rest scrolls.
  if (view.header_rows > 0) {
    const int rows = std::min(view.header_rows, view.view.height());
    painter.drawImage(QPoint(0, 0), background,
                      QRect(view.view.left(), 0, view.view.width(), rows));
  }
  if (view.header_columns > 0) {
    const int columns = std::min(view.header_columns, view.view.width());
    painter.drawImage(QPoint(0, 0), background,
                      QRect(0, view.view.top(), columns, view.view.height()));
  }
  return picture;
}

}  // namespace kovw::graphics
