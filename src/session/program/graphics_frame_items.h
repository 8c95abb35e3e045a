#pragma once
// What a graphics window definition adds to the program's frame: its icon list joins the host
// icon set, and its toolbar items go into the frame's toolbar after the screen's own.

#include "graphics/graphics_definition.h"

namespace kovw::session {

struct ProgramSession;

// Takes the icons and toolbar items of a mode-1 definition of a screen window. `fresh` is set
// when the definition starts the window afresh (not when it only clears an open window's
// drawing area): only then do its toolbar items, or the lack of them, replace those of the
// program's earlier graphics definition. Icons are added in either case; an icon entry whose
// data lies outside the definition's icon data is refused and logged.
void graphics_frame_items(ProgramSession& session, const graphics::GraphicsDefinition& definition,
                          bool fresh);

}  // namespace kovw::session
