#pragma once
// The font information request of the graphics service (KWK_GFONT, type 5, and type 18): the
// metrics of a font for the host's own layout, answered with the same type ("Send Font Info").
//
// A program without a graphics window gets the metrics of its window's default font, the
// screen font, as drawn on the screen: world and device units are then the same. The request's
// font number, size and options select a font only in a graphics window.

#include <cstdint>

#include "protocol/program/window_service.h"
#include "session/program/screen_font.h"

namespace kovw::session {

class CommandTable;

// The reply of a program without a graphics window: `font` measured at `dpi` dots per inch;
// with `wide_widths` also the coded table of every character's width.
protocol::FontInfo default_font_info(const ScreenFont& font, int dpi, bool wide_widths);

void register_font_info_commands(CommandTable& table);

}  // namespace kovw::session
