#pragma once
// Where a new main window goes: windows cascade from their defined position with one offset
// for the whole process, and every window is kept inside the work area of its screen.
//
// Some window systems do not let a program place its top-level windows (Wayland: the
// compositor places them and a move is ignored). The arithmetic below still runs, so the
// remembered positions and the cascade stay the same on every platform; the window then simply
// appears where the window system puts it. The own frame's moving and sizing go through the
// window system (startSystemMove, startSystemResize), which works there as well.

#include <QPoint>
#include <QRect>

namespace kovw::session {

// The cascade offset of the process (GUI thread only: every window is placed there).
struct CascadeOffset {
  int dx = 0;
  int dy = 0;
};
CascadeOffset& process_cascade_offset();

// The top-left corner for a window whose frame is `frame` (at its defined position) in
// `work_area`. Cascading: when the frame moved by the offset still fits, it goes there and the
// offset grows by `step`; otherwise the offset starts again at 0 and the window is moved back
// so that it ends one pixel before the work area's right and bottom edges (to the work area's
// origin when it is larger). Without cascading the window is only moved back to fit.
QPoint place_new_window(const QRect& frame, const QRect& work_area, int step, bool cascade,
                        CascadeOffset& offset);

// The window moved back into `work_area` as described above.
QPoint kept_in_work_area(const QRect& frame, const QRect& work_area);

// A bar docked at the left or right edge of `desktop` (`width` with its frame): its x, lying at
// the edge, or slid out so that only kDockedStrip pixels of it stay on the desktop.
inline constexpr int kDockedStrip = 6;
int docked_bar_x(const QRect& desktop, int width, bool left, bool slid_out);

}  // namespace kovw::session
