#pragma once
// The program icon of a host program's window: a small screen, with a closed padlock over it
// while the program's link is encrypted. The own frame's title bar shows it (it opens the window
// menu) and it is the window's icon.

#include <QIcon>

namespace kovw::session {

QIcon program_icon(bool encrypted);

}  // namespace kovw::session
