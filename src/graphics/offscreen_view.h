#pragma once
// The pictures behind a graphics window. Every window draws into an off-screen bitmap of its
// whole drawing area, and painting copies the visible part. Segmented windows (drawing areas
// larger than the window, recorded in rectangular segments) instead build the visible part on
// each paint: the window's background bitmap, then every segment that reaches into the view
// replayed with the scroll position as offset, then the fixed header rows and columns from the
// background on top.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <functional>
#include <span>
#include <vector>

#include "graphics/figure_style.h"

class QPainter;

namespace kovw::graphics {

class OffscreenBitmap {
 public:
  // Makes the bitmap of `width` x `height` filled with `background`; false when the memory
  // cannot be had (the bitmap is then empty).
  bool create(int width, int height, Argb background);
  bool empty() const { return image_.isNull(); }
  QImage& image() { return image_; }
  const QImage& image() const { return image_; }
  // A copy of the part of the drawing area under `view` (clipped to the bitmap).
  QImage visible(const QRect& view) const;

 private:
  QImage image_;
};

// The indexes of the segments that overlap `view`, in their order. A segment that reaches into
// the view from outside is replayed too, so that figures crossing the view's edges are drawn.
std::vector<std::size_t> segments_in_view(std::span<const QRect> segments, const QRect& view);

struct SegmentedView {
  QRect view;              // the visible part, in drawing-area pixels (its corner is the scroll)
  int header_rows = 0;     // rows at the top kept in place while scrolling vertically
  int header_columns = 0;  // columns at the left kept in place while scrolling horizontally
};

// Replays segment `index` with `painter` on the view's picture; the scroll offset is the
// negated scroll position. Returns false at the first chunk that fails (that segment stops).
using SegmentReplay = std::function<bool(std::size_t index, QPainter& painter, QPoint scroll)>;

// The picture of `view`: the background's part, the segments in view replayed over it, then
// the header rows and columns copied from the background's top and left edges.
QImage compose_segmented(const QImage& background, const SegmentedView& view,
                         std::span<const QRect> segments, const SegmentReplay& replay);

}  // namespace kovw::graphics
