#include "session/program/window_geometry.h"

#include "session/program/program_session.h"

namespace kovw::session {

void remember_window_geometry(ProgramSession& session, const to_program::WindowGeometry& report) {
  if ((session.status & kStatusEmbedded) != 0) return;
  session.window_x = report.x;
  session.window_y = report.y;
  session.main_width = report.width;
  session.main_height = report.height;
  session.maximised = report.maximised;
  session.frame_width = report.frame_width;
  session.title_height = report.title_height;
  session.scroll_bar_width = report.scroll_bar_width;
}

void place_for_definition(ProgramSession& session, int x, int y, bool embedded) {
  if (embedded) {
    session.window_x = 0;
    session.window_y = 0;
    return;
  }
  const bool same_place = session.windows_shown && session.position_defined &&
                          x == session.defined_x && y == session.defined_y;
  session.defined_x = x;
  session.defined_y = y;
  session.position_defined = true;
  if (same_place) return;
  session.window_x = x;
  session.window_y = y;
}

}  // namespace kovw::session
