#include "session/view/cursor_kinds.h"

#include <array>

namespace kovw::session {

Qt::CursorShape cursor_shape(int kind) {
  static constexpr std::array<Qt::CursorShape, kCursorKindCount> kShapes = {
      Qt::ArrowCursor,         // 0
      Qt::ArrowCursor,         // 1
      Qt::WaitCursor,          // 2
      Qt::BusyCursor,          // 3 app-starting: arrow with hourglass
      Qt::ForbiddenCursor,     // 4
      Qt::SizeHorCursor,       // 5 west-east
      Qt::SizeVerCursor,       // 6 north-south
      Qt::SizeFDiagCursor,     // 7 northwest-southeast
      Qt::SizeBDiagCursor,     // 8 northeast-southwest
      Qt::OpenHandCursor,      // 9 the workstation's own grab cursor
      Qt::SizeAllCursor,       // 10
      Qt::CrossCursor,         // 11
      Qt::PointingHandCursor,  // 12
      Qt::IBeamCursor,         // 13
      Qt::UpArrowCursor,       // 14
  };
  if (kind < 0 || kind >= kCursorKindCount) return Qt::ArrowCursor;
  return kShapes[static_cast<std::size_t>(kind)];
}

}  // namespace kovw::session
