#pragma once
// Where the program's main window stands. A screen definition names a position; once the
// windows are shown the user moves and sizes them (and new windows cascade), and the view
// reports the place after every move or size change. The session remembers it, so the window
// is shown again where the user left it: a later definition that names the same position as
// the one before keeps the remembered place; one that names another position moves the window
// there.

#include "session/window_messages.h"

namespace kovw::session {

struct ProgramSession;

// Takes the view's report. Embedded windows keep the origin of their parent.
void remember_window_geometry(ProgramSession& session, const to_program::WindowGeometry& report);

// The position of a new screen definition at (x, y).
void place_for_definition(ProgramSession& session, int x, int y, bool embedded);

}  // namespace kovw::session
