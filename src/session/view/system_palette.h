#pragma once
// Where the system colours come from on this desktop: roles of the application palette.

#include <QPalette>

#include "session/program/system_colours.h"

namespace kovw::session {

// The system colours as `palette` gives them.
SystemColourTable system_colours_from(const QPalette& palette);

// On the GUI thread: records the application palette's system colours (once per process), and
// from then on takes them again whenever the application palette changes and tells every
// program to apply its colour model again.
void remember_system_palette();

}  // namespace kovw::session
