#pragma once
// The window hardcopy command of a program (ESC "*" and ESC "+" in the text output, the
// hardcopy function key of a key bar or menu item, the hardcopy entry of the window's menus and
// the hardcopy key of a field editor): the program thread hands its view what the hardcopy
// takes, and the view runs it.

namespace kovw::session {

struct ProgramSession;

// The command id of "Hardcopy of this window".
inline constexpr int kHardcopyCommand = 40025;
// The catalogue text of the hardcopy entry in the window menus.
inline constexpr int kHardcopyMessage = 10053;

// Parameter bit 0: the clipboard at once, without the dialog. Text screens and graphics
// windows have a hardcopy; other screens log the request and do nothing.
void request_window_hardcopy(ProgramSession& session, int parameter);

}  // namespace kovw::session
