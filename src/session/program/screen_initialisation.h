#pragma once
// Screen initialisation (KWK_WINIT, and KWK_LINIT / KWK_DMINIT with the same definition): the
// host defines the program's screen — kind, size, position, title and style — and, unless it
// defers the window, the program's windows are placed and shown. A program's windows stay
// hidden from KINIT until its first screen definition, so a program that never defines a
// screen shows no empty window (and costs no window memory).

#include <cstdint>
#include <span>

namespace kovw::session {

struct ProgramSession;

// Reads the screen definition in `payload` and applies it. A malformed definition is logged
// and changes nothing.
void initialise_screen(ProgramSession& session, std::span<const std::uint8_t> payload);

// The desktop's colours changed: the colour model of the current screen is computed again from
// its definition's options and the new system colours, and the windows take its look.
void reapply_colour_model(ProgramSession& session);

// The screen kind a screen mode (the low byte of the definition's style) selects.
int screen_kind_for_mode(int mode);

// The font scale in percent for a "Font Faktor" setting: 0 means 100, 1 derives it from the
// display's horizontal resolution `dpi`, any other value is the percent.
int font_scale_for(int font_factor, int dpi);

}  // namespace kovw::session
