#include "session/view/window_placement.h"

#include <algorithm>

namespace kovw::session {

CascadeOffset& process_cascade_offset() {
  static CascadeOffset offset;
  return offset;
}

QPoint kept_in_work_area(const QRect& frame, const QRect& work_area) {
  QPoint position = frame.topLeft();
  if (frame.right() >= work_area.right())
    position.setX(std::max(work_area.left(), work_area.right() - frame.width()));
  if (frame.bottom() >= work_area.bottom())
    position.setY(std::max(work_area.top(), work_area.bottom() - frame.height()));
  return position;
}

QPoint place_new_window(const QRect& frame, const QRect& work_area, int step, bool cascade,
                        CascadeOffset& offset) {
  if (!cascade) return kept_in_work_area(frame, work_area);
  const QRect moved = frame.translated(offset.dx, offset.dy);
  if (moved.right() < work_area.right() && moved.bottom() < work_area.bottom() &&
      moved.left() >= work_area.left() && moved.top() >= work_area.top()) {
    offset.dx += step;
    offset.dy += step;
    return moved.topLeft();
  }
  offset = CascadeOffset{};
  return kept_in_work_area(frame, work_area);
}

int docked_bar_x(const QRect& desktop, int width, bool left, bool slid_out) {
  const int hidden = slid_out ? std::max(0, width - kDockedStrip) : 0;
  return left ? desktop.left() - hidden : desktop.right() + 1 - width + hidden;
}

}  // namespace kovw::session
